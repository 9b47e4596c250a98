// The two output-buffer back-ends: open a device, run updates, make plain or effect sounds.
#include "sound/ds_engine.h"

#include <cstring>

#include "sound/ds8_sound.h"
#include "sound/ds_sound.h"
#include "sound/ds_stream.h"

namespace vavozovu {

using vz_internal::CLockGuard;

void CVavOzovuDirectSoundEngineBase::open(const char* deviceId, const Words& words) {
  window_ = ds_create_hidden_window("vavOzovuWindow");
  if (!window_) {
    vz_internal::logText("Could not create hidden window for vavOzovu object");
    return;
  }
  ds_thread_init();
  DsDevice* device = nullptr;
  if (ds_failed(ds_create(&device)) || !device) {
    vz_internal::logText(words.create);
    return;
  }
  DsGuid guid;
  if (deviceId && *deviceId) {
    CVavOzovuDSSoundDeviceList* list = static_cast<CVavOzovuDSSoundDeviceList*>(makeDeviceList());
    for (int32_t i = 0; i < list->getDeviceCount(); ++i)
      if (strcmp(deviceId, list->getDeviceID(i)) == 0) {
        guid = list->getDeviceGuid(i);
        vz_internal::logTextWithName("Using device", list->getDeviceDescription(i));
        break;
      }
    list->drop();
  }
  if (ds_failed(device->Initialize(&guid))) {
    vz_internal::logText(words.init);
    device->Release();
    return;
  }
  if ((options_ & ESEO_LINEAR_ROLLOFF) && (options_ & ESEO_USE_3D_BUFFERS)) {
    options_ &= ~static_cast<uint32_t>(ESEO_USE_3D_BUFFERS);
    vz_internal::logText(
        "Warning: linear falloff not supported together with USE_3D_BUFFERS, disabling "
        "USE_3D_BUFFERS");
  }
  if (options_ & ESEO_USE_3D_BUFFERS) {
    DsBufferDesc desc;
    desc.flags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    DsBuffer* primary = nullptr;
    if (ds_failed(device->CreateSoundBuffer(&desc, &primary)) || !primary) {
      options_ &= ~static_cast<uint32_t>(ESEO_USE_3D_BUFFERS);
      vz_internal::logText("Could not create primary sound buffer for 3d, switching to software emulation");
    } else {
      if (ds_failed(primary->QueryListener(&listener_)) || !listener_) {
        listener_ = nullptr;
        options_ &= ~static_cast<uint32_t>(ESEO_USE_3D_BUFFERS);
        vz_internal::logText("Could not create 3d sound listener, switching to software emulation");
      }
      primary->Release();
    }
  }
  if (ds_failed(device->SetCooperativeLevel(window_, DSSCL_NORMAL))) {
    vz_internal::logText(words.coop);
    if (listener_) listener_->Release();
    listener_ = nullptr;
    device->Release();
    return;
  }
  device_ = device;
  backendRecord_[1] = reinterpret_cast<uintptr_t>(device);
  vz_internal::logText(words.using_);
  startUpdateThread();
}

CVavOzovuDirectSoundEngineBase::~CVavOzovuDirectSoundEngineBase() {
  stopUpdateThread();
  // Sounds and sources let go of their buffers while the device is there.
  removeAllSoundSources();
  if (listener_) listener_->Release();
  listener_ = nullptr;
  if (device_) device_->Release();
  device_ = nullptr;
  backendRecord_[1] = 0;
  if (window_) {
    ds_destroy_hidden_window(window_);
    ds_thread_uninit();
  }
}

void CVavOzovuDirectSoundEngineBase::run(void* value) {
  ds_thread_init();
  CVavOzovuSoundEngine::run(value);
  ds_thread_uninit();
}

void CVavOzovuDirectSoundEngineBase::updateInternal() {
  CLockGuard g(lock_);
  updateSounds();
  dispatchStopEvents();
  if (listener_) {
    const vec3df& p = listenerPosition_;
    const vec3df& l = listenerLook_;
    const vec3df& u = listenerUp_;
    const vec3df& v = listenerVelocity_;
    listener_->SetPosition(p.X, p.Y, p.Z, DS3D_DEFERRED);
    listener_->SetOrientation(l.X, l.Y, l.Z, u.X, u.Y, u.Z, DS3D_DEFERRED);
    listener_->SetVelocity(v.X, v.Y, v.Z, DS3D_DEFERRED);
    listener_->CommitDeferredSettings();
  }
}

void CVavOzovuDirectSoundEngineBase::setRolloffFactor(float factor) {
  CLockGuard g(lock_);
  rolloffFactor_ = factor < 0 ? 0 : (factor > 10 ? 10 : factor);
  if (listener_) listener_->SetRolloffFactor(rolloffFactor_, DS3D_IMMEDIATE);
}

void CVavOzovuDirectSoundEngineBase::setDopplerEffectParameters(float dopplerFactor,
                                                                float distanceFactor) {
  CLockGuard g(lock_);
  if (!listener_) return;
  listener_->SetDopplerFactor(dopplerFactor, DS3D_IMMEDIATE);
  listener_->SetDistanceFactor(distanceFactor, DS3D_IMMEDIATE);
}

// ---- the two engines ----

namespace {
const CVavOzovuDirectSoundEngineBase::Words kWords8 = {
    "Could not create DirectSound8 object", "Could not init DirectSound8 object",
    "Could not set coop level for DirectSound8 object", "Using DirectSound8 driver"};
const CVavOzovuDirectSoundEngineBase::Words kWords = {
    "Could not create DirectSound object", "Could not init DirectSound object",
    "Could not set coop level for DirectSound object", "Using DirectSound driver"};
const CVavOzovuDirectSoundEngineBase::Words* wordsOf(bool ds8) { return ds8 ? &kWords8 : &kWords; }
}  // namespace

CVavOzovuDS8SoundEngine::CVavOzovuDS8SoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options,
                                                 const char* deviceId)
    : CVavOzovuDirectSoundEngineBase(fs, options) {
  open(deviceId, *wordsOf(true));
}

ISound* CVavOzovuDS8SoundEngine::createBufferedSound(CVavOzovuBufferedSamples* samples,
                                                     CVavOzovuSoundSource* source, bool looped,
                                                     bool is3D, float minDistance,
                                                     float maxDistance, bool effects) {
  if (!device_ || !samples) return nullptr;
  return new CVirtualUnknown<CVavOzovuDS8Sound>(source, samples, looped, device_,
                                                wantsHardware3D(is3D), globalFocus(), minDistance,
                                                maxDistance, effects);
}

ISound* CVavOzovuDS8SoundEngine::createStreamedSound(IAudioStream* stream,
                                                     CVavOzovuSoundSource* source, bool looped,
                                                     bool is3D, float minDistance,
                                                     float maxDistance, bool effects) {
  if (!device_ || !stream) return nullptr;
  return new CVirtualUnknown<CVavOzovuDS8SoundStream>(source, stream, looped, device_,
                                                      wantsHardware3D(is3D), globalFocus(),
                                                      minDistance, maxDistance, effects);
}

CVavOzovuDSSoundEngine::CVavOzovuDSSoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options,
                                               const char* deviceId)
    : CVavOzovuDirectSoundEngineBase(fs, options) {
  open(deviceId, *wordsOf(false));
}

ISound* CVavOzovuDSSoundEngine::createBufferedSound(CVavOzovuBufferedSamples* samples,
                                                    CVavOzovuSoundSource* source, bool looped,
                                                    bool is3D, float minDistance,
                                                    float maxDistance, bool) {
  if (!device_ || !samples) return nullptr;
  return new CVirtualUnknown<CVavOzovuDSSound>(source, samples, looped, device_,
                                               wantsHardware3D(is3D), globalFocus(), minDistance,
                                               maxDistance, false);
}

ISound* CVavOzovuDSSoundEngine::createStreamedSound(IAudioStream* stream,
                                                    CVavOzovuSoundSource* source, bool looped,
                                                    bool is3D, float minDistance,
                                                    float maxDistance, bool) {
  if (!device_ || !stream) return nullptr;
  return new CVirtualUnknown<CVavOzovuDSSoundStream>(source, stream, looped, device_,
                                                     wantsHardware3D(is3D), globalFocus(),
                                                     minDistance, maxDistance, false);
}

}  // namespace vavozovu
