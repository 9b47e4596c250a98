// Conversion of a stream's frames (8/16-bit, mono/stereo, any rate) into
// 16-bit stereo at the output rate, with a playback speed factor.
//
// The stream is pulled into a sliding window of signed 16-bit samples per
// channel; a four-point cubic interpolator walks it in 16.16 fixed point and
// adds the gained frames straight into the mixer's 32-bit accumulators. The
// interpolation matches DUMB's cubic resampler to the bit, so sound that went
// through either path is the same.
#pragma once
#include "sound/audio_stream.h"

namespace vavozovu {

class CVavOzovuBufferedSamplesAudioStream;

class CVavOzovuSoftwareResampler : public IRefCounted {
 public:
  explicit CVavOzovuSoftwareResampler(int32_t outputRate) : outputRate_(outputRate) {}
  // 16-bit stereo frames delivered; fewer than asked at the end.
  virtual int32_t readFrames(int16_t* target, int32_t frames, float speed) = 0;
  virtual bool setPosition(int32_t frame) = 0;
  // Adds up to `frames` stereo frames, scaled by the two gains, to acc
  // (interleaved left, right). A looped source runs on from its start; an
  // unlooped one ends with its last frame faded through the interpolator.
  // With `silent` the frames are skipped, not added. Returns the frames
  // delivered.
  virtual int32_t mixFrames(int32_t* acc, int32_t frames, float speed, float gainLeft,
                            float gainRight, bool looped, bool silent) = 0;
  // The source frame now playing (inside the loop for a looped source).
  virtual int64_t getSourcePosition() const { return 0; }

 protected:
  int32_t outputRate_;
};

class CVavOzovuSoftwareStreamResamplerBase : public CVavOzovuSoftwareResampler {
 public:
  CVavOzovuSoftwareStreamResamplerBase(int32_t outputRate, IAudioStream* stream);
  ~CVavOzovuSoftwareStreamResamplerBase() override;
  int32_t readFrames(int16_t* target, int32_t frames, float speed) override;
  bool setPosition(int32_t frame) override;
  int32_t mixFrames(int32_t*, int32_t, float, float, float, bool, bool) override { return 0; }
  const SAudioStreamFormat& getSourceFormat() const { return sourceFormat_; }

 protected:
  IAudioStream* stream_;
  SAudioStreamFormat sourceFormat_;
  SAudioStreamFormat outputFormat_;
};

class CVavOzovuSoftwareStreamResampler : public CVavOzovuSoftwareStreamResamplerBase {
 public:
  // Source frames per channel held at once.
  static const int32_t kWindowFrames = 4096;
  static const int32_t kBlockFrames = 2048;
  // Samples viewed in place at once: the position keeps 16 bits of whole
  // samples.
  static const int32_t kInPlaceFrames = 32768;

  CVavOzovuSoftwareStreamResampler(int32_t outputRate, IAudioStream* stream);
  int32_t readFrames(int16_t* target, int32_t frames, float speed) override;
  bool setPosition(int32_t frame) override;
  int32_t mixFrames(int32_t* acc, int32_t frames, float speed, float gainLeft, float gainRight,
                    bool looped, bool silent) override;
  int64_t getSourcePosition() const override;

 private:
  enum EndMode { END_LOOP, END_FLUSH, END_HOLD };
  int32_t run(int32_t* acc, int32_t frames, float speed, float gainLeft, float gainRight, EndMode end,
              bool silent);
  // Slides the window down to the interpolator's oldest needed sample and
  // pulls frames until it is full or the stream has ended. False when no
  // sample was added.
  bool refill(EndMode end);
  // Appends up to `room` converted frames from the stream; the count read.
  int32_t pull(int32_t room);
  // Mono 16-bit samples in memory are read where they lie, not copied:
  // when the samples held are the ones just before the stream's position,
  // the view moves onto the buffer and takes most of what follows. True
  // when it did.
  bool viewInPlace();
  void fullReset();

  // Sixteen spare samples: the vector path reads whole loads past the end.
  static const int32_t kSpare = 16;
  int16_t window_[2][kWindowFrames + kSpare];
  // The first channel's samples: window_[0], or the sound's own buffer.
  const int16_t* view_ = window_[0];
  int32_t fill_ = 0;       // samples held per channel
  uint32_t pos_ = 0;       // 16.16 position in the window
  bool ended_ = false;     // the stream has nothing more to give
  bool flushed_ = false;   // the trailing silence is in the window
  int64_t slid_ = 0;       // samples slid out of the window since the last seek
  int64_t startFrame_ = 0; // stream frame that window sample 1 held at the seek
  int64_t loopStart_ = -1; // window-independent index where the first wrap began
  // The stream when it is decoded samples in memory: read in place.
  CVavOzovuBufferedSamplesAudioStream* buffered_;
};

// With a stream, the rate-converting resampler; without, one that delivers
// nothing.
CVavOzovuSoftwareResampler* createResampler(int32_t outputRate, IAudioStream* stream);

}  // namespace vavozovu
