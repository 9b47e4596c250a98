// Renders a composed score to normalised stereo PCM, and the drum hits that tracker modules sample.
#include "sound/render.h"

#include <algorithm>
#include <cmath>

#include "common/out.h"
#include "sound/synth.h"

namespace tw {

namespace {

float key_hz(int key) { return 440.0f * std::pow(2.0f, (key - 69) / 12.0f); }

}  // namespace

std::vector<float> drum_hit(int key, int rate) {
  float secs = key == KICK ? 0.25f : key == SNARE ? 0.18f : 0.05f;
  int n = int(secs * rate);
  std::vector<float> out(n);
  Rng rng(uint32_t(key) * 977);
  double phase = 0;
  float low = 0;
  for (int i = 0; i < n; ++i) {
    float t = float(i) / rate, k = 1 - float(i) / n;
    float noise = rng.unit() * 2 - 1;
    low += (noise - low) * 0.25f;
    if (key == KICK) {
      phase += (45 + 75 * std::exp(-t * 30)) / rate;
      out[i] = float(std::sin(phase * 2 * M_PI)) * k * k * 0.9f;
    } else if (key == SNARE) {
      phase += 190.0 / rate;
      out[i] = (noise * 0.6f + float(std::sin(phase * 2 * M_PI)) * 0.4f) * k * k * k;
    } else {
      out[i] = (noise - low) * 0.8f * k * k;
    }
  }
  return out;
}

std::vector<float> render_score(const Score& s, int rate) {
  double step_secs = 60.0 / s.bpm / 4;
  size_t frames = size_t(s.steps * step_secs * rate);
  std::vector<float> mix(frames * 2, 0.0f);
  std::vector<float> kick = drum_hit(KICK, rate), snare = drum_hit(SNARE, rate), hat = drum_hit(CLOSED_HAT, rate);
  auto put = [&](size_t i, float v, float pan) {
    size_t f = i % frames;
    mix[f * 2] += v * (1 - pan) * 0.5f * 1.41f;
    mix[f * 2 + 1] += v * (1 + pan) * 0.5f * 1.41f;
  };
  for (const Note& n : s.notes) {
    size_t at = size_t(n.step * step_secs * rate);
    float vel = n.vel / 64.0f;
    if (n.lane == DRUM || n.lane == HAT) {
      const std::vector<float>& d = n.key == KICK ? kick : n.key == SNARE ? snare : hat;
      for (size_t i = 0; i < d.size(); ++i) put(at + i, d[i] * vel * 0.7f, n.lane == HAT ? 0.3f : 0.0f);
      continue;
    }
    float hz = key_hz(n.key);
    float held = float(n.len * step_secs), release = n.lane == PAD ? 0.4f : 0.05f;
    size_t len = size_t((held + release) * rate);
    double phase = 0, phase2 = 0;
    float low = 0;
    for (size_t i = 0; i < len; ++i) {
      float t = float(i) / rate;
      float env = t < held ? 1.0f : std::max(0.0f, 1 - (t - held) / release);
      float v = 0, pan = 0;
      switch (n.lane) {
        case BASS: {
          env *= std::min(1.0f, t / 0.005f) * (0.6f + 0.4f * std::exp(-t * 8));
          float raw = osc(Wave::Saw, phase);
          low += (raw - low) * (0.08f + 0.2f * std::exp(-t * 12));
          v = low * 0.55f;
          break;
        }
        case ARP:
          env *= std::min(1.0f, t / 0.003f) * std::exp(-t * 10);
          v = osc(Wave::Square, phase) * 0.14f;
          pan = -0.45f;
          break;
        case LEAD: {
          env *= std::min(1.0f, t / 0.01f) * (0.7f + 0.3f * std::exp(-t * 4));
          v = (osc(Wave::Tri, phase) * 0.7f + float(std::sin(phase2 * 2 * M_PI)) * 0.3f) * 0.3f;
          pan = 0.3f;
          break;
        }
        default: {  // pad
          env *= std::min(1.0f, t / 0.3f);
          float raw = osc(Wave::Saw, phase) + osc(Wave::Saw, phase2);
          low += (raw - low) * 0.05f;
          v = low * 0.09f;
          pan = -0.1f;
          break;
        }
      }
      float vib = n.lane == LEAD ? 1 + 0.004f * float(std::sin(t * 2 * M_PI * 5)) : 1;
      phase += hz * vib / rate;
      phase2 += (n.lane == PAD ? hz * 1.003f : hz) * vib / rate;
      put(at + i, v * env * vel, pan);
    }
  }
  float peak = 1e-6f;
  for (float v : mix) peak = std::max(peak, std::fabs(v));
  for (float& v : mix) v *= 0.9f / peak;
  return mix;
}

}  // namespace tw
