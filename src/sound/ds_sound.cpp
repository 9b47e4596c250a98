// Decoded sounds on an output buffer: shared per-source buffers, 3D folding, position and speed.
#include "sound/ds_sound.h"

#include <cmath>
#include <cstring>

#include "sound/engine.h"

namespace vavozovu {

using vz_internal::CLockGuard;

int32_t volumeToMillibels(float volume) {
  if (!(volume > 4.539993e-5f)) return DSBVOLUME_MIN;
  double mb = 1000.0 * std::log(static_cast<double>(volume));
  int32_t v = static_cast<int32_t>(mb);  // toward zero
  return v < DSBVOLUME_MIN ? DSBVOLUME_MIN : (v > 0 ? 0 : v);
}

void extractFirstChannel(uint8_t* dst, const uint8_t* src, int32_t frames, int32_t frameBytes,
                         int32_t sampleBytes) {
  for (int32_t i = 0; i < frames; ++i)
    memcpy(dst + static_cast<size_t>(i) * sampleBytes, src + static_cast<size_t>(i) * frameBytes,
           static_cast<size_t>(sampleBytes));
}

// ---- the per-source cache ----

CVavOzovuDSSound::CReusableDSSoundBuffers::~CReusableDSSoundBuffers() {
  set(0, nullptr);
  set(1, nullptr);
}

void CVavOzovuDSSound::CReusableDSSoundBuffers::set(int slot, DsBuffer* buffer) {
  if (buffer) buffer->AddRef();
  if (slots_[slot]) slots_[slot]->Release();
  slots_[slot] = buffer;
}

// ---- construction ----

CVavOzovuDSSound::CVavOzovuDSSound(CVavOzovuSoundSource* source, CVavOzovuBufferedSamples* samples,
                                   bool looped, DsDevice* device, bool hardware3D, bool globalFocus,
                                   float minDistance, float maxDistance, bool effects)
    : CVavOzovuSound(source, looped, minDistance, maxDistance), effects_(effects) {
  format_ = samples->getFormat();
  CReusableDSSoundBuffers* cache =
      source ? dynamic_cast<CReusableDSSoundBuffers*>(source->getReusableBuffers()) : nullptr;
  // A 2D sound without effects duplicates the source's buffer: the samples
  // are not copied again.
  if (!effects && !hardware3D && cache && cache->get(0)) {
    DsBuffer* copy = nullptr;
    if (!ds_failed(device->DuplicateSoundBuffer(cache->get(0), &copy)) && copy) {
      buffer_ = copy;
      frameBytes_ = copy->format().blockAlign;
      bytesPerSecond_ = static_cast<int32_t>(copy->format().avgBytesPerSec);
      cache->grab();
      cache_ = cache;
      return;
    }
  }
  createBuffer(device, format_, false, globalFocus, hardware3D);
  if (!buffer_) return;
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  if (ds_failed(buffer_->Lock(0, buffer_->sizeBytes(), &p1, &n1, &p2, &n2, 0))) {
    vz_internal::logText("Could not lock sound buffer");
    releaseBuffers();
    return;
  }
  const uint8_t* data = samples->getData();
  if (data) {
    if (monoFold_)
      extractFirstChannel(static_cast<uint8_t*>(p1), data, static_cast<int32_t>(n1) / frameBytes_,
                          format_.getFrameSize(), format_.getSampleSize());
    else
      memcpy(p1, data, n1);
  }
  if (ds_failed(buffer_->Unlock(p1, n1, p2, n2))) {
    vz_internal::logText("Could not unlock sound buffer");
    releaseBuffers();
    return;
  }
  if (effects || !source) return;
  // A buffer made for 3D has no pan control: 2D sounds never duplicate it.
  int slot = (buffer_->flags() & DSBCAPS_CTRL3D) ? 1 : 0;
  if (!cache) {
    // The source keeps one reference, this sound another.
    cache = new CReusableDSSoundBuffers();
    cache->set(slot, buffer_);
    source->setReusableBuffers(cache);
    cache->grab();
    cache_ = cache;
  } else {
    cache->set(slot, buffer_);
  }
}

CVavOzovuDSSound::CVavOzovuDSSound(StreamRing, CVavOzovuSoundSource* source,
                                   const SAudioStreamFormat& format, bool looped, DsDevice* device,
                                   bool hardware3D, bool globalFocus, float minDistance,
                                   float maxDistance, bool effects)
    : CVavOzovuSound(source, looped, minDistance, maxDistance), format_(format), effects_(effects) {
  createBuffer(device, format_, true, globalFocus, hardware3D);
}

CVavOzovuDSSound::~CVavOzovuDSSound() {
  CVavOzovuSoundEngine* e = engine();
  if (e) {
    CLockGuard g(e->getLock());
    releaseBuffers();
    releaseCache();
  } else {
    releaseBuffers();
    releaseCache();
  }
}

void CVavOzovuDSSound::createBuffer(DsDevice* device, const SAudioStreamFormat& format,
                                    bool streamed, bool globalFocus, bool hardware3D) {
  const int32_t sampleBytes = format.getSampleSize();
  // A 3D buffer is one point source: a source of several channels is
  // folded to its first.
  monoFold_ = hardware3D && format.ChannelCount >= 2;
  const int32_t channels = monoFold_ ? 1 : format.ChannelCount;
  const int64_t frames = streamed ? format.SampleRate : format.FrameCount;
  SysWaveFormat wf;
  wf.formatTag = SYS_WAVE_FORMAT_PCM;
  wf.channels = static_cast<uint16_t>(channels);
  wf.samplesPerSec = static_cast<uint32_t>(format.SampleRate);
  wf.blockAlign = static_cast<uint16_t>(sampleBytes * channels);
  wf.avgBytesPerSec = wf.blockAlign * wf.samplesPerSec;
  wf.bitsPerSample = static_cast<uint16_t>(sampleBytes * 8);
  wf.extraSize = 18;
  DsBufferDesc desc;
  desc.flags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME |
               (hardware3D ? DSBCAPS_CTRL3D : DSBCAPS_CTRLPAN);
  if (globalFocus) desc.flags |= DSBCAPS_GLOBALFOCUS;
  if (!streamed && !effects_) desc.flags |= DSBCAPS_STATIC;
  if (effects_) desc.flags |= DSBCAPS_CTRLFX;
  int64_t bytes = frames * wf.blockAlign;
  desc.bufferBytes = bytes > 0 && bytes < 0x0FFFFFFF ? static_cast<uint32_t>(bytes) : 0;
  desc.format = &wf;
  if (ds_failed(device->CreateSoundBuffer(&desc, &buffer_)) || !buffer_) {
    buffer_ = nullptr;
    vz_internal::logText("Could not create sound buffer");
    return;
  }
  frameBytes_ = wf.blockAlign;
  bytesPerSecond_ = static_cast<int32_t>(wf.avgBytesPerSec);
  if (hardware3D && ds_failed(buffer_->Query3DBuffer(&buffer3D_))) {
    buffer3D_ = nullptr;
    vz_internal::logText("Could not create 3d sound buffer, now emulating using software");
  }
}

void CVavOzovuDSSound::releaseBuffers() {
  if (buffer_) {
    buffer_->Stop();
    buffer_->Release();
    buffer_ = nullptr;
  }
  if (buffer3D_) {
    buffer3D_->Release();
    buffer3D_ = nullptr;
  }
}

void CVavOzovuDSSound::releaseCache() {
  if (!cache_) return;
  CReusableDSSoundBuffers* cache = cache_;
  cache_ = nullptr;
  cache->drop();
  // When only the source holds the cache any more, the last sharer lets it
  // go for the source as well.
  if (source_ && source_->getReusableBuffers() == cache && cache->getReferenceCount() == 1) {
    source_->setReusableBuffers(nullptr);
    cache->drop();
  }
}

uint32_t CVavOzovuDSSound::baseFrequency() {
  if (baseFrequency_ == 0xFFFFFFFFu && buffer_) {
    uint32_t hz = 0;
    if (!ds_failed(buffer_->GetFrequency(&hz))) baseFrequency_ = hz;
  }
  return baseFrequency_;
}

// ---- ISound ----

void CVavOzovuDSSound::setIsLooped(bool looped) {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return;
  CLockGuard g(e->getLock());
  looped_ = looped;
  if (!paused_ && buffer_) buffer_->Play(0, 0, looped ? DSBPLAY_LOOPING : 0);
}

int32_t CVavOzovuDSSound::getPlayPosition() {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return -1;
  CLockGuard g(e->getLock());
  if (!buffer_ || bytesPerSecond_ <= 0) return -1;
  uint32_t play = 0;
  if (ds_failed(buffer_->GetCurrentPosition(&play, nullptr))) return -1;
  return static_cast<int32_t>(static_cast<int64_t>(play) * 1000 / bytesPerSecond_);
}

bool CVavOzovuDSSound::setPlayPosition(int32_t ms) {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return false;
  CLockGuard g(e->getLock());
  if (!buffer_ || bytesPerSecond_ <= 0 || frameBytes_ <= 0) return false;
  // Milliseconds to a whole frame's byte offset (not whole seconds).
  uint64_t byte = static_cast<uint64_t>(static_cast<uint32_t>(ms)) *
                  static_cast<uint64_t>(bytesPerSecond_) / 1000;
  byte -= byte % static_cast<uint64_t>(frameBytes_);
  if (byte > 0xFFFFFFFFu) return false;
  return !ds_failed(buffer_->SetCurrentPosition(static_cast<uint32_t>(byte)));
}

bool CVavOzovuDSSound::setPlaybackSpeed(float speed) {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return false;
  CLockGuard g(e->getLock());
  if (!buffer_ || baseFrequency() == 0xFFFFFFFFu) return false;
  double hz = static_cast<double>(baseFrequency_) * speed;
  if (!(hz >= 0) || hz > 4294967295.0) return false;
  return !ds_failed(buffer_->SetFrequency(static_cast<uint32_t>(hz)));
}

float CVavOzovuDSSound::getPlaybackSpeed() {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return 1.0f;
  CLockGuard g(e->getLock());
  uint32_t hz = 0;
  if (!buffer_ || baseFrequency() == 0xFFFFFFFFu || baseFrequency_ == 0 ||
      ds_failed(buffer_->GetFrequency(&hz)))
    return 1.0f;
  return static_cast<float>(hz) / static_cast<float>(baseFrequency_);
}

// ---- back-end operations (under the engine lock) ----

void CVavOzovuDSSound::updateSound(float master, const vec3df& listenerPos, const vec3df& look,
                                   const vec3df& up, bool linearRolloff, float) {
  if (!buffer_) return;
  if (buffer3D_) {
    buffer3D_->SetMinDistance(minDistance_ > 0 ? minDistance_ : 1.0f, DS3D_IMMEDIATE);
    buffer3D_->SetMaxDistance(maxDistance_ > 0 ? maxDistance_ : 1.0f, DS3D_IMMEDIATE);
    buffer3D_->SetPosition(position_.X, position_.Y, position_.Z, DS3D_IMMEDIATE);
    buffer3D_->SetVelocity(velocity_.X, velocity_.Y, velocity_.Z, DS3D_IMMEDIATE);
    setBufferVolume(volume_ * master);
  } else {
    apply3DVolumeAndPan(master, listenerPos, look, up, linearRolloff);
  }
}

void CVavOzovuDSSound::stopBuffer() {
  if (buffer_) buffer_->Stop();
}

void CVavOzovuDSSound::playBuffer() {
  if (buffer_) buffer_->Play(0, 0, looped_ ? DSBPLAY_LOOPING : 0);
}

void CVavOzovuDSSound::releaseBuffer() { releaseBuffers(); }

bool CVavOzovuDSSound::isBufferFinished() {
  if (!buffer_) return true;
  if (paused_) return false;
  uint32_t status = 0;
  if (ds_failed(buffer_->GetStatus(&status))) return true;
  return !(status & DSBSTATUS_PLAYING);
}

void CVavOzovuDSSound::setBufferPan(float pan) {
  if (!buffer_) return;
  // Positive pans move to the left, which the buffer counts negative.
  double p = static_cast<double>(pan) * -10000.0;
  if (p < DSBPAN_LEFT) p = DSBPAN_LEFT;
  if (p > DSBPAN_RIGHT) p = DSBPAN_RIGHT;
  buffer_->SetPan(static_cast<int32_t>(p));
}

void CVavOzovuDSSound::setBufferVolume(float volume) {
  if (buffer_) buffer_->SetVolume(volumeToMillibels(volume));
}

}  // namespace vavozovu
