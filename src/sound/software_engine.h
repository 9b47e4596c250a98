// Back-ends without a hardware mixer: every audible sound is mixed in
// software into 16-bit stereo at the output rate.
#pragma once
#include "sound/engine.h"

namespace vavozovu {

class CVavOzovuSoftwareSoundEngine : public CVavOzovuSoundEngine {
 public:
  static const int32_t kMixBlockFrames = 2048;

  CVavOzovuSoftwareSoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options);

  bool setMixedDataOutputReceiver(IMixedOutputReceiver* receiver) override;
  ISound* createBufferedSound(CVavOzovuBufferedSamples* samples, CVavOzovuSoundSource* source,
                              bool looped, bool is3D, float minDistance, float maxDistance,
                              bool effects) override;
  ISound* createStreamedSound(IAudioStream* stream, CVavOzovuSoundSource* source, bool looped,
                              bool is3D, float minDistance, float maxDistance, bool effects) override;
  virtual int32_t getOutputSampleRate() = 0;

  // Mixes n frames of every audible sound into out (16-bit stereo).
  void mixSoftwareSounds(int16_t* out, int32_t frames);

 private:
  IMixedOutputReceiver* receiver_ = nullptr;
};

}  // namespace vavozovu
