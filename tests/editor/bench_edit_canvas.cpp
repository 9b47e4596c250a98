// Benchmark: the editor canvas on a full map (change check, paint, idle, scrolling) beside a plain window.
//
// It measures and prints, it does not judge; the reference is a window of
// the game's size that only clears and swaps. With a directory argument it
// also writes the canvas at a few camera positions and zooms as PPM
// pictures there, to compare pictures before and after a change.
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "editor/edit_main.h"
#include "editor/editor.h"
#include "game/game.h"
#include "game/hooks.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "game/state.h"
#include "game/tile_info.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "../support/bench_clock.h"

namespace {

using bench::cpu;
using bench::Figures;
using bench::wall;

const int kWindowW = VIDEO_DEFAULT_W, kWindowH = VIDEO_DEFAULT_H;
const double kIdleSeconds = 3.0;
const int kFrames = 120;

// A full map: every cell of the band used, walls and floors in rooms, with
// pick-ups, actors, lights and arrows spread over it.
void fill_map(Game* g) {
  uint32_t seed = 12345;
  auto rnd = [&seed](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<uint32_t>(n));
  };
  static const int terrain[] = {2, 2, 2, 2, 3, 4, 6};
  static const int items[] = {48, 49, 50, 51, 52, 53, 56, 57, 58, 59, 64, 65, 66, 37, 38, 39, 41, 42, 43, 44};
  int actors = 0;
  for (int y = MAP_MIN; y <= MAP_MAX; y++)
    for (int x = MAP_MIN; x <= MAP_MAX; x++) {
      int t = (x % 8 == 0 || y % 8 == 0) && rnd(5) ? 1 : terrain[rnd(7)];
      if (t != 1 && rnd(12) == 0) t = items[rnd(20)];
      if (t != 1 && rnd(200) == 0 && actors < 40) t = 33 + (actors++ % 4);
      g->level.map.grid[y * MAP_W + x] = static_cast<uint8_t>(t);
    }
  g->level.map.grid[64 * MAP_W + 64] = 32;
}

void frames(Game* g, int n) {
  for (int i = 0; i < n; i++) {
    game_frame(g, 1);
    g->paint();
  }
}

void key(int game_key) {
  Event down(EVT_KEYDOWN), up(EVT_KEYUP);
  down[EVW_KEY] = up[EVW_KEY] = game_key;
  game_send_event(down);
  game_send_event(up);
}

// One change check and one paint of the screen as it stands, many times.
void check_and_paint(Game* g, const char* what) {
  Figures check, paint;
  for (int i = 0; i < kFrames; i++) {
    double w = wall(), c = cpu();
    gfx_sig_begin();
    g->paint_state();
    gfx_sig_end();
    check.add(wall() - w, cpu() - c);
    w = wall();
    c = cpu();
    g->paint_state();
    glFinish();
    paint.add(wall() - w, cpu() - c);
  }
  std::string a = std::string(what) + ", change check:", b = std::string(what) + ", paint:";
  check.print(a.c_str());
  paint.print(b.c_str());
}

// Scrolls with the arrow keys (or zooms), one step a frame, timing each
// painted frame up to the swap.
void moving(Game* g, const char* what, bool zoom) {
  Figures f;
  static const int path[] = {GK_RIGHT, GK_RIGHT, GK_DOWN, GK_DOWN, GK_LEFT, GK_LEFT, GK_UP, GK_UP};
  for (int i = 0; i < kFrames; i++) {
    if (zoom) {
      Event wheel(EVT_WHEEL);
      wheel[EVW_WHEEL] = (i / 10) % 2 ? -1 : 1;
      game_send_event(wheel);
    } else {
      key(path[(i / 4) % 8]);
    }
    game_frame(g, 1);
    double w = wall(), c = cpu();
    g->paint();
    f.add(wall() - w, cpu() - c);
  }
  f.print(what);
}

// The share of a core while the screen sits still, through the game's own
// loop with its pauses between steps.
void idle(Game* g) {
  double w0 = wall(), c0 = cpu();
  int steps = 0;
  while (wall() - w0 < kIdleSeconds) {
    g->loop();
    g->paint();
    steps++;
  }
  std::printf("editor idle on the full map: %.1f%% of one core\n", 100 * (cpu() - c0) / (wall() - w0));
}

void dump(Game* g, const std::string& dir) {
  LevelMap& m = g->level.map;
  const float zooms[] = {1.0f, 0.5f, EDIT_ZOOM_MIN};
  const float cams[][2] = {{64, 64}, {10.3f, 20.7f}, {120, 118}, {-30, 64}};
  auto* edit = static_cast<EditMain*>(state_get(STATE_EDIT_MAIN));
  edit->cursor_x = 66;
  edit->cursor_y = 61;
  int n = 0;
  for (float z : zooms)
    for (const auto& c : cams) {
      m.zoom = z;
      m.camera[0] = c[0];
      m.camera[1] = c[1];
      g->paint_state();
      int w = g_view.target_w, h = g_view.target_h;
      std::vector<unsigned char> px(static_cast<size_t>(w) * h * 3);
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
      std::string path = dir + "/canvas" + std::to_string(n++) + ".ppm";
      FILE* f = std::fopen(path.c_str(), "wb");
      if (!f) continue;
      std::fprintf(f, "P6\n%d %d\n255\n", w, h);
      for (int y = h - 1; y >= 0; y--) std::fwrite(&px[static_cast<size_t>(y) * w * 3], 1, w * 3, f);
      std::fclose(f);
    }
  std::printf("%d pictures written to %s\n", n, dir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (!getenv("DISPLAY")) {
    std::printf("bench_edit_canvas: no DISPLAY, nothing measured\n");
    return 0;
  }
  bench::plain_window(kWindowW, kWindowH, kIdleSeconds);

  bench::TempGame run;
  if (!run.made) return 1;
  game_hooks.register_menu_states = register_menu_states;
  game_hooks.register_editor_states = register_editor_states;
  game_hooks.edit_map_unsaved = edit_mark_dirty;
  run.start();
  Game* g = run.g;
  frames(g, 30);
  fill_map(g);
  if (!levels_create(g, game_pack_level(g))) return 1;
  g->transition(TRANS_NONE, STATE_EDIT_MAIN);
  frames(g, 5);
  if (g->state != STATE_EDIT_MAIN) return 1;

  LevelMap& m = g->level.map;
  for (float z : {1.0f, EDIT_ZOOM_MIN}) {
    m.zoom = z;
    m.camera[0] = m.camera[1] = 64;
    char what[64];
    std::snprintf(what, sizeof what, "editor, zoom %.3f, still", z);
    check_and_paint(g, what);
    std::snprintf(what, sizeof what, "editor, zoom %.3f, scrolling:", z);
    moving(g, what, false);
  }
  m.camera[0] = m.camera[1] = 64;
  moving(g, "editor, zooming in and out:", true);
  m.zoom = EDIT_ZOOM_MIN;
  m.camera[0] = m.camera[1] = 64;
  idle(g);
  if (argc > 1) dump(g, argv[1]);
  return 0;
}
