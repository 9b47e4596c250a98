// Oscillators and the table of sound-effect recipes, each rendered from layered tones.
#include "sound/synth.h"

#include <cmath>

#include "common/out.h"

namespace tw {

float osc(Wave w, double p) {
  double f = p - std::floor(p);
  switch (w) {
    case Wave::Sine: return float(std::sin(f * 2 * M_PI));
    case Wave::Square: return f < 0.5 ? 0.8f : -0.8f;
    case Wave::Saw: return float(2 * f - 1) * 0.8f;
    case Wave::Tri: return float(f < 0.5 ? 4 * f - 1 : 3 - 4 * f);
    default: return 0;
  }
}

const std::vector<Effect>& effects() {
  using W = Wave;
  static const std::vector<Effect> list = {
    // name             rate  ch bits  secs  vol   layers: wave f0 f1 start len amp attack decay [pan0 pan1]
    {"silence",         22050, 1, 8,  0.05f, 1.0f, {}},
    {"trans-zoom",      44100, 2, 16, 0.45f, 0.7f, {{W::LowNoise, 300, 3000, 0, 0.45f, 0.5f, 0.3f, 1.5f, -0.6f, 0.6f},
                                                    {W::Sine, 200, 800, 0, 0.45f, 0.2f, 0.2f, 2, -0.3f, 0.3f}}},
    {"trans-fade",      22050, 1, 16, 0.5f,  0.6f, {{W::Sine, 880, 880, 0, 0.5f, 0.3f, 0.01f, 2.5f},
                                                    {W::Sine, 1320, 1320, 0.08f, 0.42f, 0.15f, 0.01f, 2.5f}}},
    {"trans-bzoom",     44100, 2, 16, 0.45f, 0.7f, {{W::LowNoise, 3000, 300, 0, 0.45f, 0.5f, 0.05f, 1.5f, 0.6f, -0.6f},
                                                    {W::Sine, 800, 200, 0, 0.45f, 0.2f, 0.05f, 2, 0.3f, -0.3f}}},
    {"gui-change",      22050, 1, 8,  0.08f, 0.6f, {{W::Square, 660, 990, 0, 0.08f, 0.25f, 0.005f, 1.5f}}},
    {"gui-click",       22050, 1, 8,  0.04f, 0.7f, {{W::Noise, 0, 0, 0, 0.03f, 0.4f, 0.001f, 4},
                                                    {W::Sine, 1800, 1600, 0, 0.04f, 0.3f, 0.001f, 3}}},
    {"gui-down",        22050, 2, 8,  0.06f, 0.6f, {{W::Sine, 300, 180, 0, 0.06f, 0.5f, 0.002f, 2}}},
    {"gui-enter",       22050, 1, 16, 0.07f, 0.5f, {{W::Tri, 1200, 1500, 0, 0.07f, 0.3f, 0.005f, 2}}},
    {"gui-ping",        44100, 1, 16, 0.6f,  0.7f, {{W::Sine, 1568, 1568, 0, 0.6f, 0.4f, 0.002f, 3},
                                                    {W::Sine, 3136, 3136, 0, 0.3f, 0.1f, 0.002f, 3}}},
    {"map-enter",       22050, 1, 8,  0.1f,  0.5f, {{W::Tri, 880, 880, 0, 0.1f, 0.3f, 0.005f, 2}}},
    {"map-scroll",      22050, 2, 16, 0.5f,  0.6f, {{W::LowNoise, 200, 600, 0, 0.5f, 0.45f, 0.1f, 1.5f, -0.3f, 0.3f}}},
    {"map-select",      22050, 1, 16, 0.25f, 0.6f, {{W::Square, 523, 523, 0, 0.1f, 0.2f, 0.005f, 1},
                                                    {W::Square, 784, 784, 0.1f, 0.15f, 0.2f, 0.005f, 1.5f}}},
    {"map-locked",      22050, 1, 8,  0.3f,  0.6f, {{W::Saw, 110, 110, 0, 0.3f, 0.35f, 0.01f, 1},
                                                    {W::Saw, 116, 116, 0, 0.3f, 0.35f, 0.01f, 1}}},
    {"map-play",        44100, 2, 16, 0.5f,  0.7f, {{W::Tri, 523, 523, 0, 0.2f, 0.3f, 0.005f, 1.5f, -0.4f, -0.4f},
                                                    {W::Tri, 659, 659, 0.08f, 0.2f, 0.3f, 0.005f, 1.5f, -0.1f, -0.1f},
                                                    {W::Tri, 784, 784, 0.16f, 0.2f, 0.3f, 0.005f, 1.5f, 0.1f, 0.1f},
                                                    {W::Tri, 1047, 1047, 0.24f, 0.26f, 0.3f, 0.005f, 2, 0.4f, 0.4f}}},
    {"lock-locked",     22050, 2, 8,  0.25f, 0.7f, {{W::LowNoise, 150, 150, 0, 0.2f, 0.6f, 0.002f, 3},
                                                    {W::Sine, 90, 70, 0, 0.25f, 0.5f, 0.002f, 2}}},
    {"sfx-click-ios",   44100, 1, 16, 0.02f, 0.6f, {{W::Noise, 0, 0, 0, 0.015f, 0.4f, 0.0005f, 6},
                                                    {W::Sine, 3000, 3000, 0, 0.02f, 0.2f, 0.0005f, 4}}},
    // The play world.
    {"sfx-step",        22050, 1, 8,  0.08f, 0.4f, {{W::LowNoise, 400, 300, 0, 0.08f, 0.4f, 0.003f, 3}}},
    {"sfx-cartridge",   22050, 1, 16, 0.3f,  0.7f, {{W::Square, 988, 988, 0, 0.08f, 0.2f, 0.003f, 1},
                                                    {W::Square, 1319, 1319, 0.08f, 0.22f, 0.2f, 0.003f, 2}}},
    {"sfx-jewel",       44100, 2, 16, 0.6f,  0.7f, {{W::Sine, 2093, 2093, 0, 0.3f, 0.3f, 0.002f, 2, -0.5f, -0.5f},
                                                    {W::Sine, 2637, 2637, 0.06f, 0.3f, 0.3f, 0.002f, 2, 0, 0},
                                                    {W::Sine, 3136, 3136, 0.12f, 0.48f, 0.3f, 0.002f, 2.5f, 0.5f, 0.5f}}},
    {"sfx-keycard",     22050, 1, 16, 0.25f, 0.6f, {{W::Tri, 660, 1320, 0, 0.25f, 0.3f, 0.005f, 1.5f}}},
    {"sfx-unlock",      22050, 2, 8,  0.4f,  0.7f, {{W::LowNoise, 800, 400, 0, 0.15f, 0.4f, 0.002f, 2},
                                                    {W::Square, 220, 440, 0.1f, 0.3f, 0.2f, 0.01f, 1.5f}}},
    {"sfx-bomb",        22050, 1, 16, 0.3f,  0.6f, {{W::Square, 200, 150, 0, 0.3f, 0.2f, 0.003f, 2}}},
    {"sfx-blast",       44100, 2, 16, 1.2f,  0.9f, {{W::LowNoise, 120, 80, 0, 1.2f, 0.9f, 0.002f, 2, -0.2f, 0.2f},
                                                    {W::Sine, 60, 30, 0, 0.8f, 0.6f, 0.002f, 2}}},
    {"sfx-alert",       22050, 1, 16, 0.4f,  0.7f, {{W::Saw, 880, 880, 0, 0.15f, 0.3f, 0.005f, 0.5f},
                                                    {W::Saw, 1175, 1175, 0.15f, 0.25f, 0.3f, 0.005f, 1}}},
    {"sfx-shot",        22050, 1, 16, 0.25f, 0.8f, {{W::Noise, 0, 0, 0, 0.2f, 0.7f, 0.001f, 5},
                                                    {W::Sine, 150, 60, 0, 0.25f, 0.4f, 0.001f, 2}}},
    {"sfx-laser",       22050, 1, 16, 0.3f,  0.6f, {{W::Square, 1800, 300, 0, 0.3f, 0.25f, 0.002f, 1.5f}}},
    {"sfx-toggle",      22050, 1, 8,  0.12f, 0.6f, {{W::Square, 440, 440, 0, 0.05f, 0.3f, 0.002f, 1},
                                                    {W::Noise, 0, 0, 0.05f, 0.07f, 0.2f, 0.002f, 3}}},
    {"sfx-death",       22050, 2, 16, 0.9f,  0.8f, {{W::Saw, 440, 110, 0, 0.9f, 0.35f, 0.01f, 1.5f, 0.3f, -0.3f},
                                                    {W::LowNoise, 300, 100, 0, 0.6f, 0.2f, 0.01f, 2}}},
    {"sfx-exit",        44100, 2, 16, 0.8f,  0.7f, {{W::Sine, 523, 523, 0, 0.3f, 0.3f, 0.005f, 1.5f, -0.5f, -0.5f},
                                                    {W::Sine, 659, 659, 0.1f, 0.3f, 0.3f, 0.005f, 1.5f, -0.2f, -0.2f},
                                                    {W::Sine, 784, 784, 0.2f, 0.3f, 0.3f, 0.005f, 1.5f, 0.2f, 0.2f},
                                                    {W::Sine, 1047, 1047, 0.3f, 0.5f, 0.3f, 0.005f, 2, 0.5f, 0.5f}}},
    {"sfx-battery",     22050, 1, 8,  0.2f,  0.5f, {{W::Square, 1200, 1200, 0, 0.08f, 0.2f, 0.002f, 0.5f},
                                                    {W::Square, 1200, 1200, 0.12f, 0.08f, 0.2f, 0.002f, 0.5f}}},
    {"sfx-zombie",      22050, 1, 16, 0.8f,  0.6f, {{W::Saw, 90, 70, 0, 0.8f, 0.4f, 0.2f, 1.5f},
                                                    {W::LowNoise, 400, 300, 0, 0.8f, 0.2f, 0.2f, 1.5f}}},
    {"sfx-spider",      22050, 1, 8,  0.3f,  0.5f, {{W::Noise, 0, 0, 0, 0.3f, 0.25f, 0.01f, 1},
                                                    {W::Square, 2400, 2000, 0, 0.3f, 0.05f, 0.01f, 2}}},
  };
  return list;
}

std::vector<float> render_effect(const Effect& e) {
  int n = int(e.seconds * e.rate);
  std::vector<float> out(size_t(n) * e.channels, 0.0f);
  Rng rng(0x5eed + uint32_t(n));
  for (const Layer& l : e.layers) {
    double phase = 0;
    float low = 0;
    int s0 = int(l.start * e.rate), len = std::max(1, int(l.len * e.rate));
    for (int i = 0; i < len && s0 + i < n; ++i) {
      float t = float(i) / len;
      float f = l.f0 * std::pow(l.f1 > 0 && l.f0 > 0 ? l.f1 / l.f0 : 1.0f, t);
      float v;
      if (l.wave == Wave::Noise) {
        v = rng.unit() * 2 - 1;
      } else if (l.wave == Wave::LowNoise) {
        float k = 1 - std::exp(-2 * float(M_PI) * f / e.rate);
        low += (rng.unit() * 2 - 1 - low) * k;
        v = low * 2.5f;
      } else {
        v = osc(l.wave, phase);
        phase += f / e.rate;
      }
      float tt = float(i) / e.rate, att = std::max(l.attack, 1e-4f);
      float env = tt < att ? tt / att : std::pow(std::max(0.0f, 1 - (tt - att) / (l.len - att)), l.decay);
      v *= env * l.amp;
      if (e.channels == 1) {
        out[s0 + i] += v;
      } else {
        float pan = l.pan0 + (l.pan1 - l.pan0) * t;
        out[size_t(s0 + i) * 2] += v * std::sqrt((1 - pan) / 2) * 1.41f;
        out[size_t(s0 + i) * 2 + 1] += v * std::sqrt((1 + pan) / 2) * 1.41f;
      }
    }
  }
  return out;
}

}  // namespace tw
