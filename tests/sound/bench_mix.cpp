// Mixing speed: 32 looping voices (mono 22,050 Hz, resampled to 44,100 Hz
// stereo, varied volume and pan) through the engine into the capture sink,
// beside a plain reference loop (copy, scale, add, clamp) as the floor.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include "sound/sound_start.h"

using namespace vavozovu;

int main() {
  const int voices = 32, seconds = 20, rate = 44100;
  setenv("TUNNELWICK_SOUND_DRIVER", "waveout", 1);  // the software mixer, not DirectSound
  ISoundEngine* e = startSoundEngine(EOS_CAPTURE, 0);
  if (!e) {
    fprintf(stderr, "bench_mix: no engine\n");
    return 1;
  }
  std::vector<std::vector<int16_t>> data(voices);
  for (int v = 0; v < voices; ++v) {
    data[v].resize(22050 + v * 977);
    for (size_t i = 0; i < data[v].size(); ++i)
      data[v][i] = static_cast<int16_t>(8000 * std::sin(i * (0.01 + v * 0.003)));
    SAudioStreamFormat f;
    f.ChannelCount = 1;
    f.SampleRate = 22050;
    f.SampleFormat = ESF_S16;
    f.FrameCount = static_cast<int32_t>(data[v].size());
    char name[32];
    snprintf(name, sizeof name, "voice%d", v);
    ISoundSource* s = e->addSoundSourceFromPCMData(data[v].data(), f.FrameCount * 2, name, f, false);
    ISound* snd = e->play2D(s, true, true, false);
    snd->setVolume(0.2f + 0.7f * v / voices);
    snd->setPan(-0.08f + 0.16f * v / voices);
    snd->setIsPaused(false);
    snd->drop();
  }
  std::vector<int16_t> out(8192 * 2);
  const int total = seconds * rate;
  auto t0 = std::chrono::steady_clock::now();
  for (int done = 0; done < total; done += 8192) {
    e->update();
    captureOutput(out.data(), 8192);
  }
  double engineSec = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  // Reference: the same amount of voice data scaled and summed, no resampling.
  std::vector<int32_t> acc(2048 * 2);
  std::vector<int16_t> dst(2048 * 2);
  std::vector<size_t> pos(voices, 0);
  long long checksum = 0;
  t0 = std::chrono::steady_clock::now();
  for (int done = 0; done < total; done += 2048) {
    std::fill(acc.begin(), acc.end(), 0);
    for (int v = 0; v < voices; ++v) {
      const float gl = 0.5f, gr = 0.4f;
      const std::vector<int16_t>& d = data[v];
      for (int i = 0; i < 2048; ++i) {
        int16_t s = d[(pos[v] + i / 2) % d.size()];
        acc[2 * i] += static_cast<int32_t>(s * gl);
        acc[2 * i + 1] += static_cast<int32_t>(s * gr);
      }
      pos[v] += 1024;
    }
    for (size_t i = 0; i < acc.size(); ++i)
      dst[i] = static_cast<int16_t>(acc[i] < -32768 ? -32768 : (acc[i] > 32767 ? 32767 : acc[i]));
    checksum += dst[7];
  }
  double refSec = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  printf("mix of %d looping voices, %d s of 44100 Hz stereo output\n", voices, seconds);
  printf("  engine:    %.3f s, %.1fx real time\n", engineSec, seconds / engineSec);
  printf("  reference: %.3f s, %.1fx real time (copy, scale, add, clamp; checksum %lld)\n", refSec,
         seconds / refSec, checksum);
  e->drop();
  return 0;
}
