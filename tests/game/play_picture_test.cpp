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
#include "support/game_window.h"

namespace {

struct PlayPicture : WindowedGame {
  void install_hooks() override {
    game_hooks.register_menu_states = register_menu_states;
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
