// An engine on the capture sink, driven by hand: update() fills the wave-out
// ring, captureOutput() plays it. No clock and no update thread.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "sound/engine.h"
#include "sound/sound_start.h"

namespace sndtest {

// The format of raw 16-bit PCM handed to addSoundSourceFromPCMData.
inline vavozovu::SAudioStreamFormat s16Format(int channels, int rate, int frames) {
  vavozovu::SAudioStreamFormat f;
  f.ChannelCount = channels;
  f.SampleRate = rate;
  f.SampleFormat = vavozovu::ESF_S16;
  f.FrameCount = frames;
  return f;
}

class EngineTest : public testing::Test {
 protected:
  void SetUp() override {
    // These tests hear the software mixer behind wave-out.
    setenv("TUNNELWICK_SOUND_DRIVER", "waveout", 1);
    engine_ = vavozovu::startSoundEngine(vavozovu::EOS_CAPTURE, 0);
    ASSERT_NE(engine_, nullptr);
    ASSERT_EQ(vavozovu::getOutputSink(engine_), vavozovu::EOS_CAPTURE);
    // Play out the initial ring so that later sounds start a fresh block.
    engine_->update();
    drain();
  }
  void TearDown() override {
    if (engine_) engine_->drop();
    unsetenv("TUNNELWICK_SOUND_DRIVER");
  }
  // Plays whatever is queued and discards it.
  void drain() { vavozovu::captureOutput(nullptr, 32 * 256); }
  // Throws away what is queued, then mixes and plays `frames` frames. The
  // ring is mixed 8192 frames at a time, so sounds advance by whole rings:
  // capture(n) moves them on by n rounded up to a multiple of 8192.
  static constexpr int kRing = 32 * 256;
  std::vector<int16_t> capture(int frames) {
    drain();
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    for (int done = 0; done < frames;) {
      engine_->update();
      int n = frames - done < kRing ? frames - done : kRing;
      vavozovu::captureOutput(out.data() + static_cast<size_t>(done) * 2, n);
      done += n;
    }
    return out;
  }
  vavozovu::ISoundSource* pcmSource(const char* name, const std::vector<int16_t>& samples,
                                    int channels, int rate) {
    return engine_->addSoundSourceFromPCMData(const_cast<int16_t*>(samples.data()),
                                              static_cast<int32_t>(samples.size() * 2), name,
                                              s16Format(channels, rate, static_cast<int>(samples.size()) / channels));
  }
  vavozovu::ISoundEngine* engine_ = nullptr;
};

inline std::vector<int16_t> channel(const std::vector<int16_t>& stereo, int c) {
  std::vector<int16_t> out;
  for (size_t i = static_cast<size_t>(c); i < stereo.size(); i += 2) out.push_back(stereo[i]);
  return out;
}

}  // namespace sndtest
