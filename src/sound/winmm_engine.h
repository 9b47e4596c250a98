// The wave-out back-end: the software mixer's output goes to the wave-out
// device through a ring of 32 blocks of 256 stereo frames that each update
// refills as the device hands them back.
#pragma once
#include "platform/sys_waveout.h"
#include "sound/software_engine.h"

namespace vavozovu {

class CVavOzovuWinMMSoundEngine : public CVavOzovuSoftwareSoundEngine {
 public:
  static const int kBlocks = 32;
  static const int kBlockBytes = 1024;

  CVavOzovuWinMMSoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options,
                            SysAudioSink sink = SYS_AUDIO_SINK_AUTO);
  ~CVavOzovuWinMMSoundEngine() override;

  const char* getDriverName() override { return "winMM"; }
  bool isDeviceOpen() override { return device_ != nullptr; }
  int32_t getOutputSampleRate() override { return 44100; }
  void updateInternal() override;

  // The sink the device plays to.
  SysAudioSink getSink() const;
  // Header flags, for tests of the ring.
  uint32_t getHeaderFlags(int i) const { return headers_[i].flags.load(); }
  const int16_t* getBlock(int i) const {
    return reinterpret_cast<const int16_t*>(blocks_ + i * kBlockBytes);
  }

 private:
  SysWaveOut* device_ = nullptr;
  SysWaveHeader headers_[kBlocks];
  char blocks_[kBlocks * kBlockBytes];
};

// Logs context and the code's text when code is an error; true then.
bool waveOutErrorText(uint32_t code, const char* context);

}  // namespace vavozovu
