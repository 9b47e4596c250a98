// Mixing speed: 32 looping voices resampled to 44,100 Hz stereo with varied
// volume and pan, through the engine into the capture sink, beside a plain
// reference loop written for speed (step, scale, add, clamp; no
// interpolation) over the same voices as the floor. Two voice sets: all mono
// at 22,050 Hz, and mixed rates (11,025 to 48,000 Hz) with mono and stereo.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "sound/sound_start.h"

using namespace vavozovu;

namespace {

const int kVoices = 32, kSeconds = 20, kRate = 44100;

struct Voice {
  std::vector<int16_t> data;  // interleaved when stereo
  int channels = 1;
  int rate = 22050;
  float volume = 1, pan = 0;
  int32_t frames() const { return static_cast<int32_t>(data.size()) / channels; }
};

std::vector<Voice> voice_set(bool mixed) {
  static const int rates[] = {11025, 16000, 22050, 32000, 44100, 48000};
  std::vector<Voice> set(kVoices);
  for (int v = 0; v < kVoices; ++v) {
    Voice& x = set[v];
    x.rate = mixed ? rates[v % 6] : 22050;
    // Mono and stereo in turn, the turn shifted by one from one round of
    // rates to the next, so that every rate comes in both.
    x.channels = mixed && (v + v / 6) % 2 ? 2 : 1;
    x.volume = 0.2f + 0.7f * v / kVoices;
    x.pan = -0.08f + 0.16f * v / kVoices;
    int32_t frames = x.rate + v * 977;
    x.data.resize(static_cast<size_t>(frames) * x.channels);
    for (int32_t i = 0; i < frames; ++i)
      for (int c = 0; c < x.channels; ++c)
        x.data[static_cast<size_t>(i) * x.channels + c] =
            static_cast<int16_t>(8000 * std::sin(i * (0.01 + v * 0.003 + c * 0.002)));
  }
  return set;
}

// Processor time of the whole process (every thread the engine may run),
// which a busy shared machine disturbs far less than the wall clock.
double cpu_now() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The engine's best of three rounds over the set; -1 when it cannot start.
double engine_round(ISoundEngine* e) {
  std::vector<int16_t> out(8192 * 2);
  const int total = kSeconds * kRate;
  double t0 = cpu_now();
  for (int done = 0; done < total; done += 8192) {
    e->update();
    captureOutput(out.data(), 8192);
  }
  return cpu_now() - t0;
}

// The reference: each voice stepped through in 16.16 fixed point at its
// rate, the nearest frame taken, scaled by the two gains and added; the
// inner loop runs up to the voice's end and is split there, so no sample
// pays for the wrap.
struct Reference {
  const std::vector<Voice>& set;
  std::vector<uint64_t> pos;
  std::vector<int32_t> acc = std::vector<int32_t>(2048 * 2);
  std::vector<int16_t> dst = std::vector<int16_t>(2048 * 2);
  long long checksum = 0;

  explicit Reference(const std::vector<Voice>& s) : set(s), pos(s.size(), 0) {}

  template <int kChannels>
  static void mix_voice(const Voice& x, uint64_t* p, int32_t* acc, int frames) {
    const float left = x.pan < 0 ? std::max(0.0f, 1 + 10 * x.pan) : 1;
    const float right = x.pan > 0 ? std::max(0.0f, 1 - 10 * x.pan) : 1;
    const float gl = x.volume * left, gr = x.volume * right;
    const uint64_t dt = (static_cast<uint64_t>(x.rate) << 16) / kRate, end = static_cast<uint64_t>(x.frames()) << 16;
    const int16_t* d = x.data.data();
    uint64_t at = *p;
    for (int i = 0; i < frames;) {
      const int run = static_cast<int>(std::min<uint64_t>(frames - i, (end - at + dt - 1) / dt));
      for (int k = 0; k < run; ++k, ++i, at += dt) {
        const int16_t* s = d + (at >> 16) * kChannels;
        acc[2 * i] += static_cast<int32_t>(s[0] * gl);
        acc[2 * i + 1] += static_cast<int32_t>(s[kChannels - 1] * gr);
      }
      if (at >= end) at -= end;
    }
    *p = at;
  }

  double round() {
    const int total = kSeconds * kRate;
    double t0 = cpu_now();
    for (int done = 0; done < total; done += 2048) {
      std::fill(acc.begin(), acc.end(), 0);
      for (size_t v = 0; v < set.size(); ++v) {
        if (set[v].channels == 2) mix_voice<2>(set[v], &pos[v], acc.data(), 2048);
        else mix_voice<1>(set[v], &pos[v], acc.data(), 2048);
      }
      for (size_t i = 0; i < acc.size(); ++i)
        dst[i] = static_cast<int16_t>(acc[i] < -32768 ? -32768 : (acc[i] > 32767 ? 32767 : acc[i]));
      checksum += dst[7];
    }
    return cpu_now() - t0;
  }
};

bool bench_set(const char* title, bool mixed) {
  ISoundEngine* e = startSoundEngine(EOS_CAPTURE, 0);
  if (!e) {
    fprintf(stderr, "bench_mix: no engine\n");
    return false;
  }
  std::vector<Voice> set = voice_set(mixed);
  for (int v = 0; v < kVoices; ++v) {
    const Voice& x = set[v];
    SAudioStreamFormat f;
    f.ChannelCount = x.channels;
    f.SampleRate = x.rate;
    f.SampleFormat = ESF_S16;
    f.FrameCount = x.frames();
    char name[32];
    snprintf(name, sizeof name, "voice%d", v);
    ISoundSource* s = e->addSoundSourceFromPCMData(const_cast<int16_t*>(x.data.data()),
                                                   static_cast<int32_t>(x.data.size() * 2), name, f, false);
    ISound* snd = e->play2D(s, true, true, false);
    snd->setVolume(x.volume);
    snd->setPan(x.pan);
    snd->setIsPaused(false);
    snd->drop();
  }
  // Seven rounds each, taking turns; each side keeps its best, so a burst
  // of load on a shared machine does not fall on one side only.
  Reference ref(set);
  double engineSec = 1e9, refSec = 1e9;
  for (int round = 0; round < 7; ++round) {
    engineSec = std::min(engineSec, engine_round(e));
    refSec = std::min(refSec, ref.round());
  }
  printf("%s: %d looping voices, %d s of 44100 Hz stereo output\n", title, kVoices, kSeconds);
  printf("  engine:    %.4f s, %.1fx real time\n", engineSec, kSeconds / engineSec);
  printf("  reference: %.4f s, %.1fx real time (step, scale, add, clamp; checksum %lld)\n", refSec,
         kSeconds / refSec, ref.checksum);
  printf("  engine / reference speed: %.2f\n", refSec / engineSec);
  e->drop();
  return true;
}

}  // namespace

int main() {
  setenv("TUNNELWICK_SOUND_DRIVER", "waveout", 1);  // the software mixer, not DirectSound
  if (!bench_set("mono 22050 Hz", false)) return 1;
  if (!bench_set("mixed rates, mono and stereo", true)) return 1;
  return 0;
}
