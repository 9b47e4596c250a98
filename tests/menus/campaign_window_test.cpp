// A new player's first level in a real window: every key and click goes
// through SDL's event queue and the driver, as in the running game. From
// the main menu through the intro to the sector map, a level picked with
// the keys and the mouse, walked to its exit and won, and back on the map
// with the level shown complete.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "driver/driver.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/state.h"
#include "game/tile_info.h"
#include "game/world.h"
#include "gfx/gfx.h"
#include "gfx/transition.h"
#include "menus/lev_scroller.h"
#include "menus/menus.h"
#include "menus_fixture.h"
#include "support/game_window.h"
#include "support/grid_route.h"
#include "window_input.h"

namespace {

struct CampaignWindow : WindowInput {
  void install_hooks() override { game_hooks.register_menu_states = register_menu_states; }

  Cell player_cell() {
    Entity* p = world_player(g);
    return {static_cast<int>(std::floor(p->x)), static_cast<int>(std::floor(p->y))};
  }
  // The shortest way to the cell over open cells.
  std::vector<Cell> route(Cell from, Cell to) {
    return grid_route(from, to, [&](Cell n) { return !world_blocked(g, n.x, n.y); });
  }
  // Holds the bound direction key towards each next cell until the player
  // stands on its centre.
  void walk_to_exit() {
    Cell exit{-1, -1};
    for (const Entity& e : g->level.entities)
      if (e.kind == ENT_EXIT) exit = {e.home_x, e.home_y};
    ASSERT_NE(exit.x, -1);
    std::vector<Cell> path = route(player_cell(), exit);
    ASSERT_FALSE(path.empty());
    for (const Cell& next : path) {
      Cell at = player_cell();
      int action = next.x > at.x ? ACT_RIGHT : next.x < at.x ? ACT_LEFT : next.y > at.y ? ACT_DOWN : ACT_UP;
      push_key(SDL_KEYDOWN, g->settings.keys[action]);
      for (int i = 0; i < 40 && g->level.stats.exit_countdown == 0; i++) {
        frames(1, 8);
        Entity* p = world_player(g);
        if (std::fabs(p->x - (next.x + 0.5f)) + std::fabs(p->y - (next.y + 0.5f)) < WORLD_SPEED / 2) break;
      }
      push_key(SDL_KEYUP, g->settings.keys[action]);
      frames(1, 8);
      if (g->level.stats.exit_countdown > 0) return;
      ASSERT_EQ(player_cell(), next) << "stuck on the way to " << next.x << "," << next.y;
    }
  }
  // Every widget of the screen, parents before their children.
  std::vector<Widget*> widgets() {
    std::vector<Widget*> all{&root()};
    for (size_t i = 0; i < all.size(); i++)
      if (auto* c = dynamic_cast<Container*>(all[i])) all.insert(all.end(), c->children.begin(), c->children.end());
    return all;
  }
  // The screen's card (its menu box) lies inside the view, and every text
  // on it inside the card.
  void expect_card_holds_its_texts() {
    std::vector<Widget*> all = widgets();
    MenuBox* card = nullptr;
    for (size_t i = 0; i < all.size() && !card; i++) card = dynamic_cast<MenuBox*>(all[i]);
    ASSERT_NE(card, nullptr);
    float cx, cy;
    card->abs_pos(&cx, &cy);
    EXPECT_GE(cx, 0);
    EXPECT_LE(cx + card->w, 640);
    for (Widget* w : all) {
      Label* l = dynamic_cast<Label*>(w);
      if (!l) continue;
      float x, y;
      l->abs_pos(&x, &y);
      EXPECT_GE(x, cx + card->cx) << l->text;
      EXPECT_LE(x + l->w, cx + card->cx + card->cw) << l->text;
    }
  }
};

}  // namespace

TEST_F(CampaignWindow, PlayPickWinAndComeBackToTheMap) {
  frames(20);
  ASSERT_EQ(g->state, STATE_MENUS_MAIN);
  click(menus_test::find_button(&root(), "Play"));
  frames(20);
  ASSERT_EQ(g->state, STATE_MOVIE_INTRO);
  tap(SDLK_SPACE);  // skips the film
  frames(60);
  ASSERT_EQ(g->state, STATE_MENUS_PLAY);
  ASSERT_EQ(g->progress.current_level, 1);
  Widget* first = root().find("1");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->sv(SW_ICON_IMG), gfx_img_load("map-level"));
  float ix, iy;
  first->abs_pos(&ix, &iy);
  g->paint_state();
  Picture before = grab();

  // The keys move the selection, the mouse brings it back: the first click
  // selects, the second starts the level.
  tap(SDLK_RIGHT);
  EXPECT_EQ(g->progress.current_level, 2);
  click(root().find("1"));
  EXPECT_EQ(g->progress.current_level, 1);
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);
  click(root().find("1"));
  ASSERT_EQ(g->state, STATE_PLAY_INTRO);
  frames(20);
  // A title and an intro too long for the card are cut to it, here and on
  // the win card.
  game_text_set(g->level_title, sizeof g->level_title, std::string(200, 'W').c_str());
  game_text_set(g->level_intro, sizeof g->level_intro, (std::string(80, 'M') + " and more words").c_str());
  state_get(STATE_PLAY_INTRO)->init();
  frames(1);
  expect_card_holds_its_texts();
  tap(SDLK_SPACE);
  frames(20);
  ASSERT_EQ(g->state, STATE_PLAY);

  walk_to_exit();
  frames(WORLD_EXIT_STEPS + 20);
  ASSERT_EQ(g->state, STATE_PLAY_WIN);
  // The earned medals sit on one line, on the card.
  std::vector<int> medals;
  for (const char* name : g->progress.levels[1].ach) {
    int a = g->progress.find_ach(name);
    ASSERT_GT(a, 0) << name;
    g->last_ach[a] = 1;
    medals.push_back(gfx_img_load(g->progress.achs[a].image));
  }
  state_get(STATE_PLAY_WIN)->init();
  frames(1);
  expect_card_holds_its_texts();
  std::vector<float> lines;
  for (Widget* w : widgets()) {
    if (std::find(medals.begin(), medals.end(), w->sv(SW_ICON_IMG)) == medals.end()) continue;
    float x, y;
    w->abs_pos(&x, &y);
    lines.push_back(y);
  }
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), lines[0]), 3);
  tap(SDLK_RETURN);  // "Continue"
  frames(60);

  // Back on the map: the level counts as won and its icon shows it.
  ASSERT_EQ(g->state, STATE_MENUS_PLAY);
  EXPECT_EQ(g->progress.levels[1].plays, 1);
  Widget* done = root().find("1");
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(done->sv(SW_ICON_IMG), gfx_img_load("map-level-complete"));
  // The selection moved on to the next level to play, on the same map.
  EXPECT_EQ(g->progress.current_level, 2);
  float jx, jy;
  done->abs_pos(&jx, &jy);
  EXPECT_EQ(jx, ix);
  EXPECT_EQ(jy, iy);
  g->paint_state();
  Picture after = grab();
  EXPECT_GT(changed(before, after, ix - 20, iy - 20, 40, 40), 40);
}
