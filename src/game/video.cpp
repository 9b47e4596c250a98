// Sets the video mode from the player's options and loads what must live with it: fonts, pictures.
#include "game/video.h"

#include <cstdio>

#include "driver/driver.h"
#include "game/game.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"

bool game_headless = false;

static bool g_video_up = false;

bool game_video_init(Game* g) {
  if (game_headless || !g_driver) return true;
  if (g_video_up) {
    transition_deinit();
    gfx_deinit();
    g_video_up = false;
  }
  // The pictures decode while the window opens.
  gfx_tex_prefetch();
  LocalSettings& l = g->lsettings;
  // Toggles are 1 or -1; anything else read from a file is off.
  if (l.vfull != 1) l.vfull = -1;
  if (l.vsync != 1) l.vsync = -1;
  int set = g_driver->video_mode(l.vres, l.vfull, l.vsync);
  if (set == VIDEO_FAILED) {
    fprintf(stderr, "game_video_init: no video mode\n");
    return false;
  }
  if (set == VIDEO_FALLBACK) {
    l.vres = g_driver->resolution;
    l.vfull = g_driver->fullscreen ? 1 : -1;
  }
  gfx_init(g_driver->screen_w, g_driver->screen_h);
  gfx_set_view(640, 640);
  gfx_fit_view();
  for (const char* f : {"font1", "font2", "font15", "font2s"}) font_load(f);
  g_driver->key_repeat(g->run.key_repeat != 0);
  gfx_img_load("boxart");
  transition_init();
  gfx_img_load("menu-background");
  g_video_up = true;
  return set == VIDEO_SET;
}

void game_video_deinit() {
  if (!g_video_up) return;
  transition_deinit();
  gfx_deinit();
  g_video_up = false;
}
