// Creates a sound engine: checks the version, picks the back-end and falls back once through each.
#include <cstdlib>
#include <cstring>
#include <string>

#include "sound/ds_engine.h"
#include "sound/engine.h"
#include "sound/null_engine.h"
#include "sound/winmm_engine.h"

namespace vavozovu {

const char* const VAVOZOVU_SDK_VERSION = "1.3.0";

bool checkLibraryVersion(const char* version) {
  if (version && std::string(version) == VAVOZOVU_SDK_VERSION) return true;
  std::string line = std::string("Warning: The library version of vavOzovu (") + VAVOZOVU_SDK_VERSION +
                     ") does not match the version the application was compiled with (" +
                     (version ? version : "") + "). This may cause problems.";
  vz_internal::writeLogLine(line.c_str(), true);
  return false;
}

int32_t nextDriver(int32_t driver) {
  if (driver == ESOD_AUTO_DETECT) return ESOD_DIRECT_SOUND_8;
  if (driver == ESOD_DIRECT_SOUND) return ESOD_WIN_MM;
  return ESOD_AUTO_DETECT;
}

int32_t driverFromEnvironment(int32_t driver) {
  if (driver != ESOD_AUTO_DETECT) return driver;
  const char* name = std::getenv("TUNNELWICK_SOUND_DRIVER");
  if (!name || !*name) return driver;
  static const struct {
    const char* name;
    int32_t driver;
  } kNames[] = {{"ds8", ESOD_DIRECT_SOUND_8}, {"ds", ESOD_DIRECT_SOUND}, {"waveout", ESOD_WIN_MM},
                {"null", ESOD_NULL}};
  for (const auto& n : kNames)
    if (std::strcmp(name, n.name) == 0) return n.driver;
  vz_internal::writeLogLine(
      (std::string("Unknown TUNNELWICK_SOUND_DRIVER \"") + name +
       "\" (ds8, ds, waveout or null); choosing the driver automatically")
          .c_str(),
      true);
  return driver;
}

CVavOzovuSoundEngine* createSoundDevice(int32_t driver, uint32_t options, const char* deviceId,
                                        vz_internal::io::IFileSystem* fs) {
  bool madeFs = false;
  if (!fs) {
    fs = new vz_internal::io::CFileSystem();
    madeFs = true;
  }
  if (driver == ESOD_AUTO_DETECT) driver = ESOD_DIRECT_SOUND;
  CVavOzovuSoundEngine* engine = nullptr;
  switch (driver) {
    case ESOD_DIRECT_SOUND_8:
      engine = new CVavOzovuDS8SoundEngine(fs, options, deviceId);
      break;
    case ESOD_DIRECT_SOUND:
      engine = new CVavOzovuDSSoundEngine(fs, options, deviceId);
      break;
    case ESOD_WIN_MM:
      engine = new CVavOzovuWinMMSoundEngine(fs, options);
      break;
    case ESOD_ALSA:
      vz_internal::logText("ALSA is not supported on this system.");
      break;
    case ESOD_CORE_AUDIO:
      vz_internal::logText("CoreAudio is not supported on this system.");
      break;
    case ESOD_NULL:
      engine = new CVavOzovuNULLSoundEngine(fs, options);
      break;
    default:
      break;
  }
  if (!engine) vz_internal::logText("Invalid sound driver specified.");
  if (madeFs) fs->drop();
  return engine;
}

void setDefaultListener(ISoundEngine* engine) {
  if (engine)
    engine->setListenerPosition(vec3df(0, 0, 0), vec3df(1, 1, 0), vec3df(0, 0, 0), vec3df(0, 1, 0));
}

ISoundEngine* createSoundEngine(int32_t driver, uint32_t options, const char* deviceId,
                                const char* version) {
  checkLibraryVersion(version);
  // A driver named in the environment stands for the automatic choice,
  // which is DirectSound, then wave-out.
  driver = driverFromEnvironment(driver);
  // Each back-end is tried at most once: the chain of fall-backs ends
  // instead of going round again.
  int32_t tried[16];
  int count = 0;
  for (int32_t d = driver;;) {
    int32_t actual = d == ESOD_AUTO_DETECT ? ESOD_DIRECT_SOUND : d;
    bool seen = false;
    for (int i = 0; i < count; ++i) seen |= tried[i] == actual;
    if (seen || count == 16) break;
    tried[count++] = actual;
    CVavOzovuSoundEngine* engine = createSoundDevice(d, options, deviceId, nullptr);
    if (engine && engine->isDeviceOpen()) {
      setDefaultListener(engine);
      return engine;
    }
    if (engine) engine->drop();
    d = nextDriver(actual);
  }
  return nullptr;
}

}  // namespace vavozovu
