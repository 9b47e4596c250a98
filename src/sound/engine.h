// The engine state shared by every back-end: source registry, playing
// list, listener, volumes, stream loaders and the update thread.
#pragma once
#include "sound/containers.h"
#include "sound/file_system.h"
#include "sound/logger.h"
#include "sound/sound_engine.h"
#include "sound/threads.h"

namespace vavozovu {

class CVavOzovuSoundEngine : public ISoundEngine, private vz_internal::IThread {
 public:
  CVavOzovuSoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options);
  ~CVavOzovuSoundEngine() override;

  const char* getDriverName() override { return "Unknown"; }
  ISound* play2D(ISoundSource* source, bool looped = false, bool startPaused = false,
                 bool track = false, bool enableEffects = false) override;
  ISound* play2D(const char* fileName, bool looped = false, bool startPaused = false,
                 bool track = false, E_STREAM_MODE mode = ESM_AUTO_DETECT,
                 bool enableEffects = false) override;
  ISound* play3D(ISoundSource* source, vec3df position, bool looped = false,
                 bool startPaused = false, bool track = false, bool enableEffects = false) override;
  ISound* play3D(const char* fileName, vec3df position, bool looped = false,
                 bool startPaused = false, bool track = false, E_STREAM_MODE mode = ESM_AUTO_DETECT,
                 bool enableEffects = false) override;
  void stopAllSounds() override;
  void setAllSoundsPaused(bool paused = true) override;
  ISoundSource* getSoundSource(int32_t index) override;
  ISoundSource* getSoundSource(const char* name, bool addIfNotFound = true) override;
  int32_t getSoundSourceCount() override;
  ISoundSource* addSoundSourceFromFile(const char* fileName, E_STREAM_MODE mode = ESM_AUTO_DETECT,
                                       bool preload = false) override;
  ISoundSource* addSoundSourceFromMemory(void* memory, int32_t size, const char* name,
                                         bool copyMemory = true) override;
  ISoundSource* addSoundSourceFromPCMData(void* memory, int32_t size, const char* name,
                                          SAudioStreamFormat format, bool copyMemory = true) override;
  ISoundSource* addSoundSourceAlias(ISoundSource* base, const char* alias) override;
  void removeSoundSource(const char* name) override;
  void removeSoundSource(ISoundSource* source) override;
  void removeAllSoundSources() override;
  void setSoundVolume(float volume) override;
  float getSoundVolume() override;
  void setListenerPosition(const vec3df& position, const vec3df& lookDirection,
                           const vec3df& velocity = vec3df(0, 0, 0),
                           const vec3df& up = vec3df(0, 1, 0)) override;
  void update() override;
  bool isCurrentlyPlaying(ISoundSource* source) override;
  bool isCurrentlyPlaying(const char* name) override;
  void registerAudioStreamLoader(IAudioStreamLoader* loader) override;
  bool isMultiThreaded() override { return (options_ & ESEO_MULTI_THREADED) != 0; }
  void registerFileFactory(vz_internal::io::IFileFactory* factory) override;
  void setDefault3DSoundMinDistance(float d) override;
  float getDefault3DSoundMinDistance() override;
  void setDefault3DSoundMaxDistance(float d) override;
  float getDefault3DSoundMaxDistance() override;
  void setRolloffFactor(float factor) override;
  void setDopplerEffectParameters(float, float) override {}
  bool loadPlugins(const char* folder) override;
  const void* getInternalAudioInterface() override { return backendRecord_; }
  bool setMixedDataOutputReceiver(IMixedOutputReceiver* receiver) override;

  // Added by the common engine.
  virtual ISound* playMusic(const char* fileName);
  virtual void* getReservedInterface() { return nullptr; }
  virtual void setEngineFactor(float f) { engineFactor_ = f; }
  virtual float getEngineFactor() { return engineFactor_; }
  virtual ISound* createBufferedSound(CVavOzovuBufferedSamples* samples, CVavOzovuSoundSource* source,
                                      bool looped, bool is3D, float minDistance, float maxDistance,
                                      bool effects);
  virtual ISound* createStreamedSound(IAudioStream* stream, CVavOzovuSoundSource* source,
                                      bool looped, bool is3D, float minDistance, float maxDistance,
                                      bool effects);
  virtual bool isDeviceOpen() { return false; }
  virtual void onSoundSourceRemoved(ISoundSource* source);
  virtual void updateInternal();
  virtual void updateSounds();

  // For sources and sounds.
  IAudioStream* openAudioStream(IFileReader* reader);
  vz_internal::ICriticalSection* getLock() const { return lock_; }
  vz_internal::io::IFileSystem* getFileSystem() const { return fs_; }
  // Applies the engine's volume and listener to one sound (on resume).
  void applyListenerToSound(CVavOzovuSound* sound);
  uint32_t getOptions() const { return options_; }
  // How many sounds are on the playing list (tests and diagnostics).
  int32_t getPlayingCount();

 protected:
  ISound* playSource(ISoundSource* source, const vec3df* position, bool looped, bool startPaused,
                     bool track, bool effects);
  ISoundSource* findSoundSource(const char* name, bool add, E_STREAM_MODE mode);
  // Logs and answers true when a source of that name exists already.
  bool isNameTaken(const char* name, E_STREAM_MODE mode);
  // The checks shared by the sources made from memory.
  bool canAddMemorySource(const void* memory, int32_t size, const char* name);
  void addSource(CVavOzovuSoundSource* source);
  void retireSound(CVavOzovuSound* sound);
  void dispatchStopEvents();
  void startUpdateThread();
  // Sets the stop flag and waits until the update thread has ended.
  void stopUpdateThread();
  bool isStopping() const { return stop_.load(); }
  void run(void* value) override;

  vz_internal::io::IFileSystem* fs_;
  vz_internal::vzArray<CVavOzovuSoundSource*> sources_;
  vz_internal::vzList<CVavOzovuSound*> playing_;
  vz_internal::vzList<CVavOzovuSound*> stopEvents_;
  vz_internal::vzArray<IAudioStreamLoader*> loaders_;
  vec3df listenerPosition_;
  vec3df listenerLook_;
  vec3df listenerVelocity_;
  vec3df listenerUp_{0, 1, 0};
  float soundVolume_ = 1.0f;
  float engineFactor_ = 1.0f;
  float defaultMinDistance_ = 1.0f;
  float defaultMaxDistance_ = 1000000000.0f;
  float rolloffFactor_ = 1.0f;
  std::atomic<bool> threadRunning_{false};
  std::atomic<bool> stop_{false};
  int32_t removalDepth_ = 0;
  uint32_t options_;
  uint32_t updateIntervalMs_ = 50;
  vz_internal::ICriticalSection* lock_;
  vavozovu::ILogger* logger_;
  uintptr_t backendRecord_[5] = {0, 0, 0, 0, 0};
  SysThread* thread_ = nullptr;
};

// Creation helpers.
CVavOzovuSoundEngine* createSoundDevice(int32_t driver, uint32_t options, const char* deviceId,
                                        vz_internal::io::IFileSystem* fs);
int32_t nextDriver(int32_t driver);
// The driver named by TUNNELWICK_SOUND_DRIVER (ds8, ds, waveout, null) when
// the automatic choice is asked for; any other request stays as it is.
int32_t driverFromEnvironment(int32_t driver);
bool checkLibraryVersion(const char* version);
void setDefaultListener(ISoundEngine* engine);

}  // namespace vavozovu
