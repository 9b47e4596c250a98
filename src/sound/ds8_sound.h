// The playing sound of the DirectSound 8 driver: the DirectSound sound plus
// the nine standard effects, switched per sound through
// ISoundEffectControl when the sound was played with effects enabled.
#pragma once
#include <vector>

#include "sound/ds_sound.h"
#include "sound/sound_effect_control.h"

namespace vavozovu {

class CVavOzovuDS8Sound : public CVavOzovuDSSound, private ISoundEffectControl {
 public:
  CVavOzovuDS8Sound(CVavOzovuSoundSource* source, CVavOzovuBufferedSamples* samples, bool looped,
                    DsDevice* device, bool hardware3D, bool globalFocus, float minDistance,
                    float maxDistance, bool effects);

  ISoundEffectControl* getSoundEffectControl() override;
  void releaseBuffer() override;

 protected:
  CVavOzovuDS8Sound(StreamRing ring, CVavOzovuSoundSource* source, const SAudioStreamFormat& format,
                    bool looped, DsDevice* device, bool hardware3D, bool globalFocus,
                    float minDistance, float maxDistance, bool effects)
      : CVavOzovuDSSound(ring, source, format, looped, device, hardware3D, globalFocus, minDistance,
                         maxDistance, effects) {}

 private:
  struct SRunningSoundEffect {
    DsEffectKind kind;
    std::vector<uint8_t> params;  // the effect's parameter block
  };

  // Puts the block in the list (replacing that effect's block) and hands
  // it to the buffer.
  bool setEffect(DsEffectKind kind, const void* block);
  void removeEffect(DsEffectKind kind);
  bool hasEffect(DsEffectKind kind);
  // Without an entry the buffer's whole chain is made anew (the buffer
  // stops meanwhile); with one only that effect's parameters change.
  bool applyEffects(int entry);
  bool applyEffectParameters(const SRunningSoundEffect& e);

  void disableAllEffects() override;
  bool enableChorus(float wetDryMix, float depth, float feedback, float frequency,
                    bool sinusWaveForm, float delay, int32_t phase) override;
  void disableChorus() override { removeEffect(DSFX_CHORUS); }
  bool isChorusEnabled() override { return hasEffect(DSFX_CHORUS); }
  bool enableCompressor(float gain, float attack, float release, float threshold, float ratio,
                        float predelay) override;
  void disableCompressor() override { removeEffect(DSFX_COMPRESSOR); }
  bool isCompressorEnabled() override { return hasEffect(DSFX_COMPRESSOR); }
  bool enableDistortion(float gain, float edge, float postEQCenterFrequency, float postEQBandwidth,
                        float preLowpassCutoff) override;
  void disableDistortion() override { removeEffect(DSFX_DISTORTION); }
  bool isDistortionEnabled() override { return hasEffect(DSFX_DISTORTION); }
  bool enableEcho(float wetDryMix, float feedback, float leftDelay, float rightDelay,
                  int32_t panDelay) override;
  void disableEcho() override { removeEffect(DSFX_ECHO); }
  bool isEchoEnabled() override { return hasEffect(DSFX_ECHO); }
  bool enableFlanger(float wetDryMix, float depth, float feedback, float frequency,
                     bool sinusWaveForm, float delay, int32_t phase) override;
  void disableFlanger() override { removeEffect(DSFX_FLANGER); }
  bool isFlangerEnabled() override { return hasEffect(DSFX_FLANGER); }
  bool enableGargle(int32_t rateHz, bool sinusWaveForm) override;
  void disableGargle() override { removeEffect(DSFX_GARGLE); }
  bool isGargleEnabled() override { return hasEffect(DSFX_GARGLE); }
  bool enableI3DL2Reverb(int32_t room, int32_t roomHF, float roomRolloffFactor, float decayTime,
                         float decayHFRatio, int32_t reflections, float reflectionsDelay,
                         int32_t reverb, float reverbDelay, float diffusion, float density,
                         float hfReference) override;
  void disableI3DL2Reverb() override { removeEffect(DSFX_I3DL2REVERB); }
  bool isI3DL2ReverbEnabled() override { return hasEffect(DSFX_I3DL2REVERB); }
  bool enableParamEq(float center, float bandwidth, float gain) override;
  void disableParamEq() override { removeEffect(DSFX_PARAMEQ); }
  bool isParamEqEnabled() override { return hasEffect(DSFX_PARAMEQ); }
  bool enableWavesReverb(float inGain, float reverbMix, float reverbTime,
                         float highFreqRTRatio) override;
  void disableWavesReverb() override { removeEffect(DSFX_WAVESREVERB); }
  bool isWavesReverbEnabled() override { return hasEffect(DSFX_WAVESREVERB); }

  std::vector<SRunningSoundEffect> effectList_;
};

}  // namespace vavozovu
