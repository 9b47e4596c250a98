// The game heard through the sound engine: the engine's output is captured
// sample by sample while the game runs its fixed steps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "../sound/engine_fixture.h"
#include "driver/audio.h"
#include "driver/audio_engine.h"
#include "game/game.h"
#include "game/headless.h"
#include "game/hooks.h"
#include "menus/menus.h"
#include "sound/sound_engine.h"
#include "sound/sound_start.h"
#include "support/temp_dir.h"
#include "util/json.h"

namespace {

constexpr int kBlock = 8192;

class GameAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = game_hooks;
    game_hooks = GameHooks();
    game_hooks.register_menu_states = register_menu_states;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    g_ = game_headless_start(TW_DATA_DIR, tmp_.file("user"));
    // A headless game is silent: the engine comes in once the catalogue is
    // loaded. The capture sink without an update thread mixes only what the
    // test's own steps ask for.
    engine_ = vavozovu::startSoundEngine(
        vavozovu::EOS_CAPTURE, vavozovu::ESEO_DEFAULT_OPTIONS & ~static_cast<uint32_t>(vavozovu::ESEO_MULTI_THREADED));
    backend_.reset(audio_engine_backend(engine_));
    audio_set_backend(backend_.get());
  }
  void TearDown() override {
    game_headless_stop();
    backend_.reset();
    ::testing::internal::GetCapturedStderr();
    ::testing::internal::GetCapturedStdout();
    game_hooks = saved_;
  }
  // Mixes one more block and answers its peak sample.
  int mix_block() {
    std::vector<int16_t> out(kBlock * 2);
    vavozovu::captureOutput(nullptr, kBlock);  // what was queued before now
    engine_->update();
    int n = vavozovu::captureOutput(out.data(), kBlock);
    int peak = 0;
    for (int i = 0; i < n * 2; i++) peak = std::max(peak, std::abs(static_cast<int>(out[i])));
    return peak;
  }
  TempDir tmp_;
  GameHooks saved_;
  Game* g_ = nullptr;
  vavozovu::ISoundEngine* engine_ = nullptr;  // owned by backend_
  std::unique_ptr<AudioBackend> backend_;
};

TEST_F(GameAudio, StartUpRegistersEveryFileOfTheCatalogue) {
  ASSERT_NE(g_, nullptr);
  ASSERT_NE(engine_, nullptr);
  std::FILE* f = std::fopen((std::string(TW_DATA_DIR) + "/data.json").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::string text;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  var data = json_load(text);
  std::set<std::string> files;
  for (const char* section : {"samples", "music"})
    for (const std::string& name : data[section].keys()) files.insert(data[section][name]["file"].str());
  EXPECT_GT(files.size(), 10u);
  EXPECT_EQ(engine_->getSoundSourceCount(), static_cast<int>(files.size()));
}

TEST_F(GameAudio, MenuMusicIsHeardAndVolumeZeroSilencesItWithinOneStep) {
  ASSERT_NE(g_, nullptr);
  ASSERT_NE(engine_, nullptr);
  g_->settings.music = 100;
  game_headless_run(90);  // the opening transition, then the music fades in
  ASSERT_EQ(g_->state, STATE_MENUS_MAIN);
  int menus = music_find("mus-menus");
  ASSERT_NE(menus, 0);
  EXPECT_TRUE(g_audio.tracks[menus].playing);
  // Let the start-up effects play out; the music goes on.
  int peak = 0;
  for (int i = 0; i < 12; i++) peak = mix_block();
  EXPECT_GT(peak, 500);

  g_->settings.music = 0;
  game_headless_run(1);
  EXPECT_FALSE(g_audio.tracks[menus].playing);
  EXPECT_EQ(mix_block(), 0);
  // The paused track sounds again as soon as the volume comes back.
  g_->settings.music = 100;
  game_headless_run(1);
  EXPECT_TRUE(g_audio.tracks[menus].playing);
  EXPECT_GT(mix_block(), 500);
}

// The audio driver over an engine of its own, with two one-second tones
// registered under the paths it is asked to play.
TEST(AudioVoices, AThirtyThirdSampleStopsTheOldestSlotsSoundsAndVoicesFollowThePlace) {
  using namespace vavozovu;
  ISoundEngine* engine =
      startSoundEngine(EOS_CAPTURE, ESEO_DEFAULT_OPTIONS & ~static_cast<uint32_t>(ESEO_MULTI_THREADED));
  ASSERT_NE(engine, nullptr);
  std::vector<int16_t> tone(44100, 9000);
  const SAudioStreamFormat f = sndtest::s16Format(1, 44100, 44100);
  for (const char* name : {"first", "other"})
    engine->addSoundSourceFromPCMData(tone.data(), static_cast<int32_t>(tone.size() * 2), name, f);
  std::unique_ptr<AudioBackend> backend(audio_engine_backend(engine));
  auto heard = [&](int frame) {
    std::vector<int16_t> out(2 * 256);
    captureOutput(nullptr, kBlock);
    engine->update();
    captureOutput(out.data(), 256);
    return std::make_pair(out[2 * frame], out[2 * frame + 1]);
  };
  // At the listener one voice in the middle; three units to the right a
  // voice on each side, the right one at a third of the volume.
  backend->play_sample(1, "first", 1.0f, 0, 0);
  std::pair<int16_t, int16_t> lr = heard(100);
  EXPECT_EQ(lr.first, 9000);
  EXPECT_EQ(lr.second, 9000);
  engine->stopAllSounds();
  backend->play_sample(1, "first", 1.0f, 3, 0);
  lr = heard(100);
  EXPECT_EQ(lr.first, 0);
  // A third of the volume is -1098 hundredths of a decibel in the buffer.
  EXPECT_NEAR(lr.second, 9000 * std::pow(10.0, -1098 / 2000.0), 2);
  // Plays 3 to 32 take the free slots and the 33rd slot 0, which held the
  // stopped play: the positioned play sounds on until the 34th reuses its
  // slot and stops both of its voices.
  for (int play = 3; play <= 34; ++play) {
    backend->play_sample(2, "other", 0.01f, 0, 0);
    engine->update();
    EXPECT_EQ(engine->isCurrentlyPlaying("first"), play < 34) << play;
  }
  EXPECT_TRUE(engine->isCurrentlyPlaying("other"));
  // Each voice is the volume over the distance (never above the volume
  // nearer than one unit) times its side's share, 0.5 + 0.5 x / distance to
  // the right: places with equal shares are heard equally.
  auto at = [&](float x, float y) {
    engine->stopAllSounds();
    backend->play_sample(1, "first", 1.0f, x, y);
    return heard(100);
  };
  // The right voice of a play `d` units to the right; none for 0.
  auto rightAt = [&](float d) { return d > 0 ? at(d, 0).second : int16_t{0}; };
  EXPECT_EQ(rightAt(1), 9000);
  EXPECT_GT(rightAt(8), 0);
  // Each voice of a place as the right voice `d` units to the right.
  const struct {
    float x, y, left, right;
  } places[] = {{8, 0, 0, 8},        {0, 4, 8, 8},      {0, -4, 8, 8},   {-8, 0, 8, 0},
                {3, 4, 25, 6.25f},   {-3, -4, 6.25f, 25}, {0.5f, 0, 0, 1}};
  for (const auto& p : places) {
    const std::pair<int16_t, int16_t> lr = at(p.x, p.y);
    EXPECT_EQ(lr.first, rightAt(p.left)) << p.x << "," << p.y;
    EXPECT_EQ(lr.second, rightAt(p.right)) << p.x << "," << p.y;
  }
  engine->stopAllSounds();

  // Music: a new volume is heard at once; a stopped track is silent.
  std::vector<int16_t> tune(4 * kBlock, 3000);
  engine->addSoundSourceFromPCMData(tune.data(), static_cast<int32_t>(tune.size() * 2), "tune",
                                    sndtest::s16Format(1, 44100, static_cast<int>(tune.size())));
  backend->stream_start(7, "tune", 1.0f);
  EXPECT_EQ(heard(100).first, 3000);
  backend->stream_volume(7, 0.5f);
  const int16_t half = heard(100).first;
  EXPECT_GT(half, 0);
  EXPECT_LT(half, 3000);
  backend->stream_stop(7);
  EXPECT_EQ(heard(100).first, 0);
  backend->stream_start(7, "tune", 1.0f);
  EXPECT_EQ(heard(100).first, 3000);
  backend.reset();
}

}  // namespace
