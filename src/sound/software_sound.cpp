#include "sound/software_sound.h"

#include <cstring>

#include "sound/engine.h"

namespace vavozovu {

using vz_internal::CLockGuard;

// ---- stream over buffered samples ----

CVavOzovuBufferedSamplesAudioStream::CVavOzovuBufferedSamplesAudioStream(
    CVavOzovuBufferedSamples* samples)
    : samples_(samples) {
  samples_->grab();
}

CVavOzovuBufferedSamplesAudioStream::~CVavOzovuBufferedSamplesAudioStream() { samples_->drop(); }

bool CVavOzovuBufferedSamplesAudioStream::setPosition(int32_t frame) {
  const SAudioStreamFormat& f = samples_->getFormat();
  if (frame < 0 || frame > f.FrameCount) return false;
  bytePosition_ = static_cast<int64_t>(frame) * f.getFrameSize();
  return true;
}

int32_t CVavOzovuBufferedSamplesAudioStream::readFrames(void* target, int32_t frameCount) {
  const SAudioStreamFormat& f = samples_->getFormat();
  const int32_t frameSize = f.getFrameSize();
  if (!samples_->getData() || frameSize <= 0 || frameCount <= 0) return 0;
  int64_t remaining = samples_->getByteSize() - bytePosition_;
  int64_t bytes = static_cast<int64_t>(frameCount) * frameSize;
  if (bytes > remaining) bytes = remaining;
  if (bytes <= 0) return 0;
  bytes -= bytes % frameSize;
  memcpy(target, samples_->getData() + bytePosition_, static_cast<size_t>(bytes));
  bytePosition_ += bytes;
  return static_cast<int32_t>(bytes / frameSize);
}

// ---- software sound ----

CVavOzovuSoftwareSound::CVavOzovuSoftwareSound(CVavOzovuSoundSource* source,
                                               CVavOzovuBufferedSamples* samples, bool looped,
                                               int32_t outputRate, float minDistance,
                                               float maxDistance)
    : CVavOzovuSound(source, looped, minDistance, maxDistance), outputRate_(outputRate) {
  IAudioStream* stream = samples ? new CVavOzovuBufferedSamplesAudioStream(samples) : nullptr;
  resampler_ = createResampler(outputRate, stream);
  if (stream) {
    sourceRate_ = stream->getFormat().SampleRate;
    sourceFrames_ = stream->getFormat().FrameCount;
    stream->drop();
  }
}

CVavOzovuSoftwareSound::CVavOzovuSoftwareSound(CVavOzovuSoundSource* source, IAudioStream* stream,
                                               bool looped, int32_t outputRate, float minDistance,
                                               float maxDistance)
    : CVavOzovuSound(source, looped, minDistance, maxDistance), outputRate_(outputRate) {
  resampler_ = createResampler(outputRate, stream);
  if (stream) {
    sourceRate_ = stream->getFormat().SampleRate;
    sourceFrames_ = stream->getFormat().FrameCount;
  }
}

CVavOzovuSoftwareSound::~CVavOzovuSoftwareSound() {
  if (resampler_) resampler_->drop();
}

int32_t CVavOzovuSoftwareSound::getPlayPosition() {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return -1;
  CLockGuard g(e->getLock());
  if (!resampler_ || !engine() || outputRate_ <= 0) return -1;
  uint64_t ms = playPosition_ * 1000 / static_cast<uint64_t>(outputRate_);
  return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

bool CVavOzovuSoftwareSound::setPlayPosition(int32_t ms) {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return false;
  CLockGuard g(e->getLock());
  if (!resampler_ || !engine() || sourceFrames_ <= 0 || sourceRate_ <= 0 || ms < 0) return false;
  int64_t target = static_cast<int64_t>(ms) * sourceRate_ / 1000;
  if (target > sourceFrames_) target = sourceFrames_;
  bool ok = resampler_->setPosition(static_cast<int32_t>(target));
  if (ok) playPosition_ = static_cast<uint64_t>(target) * static_cast<uint64_t>(outputRate_) /
                          static_cast<uint64_t>(sourceRate_);
  return ok;
}

bool CVavOzovuSoftwareSound::setPlaybackSpeed(float speed) {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return false;
  CLockGuard g(e->getLock());
  if (!resampler_ || !engine()) return false;
  speed_ = speed < 0.01f ? 0.01f : (speed > 5.0f ? 5.0f : speed);
  return true;
}

float CVavOzovuSoftwareSound::getPlaybackSpeed() {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return speed_;
  CLockGuard g(e->getLock());
  return speed_;
}

void CVavOzovuSoftwareSound::updateSound(float master, const vec3df& listenerPos, const vec3df& look,
                                         const vec3df& up, bool linearRolloff, float) {
  if (resampler_) apply3DVolumeAndPan(master, listenerPos, look, up, linearRolloff);
}

void CVavOzovuSoftwareSound::releaseBuffer() {
  if (resampler_) resampler_->drop();
  resampler_ = nullptr;
  playPosition_ = 0;
}

int32_t CVavOzovuSoftwareSound::readWithVolumeAndPan(int16_t* target, int32_t frames) {
  int32_t k = resampler_->readFrames(target, frames, speed_);
  float p = bufferPan_, left = 1, right = 1;
  if (p > 0) right = 1 - 10 * p;
  else if (p < 0) left = 1 + 10 * p;
  left = left < 0 ? 0 : (left > 1 ? 1 : left);
  right = right < 0 ? 0 : (right > 1 ? 1 : right);
  const float gl = bufferVolume_ * left, gr = bufferVolume_ * right;
  if (gl > 0.999999f && gl < 1.000001f && gr > 0.999999f && gr < 1.000001f) return k;
  // Products clamp to 16 bits: a volume above 1 must not wrap around.
  for (int32_t i = 0; i < k; ++i) {
    float l = target[2 * i] * gl, r = target[2 * i + 1] * gr;
    target[2 * i] = static_cast<int16_t>(l < -32768.f ? -32768 : (l > 32767.f ? 32767 : static_cast<int32_t>(l)));
    target[2 * i + 1] = static_cast<int16_t>(r < -32768.f ? -32768 : (r > 32767.f ? 32767 : static_cast<int32_t>(r)));
  }
  return k;
}

void CVavOzovuSoftwareSound::renderSoftwareSound(int16_t* scratch, int32_t frames) {
  if (!resampler_) {
    memset(scratch, 0, static_cast<size_t>(frames) * 4);
    return;
  }
  int32_t k = readWithVolumeAndPan(scratch, frames);
  playPosition_ += static_cast<uint64_t>(k * speed_);
  if (k >= frames) return;
  if (looped_) {
    // Go round as often as the block needs: a loop shorter than the block
    // repeats until the block is full.
    int32_t filled = k;
    int32_t sinceStart = -1;
    while (filled < frames && resampler_->continueFromStart()) {
      int32_t got = readWithVolumeAndPan(scratch + static_cast<size_t>(filled) * 2, frames - filled);
      if (got <= 0) break;
      filled += got;
      sinceStart = got;
    }
    if (sinceStart >= 0) playPosition_ = static_cast<uint64_t>(sinceStart * speed_);
    if (filled < frames) {
      memset(scratch + static_cast<size_t>(filled) * 2, 0, static_cast<size_t>(frames - filled) * 4);
      // Nothing more to be had: a source that cannot go back ends here.
      if (filled == k) releaseBuffer();
    }
    return;
  }
  memset(scratch + static_cast<size_t>(k) * 2, 0, static_cast<size_t>(frames - k) * 4);
  releaseBuffer();
}

}  // namespace vavozovu
