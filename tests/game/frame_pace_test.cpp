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
#include "menus/menus.h"
#include "support/temp_dir.h"

namespace {

uint32_t now_ms;       // the counting clock
uint32_t refresh_ms;   // the swap waits this long (a display with vertical sync); 0: returns at once
uint32_t stop_at;      // the loop is asked to quit at the first paint or pause from then on
int sleeps, swaps, steps_at_stop;

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
  swaps++;
  now_ms += refresh_ms;
  stop_when_due();
}

struct Pace {
  int steps, swaps, sleeps;
};

// Runs the program's loop on the main menu for five counted seconds.
Pace run(int vsync, uint32_t refresh) {
  TempDir tmp;
  GameHooks old_hooks = game_hooks;
  game_hooks = GameHooks();
  game_hooks.register_menu_states = register_menu_states;
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
  sleeps = swaps = steps_at_stop = 0;
  testing::internal::CaptureStderr();
  game_main(0, nullptr);
  testing::internal::GetCapturedStderr();
  game_hooks = old_hooks;
  unsetenv("APPDATA");
  return {steps_at_stop, swaps, sleeps};
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
    EXPECT_NEAR(p.steps, 300, 2);
    // A frame is painted only after a step ran.
    EXPECT_LE(p.swaps, p.steps + 2);
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
