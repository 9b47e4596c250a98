// Oscillators and the sound-effect recipes.
#pragma once
#include <string>
#include <vector>

namespace tw {

enum class Wave { Sine, Square, Saw, Tri, Noise, LowNoise };

// One voice of an effect: a waveform swept from f0 to f1 (Hz) over its
// length, with an attack and a power-law decay, panned from pan0 to pan1.
struct Layer {
  Wave wave;
  float f0, f1, start, len, amp, attack, decay;
  float pan0 = 0, pan1 = 0;
};

struct Effect {
  const char* name;
  int rate, channels, bits;
  float seconds, volume;
  std::vector<Layer> layers;
};

const std::vector<Effect>& effects();

// Renders the effect as interleaved samples.
std::vector<float> render_effect(const Effect& e);

// A single oscillator value at phase p (cycles).
float osc(Wave w, double phase);

}  // namespace tw
