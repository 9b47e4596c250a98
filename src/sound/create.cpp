#include <string>

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

CVavOzovuSoundEngine* createSoundDevice(int32_t driver, uint32_t options, const char*,
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
    case ESOD_DIRECT_SOUND:
      // The DirectSound back-ends are not part of this build.
      vz_internal::logText("DirectSound is not supported on this system.");
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
