// The DirectSound 8 and DirectSound back-ends: one design that opens a
// device of the output-buffer layer (platform/ds_device.h), keeps its 3D
// listener when hardware 3D is wanted and commits the listener at every
// update. They differ in their messages, their device list and the sounds
// they make (the DirectSound 8 ones carry effects).
#pragma once
#include "platform/ds_3d.h"
#include "platform/ds_device.h"
#include "sound/ds_device_list.h"
#include "sound/engine.h"

namespace vavozovu {

class CVavOzovuDirectSoundEngineBase : public CVavOzovuSoundEngine {
 public:
  ~CVavOzovuDirectSoundEngineBase() override;

  void setRolloffFactor(float factor) override;
  void setDopplerEffectParameters(float dopplerFactor = 1.0f, float distanceFactor = 1.0f) override;
  bool isDeviceOpen() override { return device_ != nullptr; }
  void updateInternal() override;

  // The device and listener (tests; null when not open or no hardware 3D).
  DsDevice* getDevice() const { return device_; }
  DsListener* getListener() const { return listener_; }

 public:
  // The messages that name the interface.
  struct Words {
    const char* create;
    const char* init;
    const char* coop;
    const char* using_;
  };

 protected:
  CVavOzovuDirectSoundEngineBase(vz_internal::io::IFileSystem* fs, uint32_t options)
      : CVavOzovuSoundEngine(fs, options) {}
  // Opens the device; called by the concrete engine once it is whole.
  void open(const char* deviceId, const Words& words);
  virtual ISoundDeviceList* makeDeviceList() = 0;
  void run(void* value) override;
  bool wantsHardware3D(bool is3D) const { return is3D && (options_ & ESEO_USE_3D_BUFFERS); }
  bool globalFocus() const { return !(options_ & ESEO_MUTE_IF_NOT_FOCUSED); }

  DsDevice* device_ = nullptr;
  DsListener* listener_ = nullptr;
  void* window_ = nullptr;
};

class CVavOzovuDS8SoundEngine : public CVavOzovuDirectSoundEngineBase {
 public:
  CVavOzovuDS8SoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options, const char* deviceId);
  const char* getDriverName() override { return "DirectSound8"; }
  ISound* createBufferedSound(CVavOzovuBufferedSamples* samples, CVavOzovuSoundSource* source,
                              bool looped, bool is3D, float minDistance, float maxDistance,
                              bool effects) override;
  ISound* createStreamedSound(IAudioStream* stream, CVavOzovuSoundSource* source, bool looped,
                              bool is3D, float minDistance, float maxDistance, bool effects) override;

 protected:
  ISoundDeviceList* makeDeviceList() override { return new CVavOzovuDS8SoundDeviceList(); }
};

class CVavOzovuDSSoundEngine : public CVavOzovuDirectSoundEngineBase {
 public:
  CVavOzovuDSSoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options, const char* deviceId);
  const char* getDriverName() override { return "DirectSound"; }
  ISound* createBufferedSound(CVavOzovuBufferedSamples* samples, CVavOzovuSoundSource* source,
                              bool looped, bool is3D, float minDistance, float maxDistance,
                              bool effects) override;
  ISound* createStreamedSound(IAudioStream* stream, CVavOzovuSoundSource* source, bool looped,
                              bool is3D, float minDistance, float maxDistance, bool effects) override;

 protected:
  ISoundDeviceList* makeDeviceList() override { return new CVavOzovuDSSoundDeviceList(); }
};

}  // namespace vavozovu
