// Conversion of a stream's frames (8/16-bit, mono/stereo, any rate) into
// 16-bit stereo at the output rate, with a playback speed factor. Rate
// conversion runs on DUMB's resampler.
#pragma once
#include "sound/audio_stream.h"

struct DUMB_RESAMPLER;

namespace vavozovu {

class CVavOzovuSoftwareResampler : public IRefCounted {
 public:
  explicit CVavOzovuSoftwareResampler(int32_t outputRate) : outputRate_(outputRate) {}
  // 16-bit stereo frames delivered; fewer than asked at the end.
  virtual int32_t readFrames(int16_t* target, int32_t frames, float speed) = 0;
  virtual bool setPosition(int32_t frame) = 0;
  // Goes on from the stream's first frame as if it followed the last one:
  // position fraction and interpolation history carry over, so a loop has
  // no seam. False when the stream cannot go back.
  virtual bool continueFromStart() { return setPosition(0); }

 protected:
  int32_t outputRate_;
};

class CVavOzovuSoftwareStreamResamplerBase : public CVavOzovuSoftwareResampler {
 public:
  CVavOzovuSoftwareStreamResamplerBase(int32_t outputRate, IAudioStream* stream);
  ~CVavOzovuSoftwareStreamResamplerBase() override;
  int32_t readFrames(int16_t* target, int32_t frames, float speed) override;
  bool setPosition(int32_t frame) override;
  const SAudioStreamFormat& getSourceFormat() const { return sourceFormat_; }

 protected:
  IAudioStream* stream_;
  SAudioStreamFormat sourceFormat_;
  SAudioStreamFormat outputFormat_;
};

class CVavOzovuSoftwareStreamResampler : public CVavOzovuSoftwareStreamResamplerBase {
 public:
  static const int32_t kBlockFrames = 2048;

  CVavOzovuSoftwareStreamResampler(int32_t outputRate, IAudioStream* stream);
  ~CVavOzovuSoftwareStreamResampler() override;
  int32_t readFrames(int16_t* target, int32_t frames, float speed) override;
  bool setPosition(int32_t frame) override;
  bool continueFromStart() override;

 private:
  void refill();
  void fullReset();
  // Points both states at the freshly filled blocks, keeping the position
  // beyond the old block's end, the fraction and the history.
  void repoint();

  int32_t left_[kBlockFrames];
  int32_t right_[kBlockFrames];
  int32_t blockFrames_ = 0;
  DUMB_RESAMPLER* stateLeft_;
  DUMB_RESAMPLER* stateRight_;
};

// With a stream, the rate-converting resampler; without, one that delivers
// nothing.
CVavOzovuSoftwareResampler* createResampler(int32_t outputRate, IAudioStream* stream);

}  // namespace vavozovu
