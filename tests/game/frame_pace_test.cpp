// The main loop's pace, run through the program's own loop with a counting
// clock: logic keeps 60 steps a second whatever the display does, a frame
// is painted only after a step, and the loop sleeps in between.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "driver/driver.h"
#include "game/game.h"
#include "game/game_main.h"
#include "game/hooks.h"
#include "game/save_files.h"
#include "game/state_ids.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "menus/menus_play.h"
#include "ui/controls.h"
#include "support/temp_dir.h"

namespace {

uint32_t now_ms;       // the counting clock
uint32_t refresh_ms;   // the swap waits this long (a display with vertical sync); 0: returns at once
uint32_t stop_at;      // the loop is asked to quit at the first paint or pause from then on
uint32_t idle_from;    // the screen has settled from then on: only its glow repaints
int sleeps, swaps, idle_swaps, steps_at_stop, sleeps_at_first_swap;
bool first_swap_in_transition;  // the first frame came once the first screen was entered
bool to_sector;        // the sector screen instead of the main menu, from the first frame

void stop_when_due() {
  // A loop that never lets the clock move would run here for ever.
  if ((now_ms >= stop_at || swaps > 2000) && !game_current->quit) {
    steps_at_stop = game_current->run.steps;
    game_current->quit = 1;
  }
}

uint32_t counting_clock() { return now_ms; }
void counting_sleep(uint32_t ms) {
  now_ms += ms;
  sleeps++;
  stop_when_due();
}
void counting_swap() {
  if (swaps++ == 0) {
    sleeps_at_first_swap = sleeps;
    first_swap_in_transition = transition_running();
  }
  if (now_ms >= idle_from) idle_swaps++;
  now_ms += refresh_ms;
  stop_when_due();
}

void open_sector(Game* g) {
  if (!to_sector) return;
  to_sector = false;
  game_switch(g, TRANS_NONE, STATE_MENUS_PLAY);
}

struct Pace {
  int steps, swaps, sleeps, idle_swaps, sleeps_at_first_swap;
  bool first_swap_in_transition;
};

const uint32_t kIdleMs = 2500;  // the last half of the run, long after the map settled

// Runs the program's loop on the main menu, or the sector screen, for five
// counted seconds.
Pace run(int vsync, uint32_t refresh, bool sector = false) {
  TempDir tmp;
  GameHooks old_hooks = game_hooks;
  game_hooks = GameHooks();
  game_hooks.register_menu_states = register_menu_states;
  game_hooks.online_frame = open_sector;
  to_sector = sector;
  setenv("APPDATA", tmp.path().c_str(), 1);
  LocalSettings l{};
  l.version = LSETTINGS_VERSION;
  l.vres = -1;
  l.vfull = -1;
  l.vsync = vsync;
  mkdir(tmp.file("home").c_str(), 0700);
  game_write_file(tmp.file("home/lsettings.dat"), &l, sizeof l);

  g_driver = new Driver();
  g_driver->set_app_name("home");
  g_driver->data_dir = TW_DATA_DIR;
  g_driver->clock_ms = counting_clock;
  g_driver->sleep_ms = counting_sleep;
  g_driver->swap_buffers = counting_swap;
  now_ms = 1000;
  refresh_ms = refresh;
  stop_at = now_ms + 5000;
  idle_from = stop_at - kIdleMs;
  sleeps = swaps = idle_swaps = steps_at_stop = 0;
  sleeps_at_first_swap = -1;
  first_swap_in_transition = true;
  testing::internal::CaptureStderr();
  game_main(0, nullptr);
  testing::internal::GetCapturedStderr();
  game_hooks = old_hooks;
  unsetenv("APPDATA");
  return {steps_at_stop, swaps, sleeps, idle_swaps, sleeps_at_first_swap, first_swap_in_transition};
}

}  // namespace

TEST(FramePace, SixtyStepsASecondWhateverTheDisplayDoes) {
  struct Case {
    const char* what;
    int vsync;
    uint32_t refresh;
  };
  const Case cases[] = {
      {"vertical sync on a 144 Hz display", 1, 7},
      {"vertical sync ignored by the driver", 1, 0},
      {"no vertical sync", -1, 0},
      {"a display that takes 40 ms a frame", 1, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Pace p = run(c.vsync, c.refresh);
    // Five seconds of steps, less the box art's frame that start-up shows
    // before the steps are counted.
    EXPECT_NEAR(p.steps, 300 - static_cast<int>(c.refresh) * 60 / 1000, 2);
    // A frame is painted only after a step ran, or when the window is new:
    // its first picture does not wait for the first step.
    EXPECT_LE(p.swaps, p.steps + 2);
    EXPECT_EQ(p.sleeps_at_first_swap, 0);
    // The box art shows as soon as the window opens, before the first
    // screen is entered.
    EXPECT_FALSE(p.first_swap_in_transition);
    if (c.refresh == 0) {
      EXPECT_GE(p.sleeps, 250);
    }
    if (c.refresh == 40) {
      // No more frames than the display can show; the idle menu needs
      // fewer, as only the frames whose picture changed are painted.
      EXPECT_LE(p.swaps, 128);
    } else {
      // The menu's glow repaints at its own pace, six times a second, beside
      // the frames of the opening transition.
      EXPECT_LE(p.swaps, p.steps / 10 + 20);
      EXPECT_GT(p.swaps, 25);
    }
  }
}

// Once settled, a menu screen repaints only when its frames' glow takes a
// breath: the main menu six times a second, the sector screen, whose every
// repaint costs far more, two times.
TEST(FramePace, IdleScreensRepaintOnlyAtTheirGlowsPace) {
  const int idle_steps = kIdleMs * 60 / 1000;
  for (auto [sector, ticks] : {std::pair{false, MENU_GLOW_TICKS}, {true, PLAY_MENU_GLOW_TICKS}})
    EXPECT_NEAR(run(1, 0, sector).idle_swaps, idle_steps / ticks, 1) << (sector ? "sector screen" : "main menu");
}
