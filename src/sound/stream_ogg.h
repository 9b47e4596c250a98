// Ogg Vorbis files, decoded to 16-bit frames by libvorbisfile reading
// through the engine's file reader.
#pragma once
#include "sound/audio_stream.h"

struct OggVorbis_File;

namespace vz_internal {
namespace io {
class IFileSystem;
}
}  // namespace vz_internal

namespace vavozovu {

class CVavOzovuAudioStreamOGG : public IAudioStream {
 public:
  explicit CVavOzovuAudioStreamOGG(IFileReader* reader);
  ~CVavOzovuAudioStreamOGG() override;
  SAudioStreamFormat getFormat() override { return format_; }
  bool setPosition(int32_t frame) override;
  bool isSeekingSupported() override { return true; }
  int32_t readFrames(void* target, int32_t frameCount) override;
  bool isOK() const { return reader_ != nullptr; }

 private:
  IFileReader* reader_;
  OggVorbis_File* file_;
  SAudioStreamFormat format_;
};

class CVavOzovuAudioStreamLoaderOGG : public IAudioStreamLoader {
 public:
  explicit CVavOzovuAudioStreamLoaderOGG(vz_internal::io::IFileSystem* fs);
  ~CVavOzovuAudioStreamLoaderOGG() override;
  bool isValidFileExtension(const char* fileName) override;
  IAudioStream* createAudioStream(IFileReader* reader) override;

 private:
  vz_internal::io::IFileSystem* fs_;
};

}  // namespace vavozovu
