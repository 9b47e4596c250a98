// Software-mixed sounds: decoded samples as a stream, resampled, with volume and pan applied.
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

const uint8_t* CVavOzovuBufferedSamplesAudioStream::takeFrames(int32_t frameCount, int32_t* got) {
  *got = 0;
  const SAudioStreamFormat& f = samples_->getFormat();
  const int32_t frameSize = f.getFrameSize();
  if (!samples_->getData() || frameSize <= 0 || frameCount <= 0) return nullptr;
  int64_t remaining = samples_->getByteSize() - bytePosition_;
  int64_t bytes = static_cast<int64_t>(frameCount) * frameSize;
  if (bytes > remaining) bytes = remaining;
  bytes -= bytes % frameSize;
  if (bytes <= 0) return nullptr;
  const uint8_t* at = samples_->getData() + bytePosition_;
  bytePosition_ += bytes;
  *got = static_cast<int32_t>(bytes / frameSize);
  return at;
}

const uint8_t* CVavOzovuBufferedSamplesAudioStream::peekFrames(int64_t* left, int64_t* before) const {
  *left = *before = 0;
  const int32_t frameSize = samples_->getFormat().getFrameSize();
  if (!samples_->getData() || frameSize <= 0) return nullptr;
  *before = bytePosition_ / frameSize;
  *left = (samples_->getByteSize() - bytePosition_) / frameSize;
  return samples_->getData() + bytePosition_;
}

int32_t CVavOzovuBufferedSamplesAudioStream::readFrames(void* target, int32_t frameCount) {
  int32_t got = 0;
  const uint8_t* at = takeFrames(frameCount, &got);
  if (at) memcpy(target, at, static_cast<size_t>(got) * samples_->getFormat().getFrameSize());
  return got;
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

void CVavOzovuSoftwareSound::mixSoftwareSound(int32_t* acc, int32_t frames) {
  if (!resampler_) return;
  // Pan law: the far channel fades out over the first tenth of the range.
  float p = bufferPan_, left = 1, right = 1;
  if (p > 0) right = 1 - 10 * p;
  else if (p < 0) left = 1 + 10 * p;
  left = left < 0 ? 0 : (left > 1 ? 1 : left);
  right = right < 0 ? 0 : (right > 1 ? 1 : right);
  float gl = bufferVolume_ * left, gr = bufferVolume_ * right;
  if (gl > 0.999999f && gl < 1.000001f && gr > 0.999999f && gr < 1.000001f) gl = gr = 1.0f;
  const int32_t k = resampler_->mixFrames(acc, frames, speed_, gl, gr, looped_, bufferVolume_ == 0.0f);
  if (sourceRate_ > 0)
    playPosition_ = static_cast<uint64_t>(resampler_->getSourcePosition()) *
                    static_cast<uint64_t>(outputRate_) / static_cast<uint64_t>(sourceRate_);
  if (k < frames) releaseBuffer();
}

}  // namespace vavozovu
