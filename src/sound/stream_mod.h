// Tracker modules (MOD, XM, S3M, IT) rendered by DUMB into 16-bit stereo at
// 44100 Hz. The player stops at the module's loop point; the engine loops by
// restarting it.
#pragma once
#include "sound/audio_stream.h"

struct DUH;
struct DUH_SIGRENDERER;

namespace vz_internal {
namespace io {
class IFileSystem;
}
}  // namespace vz_internal

namespace vavozovu {

class CVavOzovuAudioStreamMOD : public IAudioStream {
 public:
  explicit CVavOzovuAudioStreamMOD(IFileReader* reader);
  ~CVavOzovuAudioStreamMOD() override;
  SAudioStreamFormat getFormat() override { return format_; }
  bool setPosition(int32_t frame) override;
  bool isSeekingSupported() override { return false; }
  int32_t readFrames(void* target, int32_t frameCount) override;
  bool isOK() const { return reader_ != nullptr; }

 private:
  void startRenderer();

  IFileReader* reader_;
  DUH* duh_ = nullptr;
  DUH_SIGRENDERER* renderer_ = nullptr;
  SAudioStreamFormat format_;
};

class CVavOzovuAudioStreamLoaderMOD : public IAudioStreamLoader {
 public:
  explicit CVavOzovuAudioStreamLoaderMOD(vz_internal::io::IFileSystem* fs);
  ~CVavOzovuAudioStreamLoaderMOD() override;
  bool isValidFileExtension(const char* fileName) override;
  IAudioStream* createAudioStream(IFileReader* reader) override;

 private:
  vz_internal::io::IFileSystem* fs_;
};

}  // namespace vavozovu
