// Prints the share of one processor core that the game takes while it sits
// on the main menu for a few seconds, through the program's own loop in a
// real window. A benchmark: it measures and prints, it does not judge.
#include <SDL/SDL.h>
#include <stdlib.h>
#include <time.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "driver/driver.h"
#include "game/game.h"
#include "game/game_main.h"
#include "game/hooks.h"
#include "menus/menus.h"

namespace {

const double kSeconds = 3.0;
double wall_start = -1, cpu_start, wall_end = -1, cpu_end;
int frames;

double seconds(clockid_t id) {
  timespec ts;
  clock_gettime(id, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Ends the run once the time is up; checked after every frame and every
// pause between steps, as a screen that does not change paints no frames.
void check_time() {
  if (wall_start < 0 || wall_end > 0) return;
  double now = seconds(CLOCK_MONOTONIC);
  if (now - wall_start >= kSeconds) {
    wall_end = now;
    cpu_end = seconds(CLOCK_PROCESS_CPUTIME_ID);
    game_current->quit = 1;
  }
}

void timed_swap() {
  SDL_GL_SwapBuffers();
  // Measured from the first frame on: start-up is not idling.
  if (wall_start < 0) {
    wall_start = seconds(CLOCK_MONOTONIC);
    cpu_start = seconds(CLOCK_PROCESS_CPUTIME_ID);
    return;
  }
  if (wall_end <= 0) frames++;
  check_time();
}

void timed_sleep(uint32_t ms) {
  SDL_Delay(ms);
  check_time();
}

}  // namespace

int main() {
  if (!getenv("DISPLAY")) {
    std::printf("bench_idle_menu: no DISPLAY, nothing measured\n");
    return 0;
  }
  char dir[] = "/tmp/tunnelwick-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("APPDATA", dir, 1);
  game_hooks.register_menu_states = register_menu_states;
  g_driver = new Driver();
  g_driver->set_app_name("bench");
  g_driver->data_dir = TW_DATA_DIR;
  g_driver->swap_buffers = timed_swap;
  g_driver->sleep_ms = timed_sleep;
  game_main(0, nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  double wall = wall_end - wall_start, cpu = cpu_end - cpu_start;
  if (wall <= 0) return 1;
  std::printf("idle main menu: %.1f%% of one core over %.1f s, %.0f frames a second\n", 100 * cpu / wall, wall,
              frames / wall);
  return 0;
}
