// RIFF WAVE files holding PCM samples of 8, 16 or 24 bits (24-bit data is
// delivered as 16-bit).
#pragma once
#include "sound/audio_stream.h"

namespace vz_internal {
namespace io {
class IFileSystem;
}
}  // namespace vz_internal

namespace vavozovu {

class CVavOzovuAudioStreamWAV : public IAudioStream {
 public:
  explicit CVavOzovuAudioStreamWAV(IFileReader* reader);
  ~CVavOzovuAudioStreamWAV() override;
  SAudioStreamFormat getFormat() override { return format_; }
  bool setPosition(int32_t frame) override;
  bool isSeekingSupported() override { return true; }
  int32_t readFrames(void* target, int32_t frameCount) override;
  bool isOK() const { return reader_ != nullptr; }

 private:
  bool parse();
  bool skipChunk(int32_t chunkStart, uint32_t size);
  int32_t fileFrameSize() const;

  IFileReader* reader_;
  SAudioStreamFormat format_;
  int32_t dataStart_ = 0;
  bool is24Bit_ = false;
};

class CVavOzovuAudioStreamLoaderWAV : public IAudioStreamLoader {
 public:
  explicit CVavOzovuAudioStreamLoaderWAV(vz_internal::io::IFileSystem* fs);
  ~CVavOzovuAudioStreamLoaderWAV() override;
  bool isValidFileExtension(const char* fileName) override;
  IAudioStream* createAudioStream(IFileReader* reader) override;

 private:
  vz_internal::io::IFileSystem* fs_;
};

// The registered name of a WAVE format tag, or null.
const char* waveFormatTagName(uint32_t tag);

}  // namespace vavozovu
