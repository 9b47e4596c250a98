// Streamed sounds on a looping ring buffer that each update refills behind the play cursor.
#include "sound/ds_stream.h"

#include <cstring>

#include "sound/engine.h"

namespace vavozovu {

using vz_internal::CLockGuard;

template <class Base>
CVavOzovuDSStreamT<Base>::CVavOzovuDSStreamT(CVavOzovuSoundSource* source, IAudioStream* stream,
                                             bool looped, DsDevice* device, bool hardware3D,
                                             bool globalFocus, float minDistance,
                                             float maxDistance, bool effects)
    : Base(typename Base::StreamRing(), source, stream->getFormat(), looped, device, hardware3D,
           globalFocus, minDistance, maxDistance, effects),
      stream_(stream),
      ringFrames_(stream->getFormat().SampleRate),
      streamLength_(stream->getFormat().FrameCount >= 1 ? stream->getFormat().FrameCount : -1) {
  stream_->grab();
  // The first update fills the whole ring.
  this->updateSound(1.0f, vec3df(0, 0, 0), vec3df(1, 1, 1), vec3df(0, 1, 0), false, 1.0f);
}

template <class Base>
CVavOzovuDSStreamT<Base>::~CVavOzovuDSStreamT() {
  stream_->drop();
}

template <class Base>
void CVavOzovuDSStreamT<Base>::setIsLooped(bool looped) {
  CVavOzovuSoundEngine* e = this->engine();
  if (!e) return;
  CLockGuard g(e->getLock());
  // The ring itself always loops; the flag only decides what follows the
  // stream's end.
  this->looped_ = looped;
}

template <class Base>
void CVavOzovuDSStreamT<Base>::playBuffer() {
  if (this->buffer_ && ds_failed(this->buffer_->Play(0, 0, DSBPLAY_LOOPING)))
    vz_internal::logText("Failed playing stream");
}

template <class Base>
void CVavOzovuDSStreamT<Base>::updateSound(float master, const vec3df& listenerPos,
                                           const vec3df& look, const vec3df& up,
                                           bool linearRolloff, float rolloffFactor) {
  refillStreamBuffer();
  Base::updateSound(master, listenerPos, look, up, linearRolloff, rolloffFactor);
}

template <class Base>
int32_t CVavOzovuDSStreamT<Base>::readStream(uint8_t* target, int32_t n) {
  if (!this->monoFold_) return stream_->readFrames(target, n);
  // A 3D ring holds one channel: read whole frames, keep the first channel.
  const SAudioStreamFormat& f = this->format_;
  scratch_.resize(static_cast<size_t>(n) * static_cast<size_t>(f.getFrameSize()));
  int32_t got = stream_->readFrames(scratch_.data(), n);
  if (got > 0) extractFirstChannel(target, scratch_.data(), got, f.getFrameSize(), f.getSampleSize());
  return got;
}

template <class Base>
int32_t CVavOzovuDSStreamT<Base>::fillFromStream(uint8_t* target, int32_t n) {
  const int32_t fb = this->frameBytes_;
  int32_t got = 0;
  while (got < n) {
    int32_t r = readStream(target + static_cast<size_t>(got) * fb, n - got);
    if (r > 0) {
      got += r;
      readSinceRewind_ += r;
      continue;
    }
    // The stream ended: now its length is known.
    if (streamLength_ < 1 && readSinceRewind_ > 0) streamLength_ = readSinceRewind_;
    if (!this->looped_ || readSinceRewind_ == 0 || !stream_->setPosition(0)) break;
    readSinceRewind_ = 0;
  }
  if (got < n) {
    if (!this->looped_ && endAt_ < 0) endAt_ = ringWritten_ + got;
    memset(target + static_cast<size_t>(got) * fb, this->format_.SampleFormat == ESF_U8 ? 0x80 : 0,
           static_cast<size_t>(n - got) * fb);
  }
  return got;
}

template <class Base>
void CVavOzovuDSStreamT<Base>::refillStreamBuffer() {
  DsBuffer* b = this->buffer_;
  if (!b || ringFrames_ <= 0) return;
  const bool first = writeCursor_ < 0;
  if (first) {
    writeCursor_ = 0;
    lastPlayCursor_ = 0;
    ringWritten_ = ringPlayed_ = 0;
  } else if (this->paused_) {
    return;
  }
  uint32_t play = 0;
  if (ds_failed(b->GetCurrentPosition(&play, nullptr))) {
    vz_internal::logText("Failed getting position of stream");
    return;
  }
  const int32_t fb = this->frameBytes_;
  const int32_t playFrame = static_cast<int32_t>(play / static_cast<uint32_t>(fb)) % ringFrames_;
  if (!first) {
    ringPlayed_ += (playFrame - lastPlayCursor_ + ringFrames_) % ringFrames_;
    lastPlayCursor_ = playFrame;
    // An unlooped stream ends once its silence tail has begun to play.
    if (endAt_ >= 0 && ringPlayed_ >= endAt_) {
      this->releaseBuffer();
      return;
    }
  }
  int64_t unplayed = ringWritten_ - ringPlayed_;
  if (unplayed < 0) {
    // The play cursor overtook the writes: go on just ahead of it.
    writeCursor_ = (playFrame + kGuardFrames) % ringFrames_;
    ringWritten_ = ringPlayed_ + kGuardFrames;
    unplayed = kGuardFrames;
  }
  // Only the frames already played may be written, and not those right
  // behind the play cursor.
  const int64_t toWrite = ringFrames_ - unplayed - (first ? 0 : kGuardFrames);
  if (toWrite <= 0) return;
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  if (ds_failed(b->Lock(static_cast<uint32_t>(writeCursor_) * fb, static_cast<uint32_t>(toWrite) * fb,
                        &p1, &n1, &p2, &n2, 0))) {
    vz_internal::logText("Could not lock buffer for stream update");
    return;
  }
  const int32_t f1 = static_cast<int32_t>(n1) / fb, f2 = static_cast<int32_t>(n2) / fb;
  int32_t want = static_cast<int32_t>(toWrite);
  int32_t w1 = want < f1 ? want : f1;
  fillFromStream(static_cast<uint8_t*>(p1), w1);
  int32_t w2 = 0;
  if (p2 && want > w1) {
    w2 = want - w1 < f2 ? want - w1 : f2;
    ringWritten_ += w1;  // the end mark of the second part counts from here
    fillFromStream(static_cast<uint8_t*>(p2), w2);
    ringWritten_ -= w1;
  }
  writeCursor_ = static_cast<int32_t>((writeCursor_ + w1 + w2) % ringFrames_);
  ringWritten_ += w1 + w2;
  if (ds_failed(b->Unlock(p1, static_cast<uint32_t>(w1) * fb, p2, static_cast<uint32_t>(w2) * fb)))
    vz_internal::logText("Could not unlock buffer for stream update");
}

template <class Base>
int32_t CVavOzovuDSStreamT<Base>::getPlayPosition() {
  CVavOzovuSoundEngine* e = this->engine();
  const int32_t rate = this->format_.SampleRate;
  if (rate <= 0) return -1;
  if (!e) return 0;
  CLockGuard g(e->getLock());
  if (!this->buffer_) return 0;
  int64_t p = positionBase_ + ringPlayed_;
  uint32_t play = 0;
  if (writeCursor_ >= 0 && !ds_failed(this->buffer_->GetCurrentPosition(&play, nullptr)))
    p += (static_cast<int32_t>(play / static_cast<uint32_t>(this->frameBytes_)) % ringFrames_ -
          lastPlayCursor_ + ringFrames_) % ringFrames_;
  // Counted again from 0 past the end, looped or not: an unlooped stream
  // plays its silence tail there until the next update lets it go.
  if (streamLength_ >= 1 && p >= streamLength_) p %= streamLength_;
  return static_cast<int32_t>(p * 1000 / rate);
}

template <class Base>
bool CVavOzovuDSStreamT<Base>::setPlayPosition(int32_t ms) {
  CVavOzovuSoundEngine* e = this->engine();
  const int32_t rate = this->format_.SampleRate;
  if (!e || rate <= 0) return false;
  CLockGuard g(e->getLock());
  if (!this->buffer_ || streamLength_ < 1) return false;
  int64_t frame = static_cast<int64_t>(static_cast<uint32_t>(ms)) * rate / 1000;
  if (frame > streamLength_) frame = streamLength_;
  if (!stream_->setPosition(static_cast<int32_t>(frame))) return false;
  this->buffer_->SetCurrentPosition(0);
  writeCursor_ = -1;
  endAt_ = -1;
  positionBase_ = frame;
  readSinceRewind_ = frame;
  refillStreamBuffer();
  return true;
}

template class CVavOzovuDSStreamT<CVavOzovuDSSound>;
template class CVavOzovuDSStreamT<CVavOzovuDS8Sound>;

}  // namespace vavozovu
