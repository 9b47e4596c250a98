// Benchmark of long lists: a 500-entry community page's step and paint beside a 20-entry one.
// It runs in a real window over the game's own content; it measures and
// prints, it does not judge.
#include <stdlib.h>

#include <cstdio>

#include "driver/driver.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"
#include "menus/community_page.h"
#include "ui/ui.h"
#include "util/var.h"
#include "../support/bench_clock.h"

namespace {

var page_of(int entries) {
  var page = var::new_list();
  for (int i = 0; i < entries; i++)
    page.append(var_dict("type", "level", "title", "Map number " + std::to_string(i), "uname",
                         "author" + std::to_string(i % 17), "stars", i % 6, "lid", 1000 + i));
  return page;
}

struct Figures {
  double step_us, walk_us, paint_us;
};

// Steps and paints the page: the pointer moves across the visible rows, so
// that hover fades run as they do under a player's hand.
Figures measure(int entries) {
  Container root;
  community_build_page(root, page_of(entries), "@default", "", COMMUNITY_SHOWN);
  const int steps = 600, paints = 120;
  for (int i = 0; i < 10; i++) root.loop();
  double t0 = bench::wall();
  for (int i = 0; i < steps; i++) {
    if (i % 20 == 0) {
      Event m(EVT_MOTION);
      m[EVW_X] = 200;
      m[EVW_Y] = 150 + (i / 20 % 10) * 30;
      root.event(&m);
    }
    root.loop();
  }
  double t1 = bench::wall();
  // The walk that learns what a frame would draw, without drawing it: the
  // game does it before every frame it might paint.
  for (int i = 0; i < steps; i++) {
    gfx_sig_begin();
    gfx_clear(0, 0, 0, 1);
    gfx_project();
    root.measure();
    root.paint();
    gfx_sig_end();
  }
  double t2 = bench::wall();
  for (int i = 0; i < paints; i++) {
    gfx_clear(0, 0, 0, 1);
    gfx_project();
    root.measure();
    root.paint();
    glFinish();
  }
  double t3 = bench::wall();
  return {1e6 * (t1 - t0) / steps, 1e6 * (t2 - t1) / steps, 1e6 * (t3 - t2) / paints};
}

}  // namespace

int main() {
  if (!getenv("DISPLAY")) {
    std::printf("bench_list: no DISPLAY, nothing measured\n");
    return 0;
  }
  Driver driver;
  g_driver = &driver;
  driver.data_dir = TW_DATA_DIR;
  driver.load_data();
  driver.video_mode((640 << 16) | 640, -1, -1);
  gfx_init(driver.screen_w, driver.screen_h);
  gfx_set_view(640, 640);
  gfx_fit_view();
  Figures small = measure(20), large = measure(COMMUNITY_MAX_ENTRIES);
  std::printf("community page, 20 entries:  step %.1f us, paint walk %.1f us, paint %.0f us\n", small.step_us,
              small.walk_us, small.paint_us);
  std::printf("community page, %d entries: step %.1f us, paint walk %.1f us, paint %.0f us\n", COMMUNITY_MAX_ENTRIES,
              large.step_us, large.walk_us, large.paint_us);
  std::printf("  %d against 20 entries: step %.2fx, paint walk %.2fx, paint %.2fx\n", COMMUNITY_MAX_ENTRIES,
              large.step_us / small.step_us, large.walk_us / small.walk_us, large.paint_us / small.paint_us);
  g_driver = nullptr;
  return 0;
}
