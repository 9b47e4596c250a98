// The playing sound of the software back-ends: frames pulled through a
// resampler, volume and pan applied, mixed by the software engine.
#pragma once
#include "sound/resampler.h"
#include "sound/sound.h"
#include "sound/sound_source.h"

namespace vavozovu {

// A stream over decoded samples, so buffered and streamed sounds share the
// resampler path.
class CVavOzovuBufferedSamplesAudioStream : public IAudioStream {
 public:
  explicit CVavOzovuBufferedSamplesAudioStream(CVavOzovuBufferedSamples* samples);
  ~CVavOzovuBufferedSamplesAudioStream() override;
  SAudioStreamFormat getFormat() override { return samples_->getFormat(); }
  bool setPosition(int32_t frame) override;
  bool isSeekingSupported() override { return true; }
  int32_t readFrames(void* target, int32_t frameCount) override;
  // The next frames where they lie, for a reader that converts them as it
  // copies: up to frameCount frames from the current position, which moves
  // past them; *got is how many (0, and null, at the end).
  const uint8_t* takeFrames(int32_t frameCount, int32_t* got);
  // Where the frames from the current position lie, without moving: *left
  // is how many follow, *before how many precede (null when there is no
  // data).
  const uint8_t* peekFrames(int64_t* left, int64_t* before) const;

 private:
  CVavOzovuBufferedSamples* samples_;
  int64_t bytePosition_ = 0;
};

class CVavOzovuSoftwareSound : public CVavOzovuSound {
 public:
  CVavOzovuSoftwareSound(CVavOzovuSoundSource* source, CVavOzovuBufferedSamples* samples,
                         bool looped, int32_t outputRate, float minDistance, float maxDistance);
  CVavOzovuSoftwareSound(CVavOzovuSoundSource* source, IAudioStream* stream, bool looped,
                         int32_t outputRate, float minDistance, float maxDistance);
  ~CVavOzovuSoftwareSound() override;

  int32_t getPlayPosition() override;
  bool setPlayPosition(int32_t ms) override;
  bool setPlaybackSpeed(float speed = 1.0f) override;
  float getPlaybackSpeed() override;

  void updateSound(float master, const vec3df& listenerPos, const vec3df& look, const vec3df& up,
                   bool linearRolloff, float rolloffFactor) override;
  void stopBuffer() override {}
  void playBuffer() override {}
  void releaseBuffer() override;
  bool isBufferFinished() override { return resampler_ == nullptr; }
  void setBufferPan(float pan) override { bufferPan_ = pan; }
  void setBufferVolume(float volume) override { bufferVolume_ = volume; }

  // Mixer side (under the engine lock): adds the next `frames` frames, with
  // volume and pan, to the 32-bit stereo accumulators; a sound at volume 0
  // moves on without adding anything.
  void mixSoftwareSound(int32_t* acc, int32_t frames);
  float getBufferVolume() const { return bufferVolume_; }
  float getBufferPan() const { return bufferPan_; }

 private:
  float bufferVolume_ = 1.0f;
  float bufferPan_ = 0.0f;
  float speed_ = 1.0f;
  uint64_t playPosition_ = 0;  // output frames, scaled by speed
  CVavOzovuSoftwareResampler* resampler_;
  int32_t outputRate_;
  int32_t sourceRate_ = 0;
  int32_t sourceFrames_ = 0;
};

}  // namespace vavozovu
