// Sound sources from files, memory, raw PCM or aliases: format, length, preload and making sounds.
#include "sound/sound_source.h"

#include <cstring>

#include "sound/engine.h"

namespace vavozovu {

using vz_internal::CLockGuard;

// ---- buffered samples ----

CVavOzovuBufferedSamples::CVavOzovuBufferedSamples(const SAudioStreamFormat& format, const void* data)
    : format_(format) {
  int64_t size = format_.getSampleDataSize();
  if (size < 1) return;
  data_ = new uint8_t[static_cast<size_t>(size)];
  if (data) memcpy(data_, data, static_cast<size_t>(size));
  else memset(data_, 0, static_cast<size_t>(size));
}

CVavOzovuBufferedSamples::CVavOzovuBufferedSamples(const SAudioStreamFormat& format, void* data, bool)
    : format_(format), data_(static_cast<uint8_t*>(data)), owned_(false) {}

CVavOzovuBufferedSamples::~CVavOzovuBufferedSamples() {
  if (owned_) delete[] data_;
}

// ---- file source ----

CVavOzovuSoundSource::CVavOzovuSoundSource(const char* name, E_STREAM_MODE mode,
                                           CVavOzovuSoundEngine* engine)
    : name_(name), streamMode_(mode), engine_(engine) {}

CVavOzovuSoundSource::~CVavOzovuSoundSource() {
  if (samples_) samples_->drop();
  if (reusableBuffers_) reusableBuffers_->drop();
}

void CVavOzovuSoundSource::ensureFormatLoaded() {
  if (format_.ChannelCount != 0 || !engine_) return;
  ISound* s = engine_->play2D(this, false, true, false, false);
  if (s) {
    s->stop();
    s->drop();
  }
}

int32_t CVavOzovuSoundSource::getPlayLength() {
  ensureFormatLoaded();
  if (format_.ChannelCount == 0 || format_.SampleRate == 0 || format_.FrameCount < 0) return -1;
  // 64-bit: a minute at 44100 Hz already passes 2^31 / 1000 frames.
  int64_t ms = static_cast<int64_t>(format_.FrameCount) * 1000 / format_.SampleRate;
  return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

SAudioStreamFormat CVavOzovuSoundSource::getAudioFormat() {
  ensureFormatLoaded();
  return format_;
}

bool CVavOzovuSoundSource::getIsSeekingSupported() {
  ensureFormatLoaded();
  return seekable_;
}

void CVavOzovuSoundSource::setDefaultVolume(float volume) {
  defaultVolume_ = volume < 0 ? 0 : (volume > 1 ? 1 : volume);
}

float CVavOzovuSoundSource::getDefaultMinDistance() {
  if (defaultMinDistance_ > 0) return defaultMinDistance_;
  return engine_ ? engine_->getDefault3DSoundMinDistance() : 1.0f;
}

float CVavOzovuSoundSource::getDefaultMaxDistance() {
  if (defaultMaxDistance_ > 0) return defaultMaxDistance_;
  return engine_ ? engine_->getDefault3DSoundMaxDistance() : 1000000000.0f;
}

void CVavOzovuSoundSource::forceReloadAtNextUse() {
  if (samples_) samples_->drop();
  samples_ = nullptr;
}

void* CVavOzovuSoundSource::getSampleData() {
  ensureFormatLoaded();
  return samples_ ? samples_->getData() : nullptr;
}

void CVavOzovuSoundSource::preloadSamples(vz_internal::io::IFileSystem* fs) {
  openSourceAndCreateSound(true, fs, false, false, false, 0, 0);
}

ISound* CVavOzovuSoundSource::createSoundForSource(vz_internal::io::IFileSystem* fs, bool looped,
                                                   bool is3D, bool effects, float minDistance,
                                                   float maxDistance) {
  return openSourceAndCreateSound(false, fs, looped, is3D, effects, minDistance, maxDistance);
}

IFileReader* CVavOzovuSoundSource::createFileReader(vz_internal::io::IFileSystem* fs) {
  return fs ? fs->createAndOpenFile(name_.c_str()) : nullptr;
}

ISound* CVavOzovuSoundSource::openSourceAndCreateSound(bool preloadOnly,
                                                       vz_internal::io::IFileSystem* fs,
                                                       bool looped, bool is3D, bool effects,
                                                       float minDistance, float maxDistance) {
  CVavOzovuSoundEngine* engine = engine_;
  if (!engine) return nullptr;
  if (samples_) {
    if (preloadOnly) return nullptr;
    return engine->createBufferedSound(samples_, this, looped, is3D, minDistance, maxDistance, effects);
  }
  IFileReader* reader = createFileReader(fs);
  if (!reader) {
    vz_internal::logTextWithName("Could not open sound file", name_.c_str(), 0);
    return nullptr;
  }
  IAudioStream* stream = engine->openAudioStream(reader);
  if (!stream) {
    reader->drop();
    return nullptr;
  }
  format_ = stream->getFormat();
  seekable_ = stream->isSeekingSupported();

  const int64_t size = format_.getSampleDataSize();
  if (streamMode_ == ESM_AUTO_DETECT) {
    streamMode_ = (format_.FrameCount < 0 || size > 512000) ? ESM_STREAMING : ESM_NO_STREAMING;
  } else if (streamMode_ == ESM_NO_STREAMING) {
    if (format_.FrameCount < 0 ||
        (forcedStreamingThreshold_ > 0 && size > forcedStreamingThreshold_)) {
      vz_internal::logTextWithName(
          "No streaming was specified, but forcing to play sound streamed "
          "(See ISoundSource::setForcedStreamingThreshold)",
          name_.c_str(), 0);
      streamMode_ = ESM_STREAMING;
    }
  }

  ISound* sound = nullptr;
  if (streamMode_ == ESM_STREAMING) {
    if (!preloadOnly)
      sound = engine->createStreamedSound(stream, this, looped, is3D, minDistance, maxDistance, effects);
  } else {
    if (!samples_) {
      samples_ = new CVavOzovuBufferedSamples(format_, nullptr);
      uint8_t* data = samples_->getData();
      int32_t got = data ? stream->readFrames(data, format_.FrameCount) : 0;
      if (got < format_.FrameCount) samples_->setFrameCount(got < 0 ? 0 : got);
    }
    if (!preloadOnly)
      sound = engine->createBufferedSound(samples_, this, looped, is3D, minDistance, maxDistance, effects);
  }
  stream->drop();
  reader->drop();
  return sound;
}

// ---- memory source ----

CVavOzovuMemorySoundSource::CVavOzovuMemorySoundSource(const void* data, int32_t size,
                                                       const char* name,
                                                       CVavOzovuSoundEngine* engine, bool copy)
    : CVavOzovuSoundSource(name, ESM_NO_STREAMING, engine),
      data_(static_cast<const uint8_t*>(data)),
      size_(size),
      owns_(false) {
  if (copy && data && size > 0) {
    uint8_t* own = new uint8_t[static_cast<size_t>(size)];
    memcpy(own, data, static_cast<size_t>(size));
    data_ = own;
    owns_ = true;
  }
}

CVavOzovuMemorySoundSource::~CVavOzovuMemorySoundSource() {
  if (owns_) delete[] data_;
}

IFileReader* CVavOzovuMemorySoundSource::createFileReader(vz_internal::io::IFileSystem*) {
  return new vz_internal::io::CMemoryReadFile(data_, size_, name_.c_str(), false);
}

// ---- alias ----

CVavOzovuSoundSourceAlias::CVavOzovuSoundSourceAlias(ISoundSource* target, const char* name,
                                                     CVavOzovuSoundEngine* engine)
    : CVavOzovuSoundSource(name, ESM_AUTO_DETECT, engine), target_(target) {
  target_->grab();
}

CVavOzovuSoundSourceAlias::~CVavOzovuSoundSourceAlias() { target_->drop(); }

// ---- raw PCM ----

namespace {
SAudioStreamFormat pcmFormat(SAudioStreamFormat f, int32_t size) {
  // The frame count never reaches past the caller's block.
  int32_t fit = f.getFrameSize() > 0 ? size / f.getFrameSize() : 0;
  if (f.FrameCount < 0 || f.FrameCount > fit) f.FrameCount = fit;
  return f;
}
}  // namespace

CVavOzovuPurePCMSoundSource::CVavOzovuPurePCMSoundSource(void* data, int32_t size,
                                                         const SAudioStreamFormat& format,
                                                         const char* name,
                                                         CVavOzovuSoundEngine* engine, bool copy)
    : CVavOzovuSoundSource(name, ESM_NO_STREAMING, engine), copy_(copy) {
  format_ = pcmFormat(format, size);
  seekable_ = true;
  if (copy_) samples_ = new CVavOzovuBufferedSamples(format_, data);
  else samples_ = new CVavOzovuBufferedSamples(format_, data, true);
}

CVavOzovuPurePCMSoundSource::~CVavOzovuPurePCMSoundSource() {
  if (samples_ && !copy_) samples_->detachData();
}

}  // namespace vavozovu
