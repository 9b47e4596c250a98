// The audio driver's catalogue, effects and music fades.
#include <gtest/gtest.h>

#include <map>

#include "driver/audio.h"
#include "gfx/test_env.h"

using namespace tw_test;

namespace {
struct Recorder : AudioBackend {
  std::vector<std::string> log;
  std::vector<std::string> names;  // of the samples played
  float last_volume = 0;
  std::map<int, float> volume;
  void play_sample(int sample, const std::string& path, float v, float x, float y) override {
    names.push_back(g_audio.samples[sample].name);
    last_volume = v;
    char buf[256];
    std::snprintf(buf, sizeof buf, "play %s %.2f %.0f %.0f", path.c_str(), v, x, y);
    log.push_back(buf);
  }
  void stream_start(int t, const std::string&, float v) override {
    log.push_back("start " + std::to_string(t));
    volume[t] = v;
  }
  void stream_stop(int t) override {
    log.push_back("stop " + std::to_string(t));
    volume.erase(t);
  }
  void stream_volume(int t, float v) override { volume[t] = v; }
};

struct AudioEnv {
  TempDir dir;
  Driver driver;
  Recorder rec;
  AudioEnv() {
    g_driver = &driver;
    driver.data_dir = make_data(dir.path());
    driver.load_data();
    audio_init(&rec);
  }
  ~AudioEnv() {
    audio_shutdown();
    g_driver = nullptr;
  }
};
}  // namespace

TEST(Audio, SamplesLoadOnceAndGuiSoundsPlayByNumber) {
  AudioEnv a;
  int click = res_sample_load("gui-click");
  EXPECT_GT(click, 0);
  EXPECT_EQ(res_sample_load("gui-click"), click);
  EXPECT_EQ(res_sample_load("no-such-sample"), 0);
  EXPECT_EQ(res_sample_load(""), 0);
  gui_sound(GUI_SOUND_CLICK);
  EXPECT_EQ(a.rec.names.back(), "gui-click");
  EXPECT_FLOAT_EQ(a.rec.last_volume, 0.5f);  // catalogue volume
  const char* names[] = {"", "gui-change", "gui-click", "gui-down", "gui-enter", "map-enter"};
  for (int n = 1; n <= 5; n++) {
    gui_sound(n);
    EXPECT_EQ(a.rec.names.back(), names[n]);
  }
  size_t played = a.rec.names.size();
  gui_sound(GUI_SOUND_NONE);
  gui_sound(GUI_SOUND_COUNT);
  sfx_play_here("no-such-sample");
  EXPECT_EQ(a.rec.names.size(), played);
  g_audio.sfx_volume = 50;
  sfx_play("gui-change", 3, -4);
  EXPECT_EQ(a.rec.log.back(), "play " + a.driver.data_dir + "/sfx/a.wav 0.50 3 -4");
}

TEST(Audio, MusicFadesInAndOutWithTheVolumeSetting) {
  AudioEnv a;
  int menus = music_find("mus-menus"), select = music_find("mus-select");
  ASSERT_GT(menus, 0);
  ASSERT_GT(select, 0);
  music_play("mus-menus");
  music_loop(100);
  EXPECT_EQ(a.rec.log.back(), "start " + std::to_string(menus));
  EXPECT_NEAR(a.rec.volume[menus], MUSIC_FADE_STEP * 0.5f, 1e-6);
  for (int i = 0; i < 100; i++) music_loop(100);
  EXPECT_NEAR(a.rec.volume[menus], 0.5f, 1e-6);  // fade 1 x catalogue 0.5
  music_loop(40);  // a new music volume is heard within one step
  EXPECT_NEAR(a.rec.volume[menus], 0.2f, 1e-6);
  music_loop(0);  // volume 0 silences the music
  EXPECT_EQ(a.rec.log.back(), "stop " + std::to_string(menus));
  EXPECT_FALSE(g_audio.tracks[menus].playing);
  music_loop(100);
  EXPECT_TRUE(g_audio.tracks[menus].playing);
  // Switching tracks fades one out while the other comes in.
  music_play("mus-select");
  for (int i = 0; i < 30; i++) music_loop(100);
  EXPECT_TRUE(g_audio.tracks[menus].playing);
  EXPECT_TRUE(g_audio.tracks[select].playing);
  EXPECT_NEAR(a.rec.volume[select], 30 * MUSIC_FADE_STEP, 1e-4);
  for (int i = 0; i < 40; i++) music_loop(100);
  EXPECT_FALSE(g_audio.tracks[menus].playing);
  EXPECT_EQ(a.rec.volume.count(menus), 0u);
  EXPECT_NEAR(a.rec.volume[select], 1.0f, 1e-6);
  // An unknown name fades everything out.
  music_play("no-such-music");
  for (int i = 0; i < 70; i++) music_loop(100);
  EXPECT_TRUE(a.rec.volume.empty());
}
