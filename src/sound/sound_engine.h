// The interface the rest of the program sees: plays sounds from files or
// registered sources, keeps the sources by name, the playing sounds, the
// listener and the global volume.
#pragma once
#include "sound/audio_stream.h"
#include "sound/sound.h"
#include "sound/sound_source.h"
#include "sound/sound_types.h"

namespace vz_internal {
namespace io {
class IFileFactory;
}
}  // namespace vz_internal

namespace vavozovu {

// Receives every block the software mixer produces (16-bit stereo).
class IMixedOutputReceiver {
 public:
  virtual ~IMixedOutputReceiver() {}
  virtual void onMixedOutput(void* data, int32_t byteCount, int32_t sampleRate) = 0;
};

class ISoundEngine : public virtual IRefCounted {
 public:
  virtual const char* getDriverName() = 0;
  virtual ISound* play2D(ISoundSource* source, bool looped = false, bool startPaused = false,
                         bool track = false, bool enableEffects = false) = 0;
  virtual ISound* play2D(const char* fileName, bool looped = false, bool startPaused = false,
                         bool track = false, E_STREAM_MODE mode = ESM_AUTO_DETECT,
                         bool enableEffects = false) = 0;
  virtual ISound* play3D(ISoundSource* source, vec3df position, bool looped = false,
                         bool startPaused = false, bool track = false, bool enableEffects = false) = 0;
  virtual ISound* play3D(const char* fileName, vec3df position, bool looped = false,
                         bool startPaused = false, bool track = false,
                         E_STREAM_MODE mode = ESM_AUTO_DETECT, bool enableEffects = false) = 0;
  virtual void stopAllSounds() = 0;
  virtual void setAllSoundsPaused(bool paused = true) = 0;
  virtual ISoundSource* getSoundSource(int32_t index) = 0;
  virtual ISoundSource* getSoundSource(const char* name, bool addIfNotFound = true) = 0;
  virtual int32_t getSoundSourceCount() = 0;
  virtual ISoundSource* addSoundSourceFromFile(const char* fileName, E_STREAM_MODE mode = ESM_AUTO_DETECT,
                                               bool preload = false) = 0;
  virtual ISoundSource* addSoundSourceFromMemory(void* memory, int32_t size, const char* name,
                                                 bool copyMemory = true) = 0;
  virtual ISoundSource* addSoundSourceFromPCMData(void* memory, int32_t size, const char* name,
                                                  SAudioStreamFormat format, bool copyMemory = true) = 0;
  virtual ISoundSource* addSoundSourceAlias(ISoundSource* base, const char* alias) = 0;
  virtual void removeSoundSource(const char* name) = 0;
  virtual void removeSoundSource(ISoundSource* source) = 0;
  virtual void removeAllSoundSources() = 0;
  virtual void setSoundVolume(float volume) = 0;
  virtual float getSoundVolume() = 0;
  virtual void setListenerPosition(const vec3df& position, const vec3df& lookDirection,
                                   const vec3df& velocity = vec3df(0, 0, 0),
                                   const vec3df& up = vec3df(0, 1, 0)) = 0;
  virtual void update() = 0;
  virtual bool isCurrentlyPlaying(ISoundSource* source) = 0;
  virtual bool isCurrentlyPlaying(const char* name) = 0;
  virtual void registerAudioStreamLoader(IAudioStreamLoader* loader) = 0;
  virtual bool isMultiThreaded() = 0;
  virtual void registerFileFactory(vz_internal::io::IFileFactory* factory) = 0;
  virtual void setDefault3DSoundMinDistance(float d) = 0;
  virtual float getDefault3DSoundMinDistance() = 0;
  virtual void setDefault3DSoundMaxDistance(float d) = 0;
  virtual float getDefault3DSoundMaxDistance() = 0;
  virtual void setRolloffFactor(float factor) = 0;
  virtual void setDopplerEffectParameters(float dopplerFactor = 1.0f, float distanceFactor = 1.0f) = 0;
  virtual bool loadPlugins(const char* folder) = 0;
  virtual const void* getInternalAudioInterface() = 0;
  virtual bool setMixedDataOutputReceiver(IMixedOutputReceiver* receiver) = 0;
};

// The engine's own version text.
extern const char* const VAVOZOVU_SDK_VERSION;

// Makes the one engine of the program: the output back-end by driver
// number, the option bits (E_SOUND_ENGINE_OPTIONS), an output device id
// (unused by the software back-ends) and the version text the caller was
// built against. Null when no output device opens.
ISoundEngine* createSoundEngine(int32_t driver = ESOD_AUTO_DETECT,
                                uint32_t options = ESEO_DEFAULT_OPTIONS,
                                const char* deviceId = nullptr,
                                const char* version = "1.3.0");

}  // namespace vavozovu
