// Starting in a real window whatever "lsettings.dat" holds: a size the
// screen cannot show, or a mode that cannot be set, gives a working window
// and the main menu, and the mode that worked is the one saved.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>

#include "driver/driver.h"
#include "game/game.h"
#include "game/hooks.h"
#include "game/paths.h"
#include "game/save_files.h"
#include "game/state_table.h"
#include "menus/menus.h"
#include "support/temp_dir.h"

namespace {

// The mode the refusing setter turns down (0 by 0: every windowed mode).
int refuse_w, refuse_h;

SDL_Surface* refusing_set_mode(int w, int h, int bpp, uint32_t flags) {
  bool windowed = !(flags & SDL_FULLSCREEN);
  if ((refuse_w == 0 && windowed) || (w == refuse_w && h == refuse_h)) {
    SDL_SetError("refused by the test");
    return nullptr;
  }
  return SDL_SetVideoMode(w, h, bpp, flags);
}

int lines_with(const std::string& log, const std::string& word) {
  int n = 0;
  for (size_t at = log.find(word); at != std::string::npos; at = log.find(word, at + 1)) n++;
  return n;
}

struct Start {
  int state = 0;
  int w = 0, h = 0, full = 0;
  int desk_w = 0, desk_h = 0;
  int fallback_lines = 0;
  LocalSettings saved{};
};

// One run of the game: init, a few frames, deinit; answers what it saw.
Start run(const TempDir& tmp, bool refuse) {
  GameHooks old_hooks = game_hooks;
  game_hooks = GameHooks();
  game_hooks.register_menu_states = register_menu_states;
  setenv("APPDATA", tmp.path().c_str(), 1);
  g_driver = new Driver();
  g_driver->set_app_name("home");
  g_driver->data_dir = TW_DATA_DIR;
  if (refuse) g_driver->set_mode = refusing_set_mode;
  game_set_dirs(TW_DATA_DIR, user_dir());
  Start s;
  auto g = std::make_unique<Game>();
  testing::internal::CaptureStderr();
  g->init();
  game_frame(g.get(), 5);
  g->paint();
  s.state = g->state;
  s.w = g_driver->screen_w;
  s.h = g_driver->screen_h;
  s.full = g_driver->fullscreen;
  s.desk_w = g_driver->desktop_w;
  s.desk_h = g_driver->desktop_h;
  g->deinit();
  std::string log = testing::internal::GetCapturedStderr();
  s.fallback_lines = lines_with(log, "Driver::video_mode");
  game_hooks = old_hooks;
  unsetenv("APPDATA");
  std::string bytes = tmp.read("home/lsettings.dat");
  if (bytes.size() == sizeof s.saved) std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(&s.saved));
  return s;
}

void write_lsettings(const TempDir& tmp, int vres, int vfull) {
  LocalSettings l{};
  l.version = LSETTINGS_VERSION;
  l.vres = vres;
  l.vfull = vfull;
  l.vsync = -1;
  mkdir(tmp.file("home").c_str(), 0700);
  ASSERT_TRUE(game_write_file(tmp.file("home/lsettings.dat"), &l, sizeof l));
}

}  // namespace

TEST(VideoStart, DamagedResolutionsReachTheMainMenuAndTheFallbackIsSaved) {
  struct Case {
    const char* what;
    int vres, vfull;
    int refuse_w, refuse_h;  // -1: no refusing setter
  };
  const Case cases[] = {
      {"huge", (32767 << 16) | 32767, -1, -1, -1},
      {"huge full screen", (16384 << 16) | 16384, 1, -1, -1},
      {"zero height", (1 << 16) | 0, -1, -1, -1},
      {"negative", -5, -1, -1, -1},
      {"most negative", INT32_MIN, 1, -1, -1},
      {"unsettable", (800 << 16) | 600, -1, 800, 600},
      {"no window at all", (800 << 16) | 600, -1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir tmp;
    write_lsettings(tmp, c.vres, c.vfull);
    refuse_w = c.refuse_w;
    refuse_h = c.refuse_h;
    Start first = run(tmp, c.refuse_w >= 0);
    EXPECT_EQ(first.state, STATE_MENUS_MAIN);
    ASSERT_GT(first.w, 0);
    EXPECT_LE(first.w, 4096);
    EXPECT_LE(first.h, 4096);
    EXPECT_EQ(first.fallback_lines, c.refuse_w == 0 ? 3 : 1);
    if (c.refuse_w == 0) {
      // Only the full-screen modes SDL offers were left.
      EXPECT_EQ(first.full, 1);
      EXPECT_EQ(first.saved.vres, (first.w << 16) | first.h);
      EXPECT_EQ(first.saved.vfull, 1);
    } else {
      EXPECT_EQ(first.full, 0);
      EXPECT_EQ(first.saved.vres, -1);
      EXPECT_EQ(first.saved.vfull, -1);
    }
    // The next start takes the saved mode and has nothing to say.
    Start second = run(tmp, c.refuse_w >= 0);
    EXPECT_EQ(second.state, STATE_MENUS_MAIN);
    EXPECT_EQ(second.fallback_lines, 0);
    EXPECT_EQ(second.w, first.w);
    EXPECT_EQ(second.h, first.h);
  }
}

TEST(VideoStart, AutomaticFullScreenIsTheDesktop) {
  TempDir tmp;
  write_lsettings(tmp, -1, 1);
  refuse_w = refuse_h = -1;
  Start s = run(tmp, false);
  EXPECT_EQ(s.state, STATE_MENUS_MAIN);
  EXPECT_EQ(s.full, 1);
  EXPECT_EQ(s.fallback_lines, 0);
  EXPECT_EQ(s.w, s.desk_w);
  EXPECT_EQ(s.h, s.desk_h);
  EXPECT_EQ(s.saved.vres, -1);
}
