// A campaign level in a real window: the world, its entities and the
// heads-up header are drawn where the world transform puts them.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "game/game.h"
#include "game/hooks.h"
#include "game/levels_db.h"
#include "game/paths.h"
#include "game/register_play.h"
#include "game/state.h"
#include "game/world.h"
#include "game/world_view.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "support/temp_dir.h"

namespace {

struct Picture {
  int w = 0, h = 0;
  std::vector<uint32_t> px;  // top row first, 0xRRGGBB
  uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

Picture grab() {
  Picture p;
  p.w = g_view.target_w;
  p.h = g_view.target_h;
  std::vector<unsigned char> raw(static_cast<size_t>(p.w) * p.h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, p.w, p.h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  p.px.resize(static_cast<size_t>(p.w) * p.h);
  for (int y = 0; y < p.h; y++)
    for (int x = 0; x < p.w; x++) {
      const unsigned char* c = &raw[(static_cast<size_t>(p.h - 1 - y) * p.w + x) * 4];
      p.px[static_cast<size_t>(y) * p.w + x] = (c[0] << 16) | (c[1] << 8) | c[2];
    }
  return p;
}

// Pixels that differ inside the view rectangle (view units).
int changed(const Picture& a, const Picture& b, float x, float y, float w, float h) {
  float sx = g_view.target_w / g_view.w, sy = g_view.target_h / g_view.h;
  int x0 = std::max(0, static_cast<int>((x - g_view.x0) * sx));
  int y0 = std::max(0, static_cast<int>((y - g_view.y0) * sy));
  int x1 = std::min(a.w, static_cast<int>(std::ceil((x + w - g_view.x0) * sx)));
  int y1 = std::min(a.h, static_cast<int>(std::ceil((y + h - g_view.y0) * sy)));
  int n = 0;
  for (int py = y0; py < y1; py++)
    for (int px = x0; px < x1; px++) n += a.at(px, py) != b.at(px, py);
  return n;
}

struct PlayPicture : ::testing::Test {
  TempDir tmp;
  GameHooks saved = game_hooks;
  Game* g = nullptr;

  void SetUp() override {
    game_hooks = GameHooks();
    game_hooks.register_play_states = register_play_states;
    game_hooks.register_menu_states = register_menu_states;
    setenv("APPDATA", tmp.path().c_str(), 1);
    g_driver = new Driver();
    g_driver->set_app_name("home");
    g_driver->data_dir = TW_DATA_DIR;
    game_set_dirs(TW_DATA_DIR, user_dir());
    ::testing::internal::CaptureStderr();
    g = new Game();
    g->init();
    ::testing::internal::GetCapturedStderr();
  }
  void TearDown() override {
    ::testing::internal::CaptureStderr();
    g->deinit();
    ::testing::internal::GetCapturedStderr();
    delete g;
    game_hooks = saved;
    unsetenv("APPDATA");
  }
  Picture paint() {
    g->paint_state();
    return grab();
  }
};

}  // namespace

TEST_F(PlayPicture, TheWorldAroundThePlayerAndTheHeader) {
  game_frame(g, 15);
  game_text_set(g->current_level_id, sizeof g->current_level_id, "level01.map");
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(level_load_file(g));
  ::testing::internal::GetCapturedStderr();
  g->return_menu = STATE_MENUS_PLAY;
  level_start(g);
  game_frame(g, 15);
  ASSERT_EQ(g->state, STATE_PLAY_INTRO);
  g->transition(TRANS_NONE, STATE_PLAY);
  game_frame(g, 1);

  Picture full = paint();
  ASSERT_GT(full.w, 0);
  Entity* p = world_player(g);
  ASSERT_NE(p, nullptr);

  // The player sits on the camera, in the middle below the header: the
  // picture without it differs there and nowhere else.
  Entity keep = *p;
  p->kind = 0;
  Picture no_player = paint();
  *p = keep;
  float px, py;
  px = g_world_view.ox + p->x * g_world_view.scale;
  py = g_world_view.oy + p->y * g_world_view.scale;
  EXPECT_FLOAT_EQ(px, 320);
  EXPECT_FLOAT_EQ(py, WORLD_HUD_H + (640 - WORLD_HUD_H) / 2.0f);
  float half = g_world_view.scale / 2;
  EXPECT_GT(changed(full, no_player, px - half, py - half, 2 * half, 2 * half), 50);
  EXPECT_EQ(changed(full, no_player, g_view.x0, g_view.y0, g_view.w, py - half - 1 - g_view.y0), 0);

  // The header: hidden by the setting, the top strip changes.
  g->settings.game_hud = -1;
  Picture no_hud = paint();
  g->settings.game_hud = 1;
  EXPECT_GT(changed(full, no_hud, 0, 0, 640, WORLD_HUD_H), 100);
  EXPECT_EQ(changed(full, no_hud, g_view.x0, WORLD_HUD_H + 1, g_view.w, 640 - WORLD_HUD_H - 1), 0);
}

// Every in-level screen and the movies paint something of their own.
TEST_F(PlayPicture, EachScreenPaints) {
  game_frame(g, 15);
  game_text_set(g->current_level_id, sizeof g->current_level_id, "level02.map");
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(level_load_file(g));
  ::testing::internal::GetCapturedStderr();
  g->return_menu = STATE_MENUS_COMMUNITY;  // the results then offer the stars
  level_start(g);
  game_frame(g, 15);
  std::vector<Picture> seen;
  for (int id : {STATE_PLAY_INTRO, STATE_PLAY, STATE_PLAY_PAUSE, STATE_PLAY_WIN, STATE_MOVIE_INTRO}) {
    SCOPED_TRACE(id);
    g->transition(TRANS_NONE, id);
    game_frame(g, 2);
    Picture p = paint();
    ASSERT_GT(p.w, 0);
    EXPECT_GT(changed(p, Picture{p.w, p.h, std::vector<uint32_t>(p.px.size(), 0)}, g_view.x0, g_view.y0, g_view.w,
                      g_view.h),
              1000);
    for (const Picture& q : seen) EXPECT_GT(changed(p, q, g_view.x0, g_view.y0, g_view.w, g_view.h), 1000);
    seen.push_back(p);
  }
}
