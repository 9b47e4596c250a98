// The effects of one sound, for sounds played with effects enabled on the
// DirectSound 8 driver (ISound::getSoundEffectControl). Each effect can be
// switched on with its parameters (again to change them), switched off and
// asked about. Every enable answers false when the sound has no output or
// a parameter lies outside its range.
#pragma once
#include <cstdint>

namespace vavozovu {

class ISoundEffectControl {
 public:
  virtual ~ISoundEffectControl() {}
  // Switches every effect of the sound off.
  virtual void disableAllEffects() = 0;

  // Chorus: mix 0..100 %, depth 0..100 %, feedback -99..99 %, frequency
  // 0..10 Hz, sine (else triangle) oscillator, delay 0..20 ms, phase
  // between the channels -180, -90, 0, 90 or 180 degrees.
  virtual bool enableChorus(float wetDryMix = 50, float depth = 10, float feedback = 25,
                            float frequency = 1.1f, bool sinusWaveForm = true, float delay = 16,
                            int32_t phase = 90) = 0;
  virtual void disableChorus() = 0;
  virtual bool isChorusEnabled() = 0;

  // Compressor: output gain -60..60 dB, attack 0.01..500 ms, release
  // 50..3000 ms, threshold -60..0 dB, ratio 1..100, look-ahead 0..4 ms.
  virtual bool enableCompressor(float gain = 0, float attack = 10, float release = 200,
                                float threshold = -20, float ratio = 3, float predelay = 4) = 0;
  virtual void disableCompressor() = 0;
  virtual bool isCompressorEnabled() = 0;

  // Distortion: gain -60..0 dB, edge 0..100 %, band-pass centre and width
  // 100..8000 Hz after the shaper, low-pass cut-off 100..8000 Hz before it.
  virtual bool enableDistortion(float gain = -18, float edge = 15,
                                float postEQCenterFrequency = 2400, float postEQBandwidth = 2400,
                                float preLowpassCutoff = 8000) = 0;
  virtual void disableDistortion() = 0;
  virtual bool isDistortionEnabled() = 0;

  // Echo: mix 0..100 %, feedback 0..100 %, left and right delays
  // 1..2000 ms; pan delay 1 swaps the sides at every repeat.
  virtual bool enableEcho(float wetDryMix = 50, float feedback = 50, float leftDelay = 500,
                          float rightDelay = 500, int32_t panDelay = 0) = 0;
  virtual void disableEcho() = 0;
  virtual bool isEchoEnabled() = 0;

  // Flanger: as chorus with delay 0..4 ms; phase is the index 0..4 of
  // -180, -90, 0, 90, 180 degrees.
  virtual bool enableFlanger(float wetDryMix = 50, float depth = 100, float feedback = -50,
                             float frequency = 0.25f, bool sinusWaveForm = true,
                             float delay = 2, int32_t phase = 2) = 0;
  virtual void disableFlanger() = 0;
  virtual bool isFlangerEnabled() = 0;

  // Gargle: amplitude modulation at 1..1000 Hz, triangle or square.
  virtual bool enableGargle(int32_t rateHz = 20, bool sinusWaveForm = true) = 0;
  virtual void disableGargle() = 0;
  virtual bool isGargleEnabled() = 0;

  // Room reverb: room and room high-frequency levels -10000..0 (hundredths
  // of a dB), roll-off 0..10, decay 0.1..20 s, high-frequency decay ratio
  // 0.1..2, reflections -10000..1000 after 0..0.3 s, reverb -10000..2000
  // after a further 0..0.1 s, diffusion and density 0..100 %, reference
  // frequency 20..20000 Hz.
  virtual bool enableI3DL2Reverb(int32_t room = -1000, int32_t roomHF = -100,
                                 float roomRolloffFactor = 0, float decayTime = 1.49f,
                                 float decayHFRatio = 0.83f, int32_t reflections = -2602,
                                 float reflectionsDelay = 0.007f, int32_t reverb = 200,
                                 float reverbDelay = 0.011f, float diffusion = 100,
                                 float density = 100, float hfReference = 5000) = 0;
  virtual void disableI3DL2Reverb() = 0;
  virtual bool isI3DL2ReverbEnabled() = 0;

  // Equaliser band: centre 80..16000 Hz, width 1..36 semitones, gain
  // -15..15 dB.
  virtual bool enableParamEq(float center = 8000, float bandwidth = 12, float gain = 0) = 0;
  virtual void disableParamEq() = 0;
  virtual bool isParamEqEnabled() = 0;

  // Simple reverb: input gain -96..0 dB, reverb mix -96..0 dB, reverb time
  // 0.001..3000 ms, high-frequency share of that time 0.001..0.999.
  virtual bool enableWavesReverb(float inGain = 0, float reverbMix = 0, float reverbTime = 1000,
                                 float highFreqRTRatio = 0.001f) = 0;
  virtual void disableWavesReverb() = 0;
  virtual bool isWavesReverbEnabled() = 0;
};

}  // namespace vavozovu
