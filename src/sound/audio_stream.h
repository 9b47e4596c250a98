// Audio streams turn an open file reader into PCM frames; stream loaders
// recognise a file by its name and make the stream.
#pragma once
#include <cstdint>

#include "sound/file_reader.h"
#include "sound/ref_counted.h"

namespace vavozovu {

enum ESampleFormat { ESF_U8 = 0, ESF_S16 = 1 };

struct SAudioStreamFormat {
  int32_t ChannelCount = 0;  // 1 or 2
  int32_t FrameCount = 0;    // -1 when not known
  int32_t SampleRate = 0;    // frames per second
  int32_t SampleFormat = 0;  // ESampleFormat

  int32_t getSampleSize() const { return SampleFormat == ESF_S16 ? 2 : 1; }
  int32_t getFrameSize() const { return getSampleSize() * ChannelCount; }
  // Bytes of the whole sound, 64-bit so that long sounds do not wrap.
  int64_t getSampleDataSize() const {
    return static_cast<int64_t>(getFrameSize()) * FrameCount;
  }
};

class IAudioStream : public IRefCounted {
 public:
  virtual SAudioStreamFormat getFormat() = 0;
  virtual bool setPosition(int32_t frame) = 0;
  virtual bool isSeekingSupported() = 0;
  // Interleaved frames; fewer than asked (0 at the end) ends the data.
  virtual int32_t readFrames(void* target, int32_t frameCount) = 0;
};

class IAudioStreamLoader : public IRefCounted {
 public:
  virtual bool isValidFileExtension(const char* fileName) = 0;
  // A stream with one reference, or null; the stream grabs the reader.
  virtual IAudioStream* createAudioStream(IFileReader* reader) = 0;
};

}  // namespace vavozovu
