#include "sound/resampler.h"

#include <dumb.h>

#include <cstring>

namespace vavozovu {

CVavOzovuSoftwareStreamResamplerBase::CVavOzovuSoftwareStreamResamplerBase(int32_t outputRate,
                                                                           IAudioStream* stream)
    : CVavOzovuSoftwareResampler(outputRate), stream_(stream) {
  if (stream_) {
    stream_->grab();
    sourceFormat_ = stream_->getFormat();
  }
  outputFormat_.ChannelCount = 2;
  outputFormat_.SampleRate = outputRate;
  outputFormat_.FrameCount = sourceFormat_.FrameCount;
  outputFormat_.SampleFormat = sourceFormat_.SampleFormat;
}

CVavOzovuSoftwareStreamResamplerBase::~CVavOzovuSoftwareStreamResamplerBase() {
  if (stream_) stream_->drop();
}

int32_t CVavOzovuSoftwareStreamResamplerBase::readFrames(int16_t* target, int32_t frames, float) {
  return stream_ ? stream_->readFrames(target, frames) : 0;
}

bool CVavOzovuSoftwareStreamResamplerBase::setPosition(int32_t frame) {
  return stream_ ? stream_->setPosition(frame) : false;
}

CVavOzovuSoftwareStreamResampler::CVavOzovuSoftwareStreamResampler(int32_t outputRate,
                                                                   IAudioStream* stream)
    : CVavOzovuSoftwareStreamResamplerBase(outputRate, stream),
      stateLeft_(new DUMB_RESAMPLER),
      stateRight_(new DUMB_RESAMPLER) {
  memset(stateLeft_, 0, sizeof *stateLeft_);
  memset(stateRight_, 0, sizeof *stateRight_);
  refill();
  fullReset();
}

CVavOzovuSoftwareStreamResampler::~CVavOzovuSoftwareStreamResampler() {
  delete stateLeft_;
  delete stateRight_;
}

void CVavOzovuSoftwareStreamResampler::refill() {
  blockFrames_ = 0;
  if (!stream_) return;
  const int32_t channels = sourceFormat_.ChannelCount;
  if (channels < 1 || channels > 2) return;
  uint8_t scratch[kBlockFrames * 2 * 2];
  int32_t got = stream_->readFrames(scratch, kBlockFrames);
  if (got <= 0) return;
  if (got > kBlockFrames) got = kBlockFrames;
  if (sourceFormat_.SampleFormat == ESF_S16) {
    const int16_t* s = reinterpret_cast<const int16_t*>(scratch);
    for (int32_t i = 0; i < got; ++i) {
      left_[i] = s[i * channels];
      if (channels == 2) right_[i] = s[i * 2 + 1];
    }
  } else {
    for (int32_t i = 0; i < got; ++i) {
      left_[i] = (static_cast<int32_t>(scratch[i * channels]) - 128) * 256;
      if (channels == 2) right_[i] = (static_cast<int32_t>(scratch[i * 2 + 1]) - 128) * 256;
    }
  }
  blockFrames_ = got;
}

void CVavOzovuSoftwareStreamResampler::fullReset() {
  dumb_reset_resampler(stateLeft_, left_, 1, 0, 0, blockFrames_);
  if (sourceFormat_.ChannelCount == 2) dumb_reset_resampler(stateRight_, right_, 1, 0, 0, blockFrames_);
}

void CVavOzovuSoftwareStreamResampler::repoint() {
  DUMB_RESAMPLER* states[2] = {stateLeft_, stateRight_};
  int32_t* blocks[2] = {left_, right_};
  for (int c = 0; c < sourceFormat_.ChannelCount && c < 2; ++c) {
    DUMB_RESAMPLER* r = states[c];
    r->src = blocks[c];
    r->pos -= r->end;
    if (r->pos < 0) r->pos = 0;
    r->start = 0;
    r->end = blockFrames_;
    r->dir = 1;
  }
}

bool CVavOzovuSoftwareStreamResampler::setPosition(int32_t frame) {
  if (!stream_ || !stream_->setPosition(frame)) return false;
  refill();
  fullReset();
  return true;
}

bool CVavOzovuSoftwareStreamResampler::continueFromStart() {
  if (!stream_ || !stream_->setPosition(0)) return false;
  refill();
  if (blockFrames_ == 0) return false;
  repoint();
  return true;
}

int32_t CVavOzovuSoftwareStreamResampler::readFrames(int16_t* target, int32_t frames, float speed) {
  const int32_t channels = sourceFormat_.ChannelCount;
  if (!stream_ || channels < 1 || channels > 2 || sourceFormat_.SampleRate <= 0 || frames <= 0)
    return 0;
  const float step = static_cast<float>(sourceFormat_.SampleRate) * speed / outputRate_;
  int32_t outL[kBlockFrames], outR[kBlockFrames];
  int32_t done = 0;
  while (done < frames) {
    int32_t want = frames - done < kBlockFrames ? frames - done : kBlockFrames;
    memset(outL, 0, sizeof(int32_t) * static_cast<size_t>(want));
    long got = dumb_resample_1_1(stateLeft_, outL, want, 1.0f, step);
    if (channels == 2) {
      memset(outR, 0, sizeof(int32_t) * static_cast<size_t>(want));
      long gotR = dumb_resample_1_1(stateRight_, outR, want, 1.0f, step);
      if (gotR < got) got = gotR;
    }
    if (got > 0) {
      const int32_t* right = channels == 2 ? outR : outL;
      int16_t* out = target + static_cast<size_t>(done) * 2;
      for (long i = 0; i < got; ++i) {
        int32_t l = outL[i], r = right[i];
        out[2 * i] = static_cast<int16_t>(l < -32768 ? -32768 : (l > 32767 ? 32767 : l));
        out[2 * i + 1] = static_cast<int16_t>(r < -32768 ? -32768 : (r > 32767 ? 32767 : r));
      }
      done += static_cast<int32_t>(got);
      continue;
    }
    refill();
    if (blockFrames_ == 0) break;
    repoint();
  }
  return done;
}

CVavOzovuSoftwareResampler* createResampler(int32_t outputRate, IAudioStream* stream) {
  if (stream) return new CVavOzovuSoftwareStreamResampler(outputRate, stream);
  return new CVavOzovuSoftwareStreamResamplerBase(outputRate, nullptr);
}

}  // namespace vavozovu
