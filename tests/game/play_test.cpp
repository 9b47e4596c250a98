// A level played through the game's headless entry with the real content:
// entered, walked to the exit with key events, paused, won and left.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/headless.h"
#include "game/hooks.h"
#include "game/level_won.h"
#include "game/levels_db.h"
#include "game/movie_states.h"
#include "game/pack.h"
#include "game/play_states.h"
#include "game/save_files.h"
#include "game/state.h"
#include "game/tile_info.h"
#include "game/world.h"
#include "game/world_view.h"
#include "gfx/movie.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "support/game_window.h"
#include "support/grid_route.h"
#include "ui/ui.h"
#include "util/db.h"

namespace {

// Tile types of the content (docs/gameinfo.md).
enum { T_WALL = 1, T_FLOOR = 2, T_PLAYER = 32, T_EXIT = 40, T_CART = 48, T_JEWEL = 49 };

struct PlayGame : ::testing::Test {
  TempDir tmp;
  std::string user = tmp.file("user");
  GameHooks saved = game_hooks;
  Game* g = nullptr;

  void SetUp() override {
    game_hooks = GameHooks();
    game_hooks.register_menu_states = register_menu_states;
    g_transition = Transition();
    start();
  }
  void TearDown() override {
    if (g) stop();
    game_hooks = saved;
  }
  void start() {
    ::testing::internal::CaptureStderr();
    g = game_headless_start(TW_DATA_DIR, user);
    ::testing::internal::GetCapturedStderr();
    settle();
  }
  void stop() {
    ::testing::internal::CaptureStderr();
    game_headless_stop();
    ::testing::internal::GetCapturedStderr();
    g = nullptr;
  }
  // Runs the steps that a transition takes.
  void settle() { game_headless_run(16); }
  State* current() { return state_get(g->state); }

  void key(int type, int action) {
    Event e(type);
    e[EVW_SYM] = g->settings.keys[action];
    e[EVW_KEY] = event_game_key(e[EVW_SYM]);
    game_headless_event(e);
  }
  void tap(int action) {
    key(EVT_KEYDOWN, action);
    key(EVT_KEYUP, action);
  }
  // Presses the button whose label has the text (Space on the focused
  // widget after moving the focus there).
  void press(const std::string& text) {
    Label* l = find_label(&current()->root, text);
    ASSERT_NE(l, nullptr) << text;
    Widget* b = l;
    while (b && !b->focusable) b = b->parent;
    ASSERT_NE(b, nullptr) << text;
    select(b);
    Event down(EVT_KEYDOWN);
    down[EVW_KEY] = GK_SPACE;
    game_headless_event(down);
    Event up = down;
    up[EVW_TYPE] = EVT_KEYUP;
    game_headless_event(up);
  }

  // What the sector screen does to play a campaign level.
  void start_campaign(const char* file) {
    game_text_set(g->current_level_id, sizeof g->current_level_id, file);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(level_load_file(g));
    ::testing::internal::GetCapturedStderr();
    g->return_menu = STATE_MENUS_PLAY;
    level_start(g);
  }
  // From the intro into play.
  void begin_play() {
    settle();
    ASSERT_EQ(g->state, STATE_PLAY_INTRO);
    tap(ACT_UP);
    settle();
    ASSERT_EQ(g->state, STATE_PLAY);
  }

  Entity* player() { return world_player(g); }
  Cell player_cell() {
    Entity* p = player();
    return {static_cast<int>(std::floor(p->x)), static_cast<int>(std::floor(p->y))};
  }
  Cell find_object(int value, int from = 0) {
    int seen = 0;
    for (int y = MAP_MIN; y <= MAP_MAX; y++)
      for (int x = MAP_MIN; x <= MAP_MAX; x++) {
        int o = g->level.objects[y * MAP_W + x];
        if (o && game_tiles[o].value == value && seen++ == from) return {x, y};
      }
    return {-1, -1};
  }

  // A cell the player can walk into: open, or a lock whose keycard it holds.
  bool enterable(Cell c) {
    if (!world_blocked(g, c.x, c.y)) return true;
    int o = tile_at_or(c.x, c.y, g->level.objects, 0);
    int v = o ? game_tiles[o].value : 0;
    return (v & ~0xf) == 0x220 && (g->level.stats.keycards & (1 << (v & 0xf)));
  }

  // The shortest way between two cells over cells the player may enter,
  // around the exit unless it is the goal.
  std::vector<Cell> route(Cell from, Cell to, Cell exit) {
    return grid_route(from, to, [&](Cell n) { return enterable(n) && (n != exit || to == exit); });
  }

  // Holds the direction key towards each next cell until the player stands
  // on its centre.
  void walk(const std::vector<Cell>& path) {
    for (const Cell& next : path) {
      Cell at = player_cell();
      int action = next.x > at.x ? ACT_RIGHT : next.x < at.x ? ACT_LEFT : next.y > at.y ? ACT_DOWN : ACT_UP;
      key(EVT_KEYDOWN, action);
      for (int i = 0; i < 40; i++) {
        game_headless_run(1);
        if (g->level.stats.exit_countdown > 0) break;  // on the exit: the player stops
        float d = std::fabs(player()->x - (next.x + 0.5f)) + std::fabs(player()->y - (next.y + 0.5f));
        if (d < WORLD_SPEED / 2) break;
      }
      key(EVT_KEYUP, action);
      ASSERT_EQ(player_cell(), next) << "stuck on the way to " << next.x << "," << next.y;
    }
  }
  // Collects every reachable cartridge and jewel, then goes to the exit.
  void walk_whole_level() {
    Cell exit{-1, -1};
    for (const Entity& e : g->level.entities)
      if (e.kind == ENT_EXIT) exit = {e.home_x, e.home_y};
    ASSERT_NE(exit.x, -1);
    // Keycards first (the locks they open may hide the rest), then the
    // cartridges and jewels, as long as any is in reach.
    for (bool moved = true; moved;) {
      moved = false;
      for (int value : {0x211, 0x212, 0x213, 0x201, 0x202}) {
        for (int i = 0;; i++) {
          Cell c = find_object(value, i);
          if (c.x == -1) break;
          std::vector<Cell> path = route(player_cell(), c, exit);
          if (path.empty()) continue;
          walk(path);
          EXPECT_NE(find_object(value, i), c) << "not picked up";
          moved = true;
          break;
        }
        if (moved) break;
      }
    }
    std::vector<Cell> path = route(player_cell(), exit, exit);
    ASSERT_FALSE(path.empty());
    walk(path);
  }

  // A small user map in the Level: a corridor from the player to the exit
  // with a cartridge on the way and a jewel in a niche below it.
  void make_user_map() {
    memset(static_cast<void*>(&g->level), 0, sizeof(Level));
    LevelMap& m = g->level.map;
    for (int y = 58; y <= 63; y++)
      for (int x = 58; x <= 68; x++) m.grid[y * MAP_W + x] = T_WALL;
    for (int x = 60; x <= 66; x++) m.grid[60 * MAP_W + x] = T_FLOOR;
    m.grid[60 * MAP_W + 60] = T_PLAYER;
    m.grid[60 * MAP_W + 62] = T_CART;
    m.grid[61 * MAP_W + 64] = T_JEWEL;
    m.grid[60 * MAP_W + 66] = T_EXIT;
    strcpy(m.text[LEVEL_TEXT_TITLE], "Proving Ground");
    m.changes = 7;
  }
  void store_user_map(const char* id) {
    game_text_set(g->current_level_id, sizeof g->current_level_id, id);
    db_query(game_db(GAME_DB_USER), "insert into levels (id, data, ts, title, author, name) values (?, ?, ?, ?, ?, ?)",
             var_list(var(id), var(game_pack_level(g)), var("0"), var("Proving Ground"), var(""), var("")));
  }
  LevelMap stored_map(const char* id) {
    var rows = db_query(game_db(GAME_DB_USER), "select data from levels where id = ?", var(id));
    EXPECT_EQ(rows.len(), 1u);
    Level saved_level = g->level;
    EXPECT_TRUE(game_unpack_level(g, rows[0]["data"].str()));
    LevelMap m = g->level.map;
    g->level = saved_level;
    return m;
  }
};

}  // namespace

TEST_F(PlayGame, CampaignLevelWalkedToTheExitIsRecordedAndShowsItsResults) {
  start_campaign("level01.map");
  EXPECT_STREQ(g->level_title, "First Steps");
  EXPECT_EQ(g_transition.type, TRANS_FADE);
  begin_play();
  ASSERT_NE(player(), nullptr);
  EXPECT_EQ(player()->kind, ENT_PLAYER);
  EXPECT_GT(g->level.stats.total_carts, 0);
  // Guards and lights stand where the map puts them.
  int guards = 0, lights = 0;
  for (const Entity& e : g->level.entities) {
    guards += e.kind == ENT_GUARD;
    lights += e.kind == ENT_LIGHT;
  }
  EXPECT_GT(guards, 0);
  EXPECT_GT(lights, 0);

  walk_whole_level();
  EXPECT_EQ(g->level.stats.carts, g->level.stats.total_carts);
  EXPECT_EQ(g->level.stats.exit_countdown, WORLD_EXIT_STEPS);
  game_headless_run(WORLD_EXIT_STEPS - 1);
  EXPECT_EQ(g->state, STATE_PLAY);
  game_headless_run(1);
  EXPECT_EQ(g->state, STATE_PLAY_WIN);

  // The level record.
  const LevelInfo& rec = g->progress.levels[1];
  EXPECT_EQ(g->last_record, 1);
  EXPECT_EQ(rec.plays, 1);
  ASSERT_EQ(rec.history[0].valid, 1);
  EXPECT_EQ(rec.history[1].valid, 0);
  EXPECT_GT(g->last_time_cs, 0);
  EXPECT_EQ(rec.history[0].time_cs, g->last_time_cs);
  EXPECT_EQ(rec.history[0].carts, rec.total_carts);
  EXPECT_EQ(rec.best_carts, rec.total_carts);
  EXPECT_EQ(rec.best_crystal_pct, 100);
  for (const char* name : {"nodeaths", "cartridges", "jewels"}) {
    int idx = g->progress.find_ach(name);
    ASSERT_GT(idx, 0) << name;
    EXPECT_EQ(g->last_ach[idx], 1) << name;
    EXPECT_EQ(rec.earned[idx], 1) << name;
  }

  // The save files have it.
  Progress on_disk;
  ASSERT_TRUE(game_read_block(user + "/progress.dat", &on_disk, sizeof on_disk, PROGRESS_VERSION));
  EXPECT_EQ(on_disk.levels[1].plays, 1);
  EXPECT_EQ(on_disk.levels[1].history[0].time_cs, g->last_time_cs);

  // The results screen.
  settle();
  State* win = current();
  EXPECT_NE(find_label(&win->root, "Level Complete"), nullptr);
  EXPECT_NE(find_label(&win->root, format_time_cs(g->last_time_cs)), nullptr);
  char carts[32];
  snprintf(carts, sizeof carts, "%d / %d", rec.total_carts, rec.total_carts);
  EXPECT_NE(find_label(&win->root, carts), nullptr);
  EXPECT_EQ(win->root.find("stars"), nullptr);  // only community maps are rated

  // Settings and back: nothing is recorded or submitted again.
  press("Settings");
  EXPECT_EQ(g->state, STATE_MENUS_SETTINGS);
  EXPECT_EQ(g->settings_return_state, STATE_PLAY_WIN);
  settle();
  press("Done");  // the settings screen goes back where it came from
  settle();
  EXPECT_EQ(g->state, STATE_PLAY_WIN);
  EXPECT_EQ(g->progress.levels[1].plays, 1);
  EXPECT_EQ(g->progress.levels[1].history[1].valid, 0);

  press("Continue");
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);
}

TEST_F(PlayGame, PauseKeepsThePlayersPlaceAndLeadsOn) {
  start_campaign("level01.map");
  begin_play();
  float x0 = player()->x;
  key(EVT_KEYDOWN, ACT_RIGHT);
  game_headless_run(6);
  float x1 = player()->x, y1 = player()->y;
  EXPECT_GT(x1, x0);
  int steps = g->level.stats.steps;

  // Escape pauses with the key still held; nothing moves meanwhile.
  tap(ACT_ESCAPE);
  EXPECT_EQ(g->state, STATE_PLAY_PAUSE);
  game_headless_run(120);
  EXPECT_EQ(player()->x, x1);
  EXPECT_EQ(g->level.stats.steps, steps);
  key(EVT_KEYUP, ACT_RIGHT);
  tap(ACT_ESCAPE);
  EXPECT_EQ(g->state, STATE_PLAY);
  game_headless_run(30);
  EXPECT_EQ(player()->x, x1);  // the key let go while paused is not held
  EXPECT_EQ(player()->y, y1);
  EXPECT_GT(g->level.stats.steps, steps);

  // Through the settings screen and back into the same level.
  tap(ACT_ESCAPE);
  press("Settings");
  EXPECT_EQ(g->settings_return_state, STATE_PLAY);
  EXPECT_EQ(g->state, STATE_MENUS_SETTINGS);
  settle();
  press("Done");
  settle();
  EXPECT_EQ(g->state, STATE_PLAY);
  EXPECT_EQ(player()->x, x1);
  EXPECT_EQ(player()->y, y1);

  // Restart: the level as it started.
  tap(ACT_ESCAPE);
  press("Restart");
  EXPECT_EQ(player()->x, x0);
  EXPECT_EQ(g->level.stats.steps, 0);
  settle();
  EXPECT_EQ(g->state, STATE_PLAY);

  // Back to the menu the level came from.
  tap(ACT_ESCAPE);
  press("Sector Map");
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);
  EXPECT_EQ(g->progress.levels[1].plays, 0);
}

TEST_F(PlayGame, PlayTestWinKeepsTheMapsObjectsAndProvesIt) {
  make_user_map();
  store_user_map("42");
  g->return_menu = STATE_EDIT_MAIN;
  level_start(g);
  EXPECT_EQ(g->state, STATE_PLAY_INTRO);  // at once, no transition
  EXPECT_FALSE(transition_running());
  begin_play();

  // Straight along the corridor: the jewel in its niche stays behind.
  walk({{61, 60}, {62, 60}, {63, 60}, {64, 60}, {65, 60}, {66, 60}});
  game_headless_run(WORLD_EXIT_STEPS + 16);
  ASSERT_EQ(g->state, STATE_PLAY_WIN);
  EXPECT_EQ(g->level.stats.carts, 1);
  EXPECT_EQ(g->level.stats.jewels, 0);
  // The Level holds the map as edited again; nothing was proven.
  EXPECT_EQ(g->level.map.grid[60 * MAP_W + 62], T_CART);
  EXPECT_EQ(g->level.map.grid[60 * MAP_W + 60], T_PLAYER);
  LevelMap m = stored_map("42");
  EXPECT_EQ(m.win_changes, 0);

  // Again, by way of the jewel: first while the table refuses writes, when
  // the mark stays in the Level and the editor is told to store it later.
  static int unsaved;
  unsaved = 0;
  game_hooks.edit_map_unsaved = [] { unsaved++; };
  for (bool refused : {true, false}) {
    db_query(game_db(GAME_DB_USER), refused ? "pragma query_only = on" : "pragma query_only = off");
    level_start(g);
    begin_play();
    walk({{61, 60}, {62, 60}, {63, 60}, {64, 60}, {64, 61}, {64, 60}, {65, 60}, {66, 60}});
    game_headless_run(WORLD_EXIT_STEPS + 16);
    ASSERT_EQ(g->state, STATE_PLAY_WIN);
    EXPECT_EQ(g->level.map.win_changes, 7);
    EXPECT_EQ(unsaved, 1);
    if (refused) {
      EXPECT_EQ(stored_map("42").win_changes, 0);
    }
  }
  game_hooks.edit_map_unsaved = nullptr;
  m = stored_map("42");
  EXPECT_EQ(m.win_changes, 7);
  EXPECT_EQ(m.changes, 7);
  EXPECT_EQ(m.grid[60 * MAP_W + 60], T_PLAYER);
  EXPECT_EQ(m.grid[60 * MAP_W + 62], T_CART);
  EXPECT_EQ(m.grid[61 * MAP_W + 64], T_JEWEL);
  EXPECT_EQ(m.grid[60 * MAP_W + 66], T_EXIT);
  EXPECT_STREQ(m.text[LEVEL_TEXT_TITLE], "Proving Ground");
  EXPECT_EQ(g->progress.levels[1].plays, 0);
}

TEST_F(PlayGame, CommunityMapWinIsRated) {
  make_user_map();
  g->return_menu = STATE_MENUS_COMMUNITY;
  game_text_set(g->current_level_id, sizeof g->current_level_id, "9001");
  level_start(g);
  g->map_rating = 0;
  begin_play();
  walk({{61, 60}, {62, 60}, {63, 60}, {64, 60}, {65, 60}, {66, 60}});
  game_headless_run(WORLD_EXIT_STEPS + 16);
  ASSERT_EQ(g->state, STATE_PLAY_WIN);

  Widget* stars = current()->root.find("stars");
  ASSERT_NE(stars, nullptr);
  EXPECT_EQ(stars->get_value_i(), 0);
  stars->set_value_i(4);
  press("Continue");
  EXPECT_EQ(g->map_rating, 4);
  EXPECT_EQ(g->state, STATE_MENUS_COMMUNITY);
}

TEST_F(PlayGame, MapsWithoutPlayerOrExitCanBeEnteredAndLeft) {
  for (int missing : {T_PLAYER, T_EXIT}) {
    make_user_map();
    for (uint8_t& c : g->level.map.grid)
      if (c == missing) c = T_FLOOR;
    g->return_menu = STATE_MENUS_COMMUNITY;
    ::testing::internal::CaptureStderr();
    level_start(g);
    begin_play();
    for (int action : {ACT_RIGHT, ACT_DOWN, ACT_LEFT, ACT_UP}) {
      key(EVT_KEYDOWN, action);
      game_headless_run(90);
      key(EVT_KEYUP, action);
    }
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(g->state, STATE_PLAY);
    EXPECT_EQ(g->level.stats.exit_countdown, 0);
    EXPECT_EQ(world_player(g) != nullptr, missing != T_PLAYER);
    tap(ACT_ESCAPE);
    press("Community Maps");
    EXPECT_EQ(g->state, STATE_MENUS_COMMUNITY);
    settle();
  }
}

TEST_F(PlayGame, TheWorldViewMapsScreenPointsToCells) {
  make_user_map();
  g->return_menu = STATE_MENUS_COMMUNITY;
  level_start(g);
  settle();
  // In play the header takes the top; the camera's cell sits in the middle
  // of what is left.
  world_view_begin(g, 1.0f);
  float wx, wy;
  screen_to_world(320, WORLD_HUD_H + (640 - WORLD_HUD_H) / 2.0f, &wx, &wy);
  EXPECT_FLOAT_EQ(wx, 60.5f);
  EXPECT_FLOAT_EQ(wy, 60.5f);
  screen_to_world(320 + 2 * WORLD_TILE, WORLD_HUD_H + (640 - WORLD_HUD_H) / 2.0f, &wx, &wy);
  EXPECT_FLOAT_EQ(wx, 62.5f);
  // The editor's screens have no header; the zoom scales the cells.
  g->state = STATE_EDIT_MAIN;
  world_view_begin(g, 2.0f);
  screen_to_world(320 + 2 * WORLD_TILE, 320, &wx, &wy);
  EXPECT_FLOAT_EQ(wx, 61.5f);
  EXPECT_FLOAT_EQ(wy, 60.5f);
  g->state = STATE_PLAY_INTRO;
}

TEST_F(PlayGame, MoviesPlayThroughOrAreSkipped) {
  // The main menu's Play: the intro movie, then the sector map.
  g->transition(TRANS_ZOOM, STATE_MOVIE_INTRO);
  settle();
  EXPECT_EQ(g->state, STATE_MOVIE_INTRO);
  Movie* m = static_cast<MovieState*>(current())->movie;
  ASSERT_NE(m, nullptr);
  EXPECT_FALSE(movie_ended(m));
  int frames = 0;
  while (g->state == STATE_MOVIE_INTRO && frames < 60 * 10) {
    game_headless_run(1);
    frames++;
  }
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);
  EXPECT_GT(frames, 60 * 3);  // four seconds of film

  // A key skips the outro, which goes on to the credits.
  settle();
  g->transition(TRANS_ZOOM, STATE_MOVIE_OUTRO);
  settle();
  tap(ACT_BOMB);
  EXPECT_EQ(g->state, STATE_MENUS_CREDITS);

  // A missing movie goes straight on.
  delete state_get(STATE_MOVIE_OUTRO);
  ::testing::internal::CaptureStderr();
  state_put(STATE_MOVIE_OUTRO, new MovieState(g, "no-such-movie.ivf", STATE_MENUS_CREDITS, nullptr));
  settle();
  g->transition(TRANS_ZOOM, STATE_MOVIE_OUTRO);
  settle();
  game_headless_run(1);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(g->state, STATE_MENUS_CREDITS);
}

TEST_F(PlayGame, EveryCampaignLevelCanBeWalkedToItsExit) {
  int levels = 0;
  for (int n = 1; n < PROGRESS_LEVELS; n++) {
    const LevelInfo& rec = g->progress.levels[n];
    if (!rec.in_use) continue;
    SCOPED_TRACE(rec.name);
    char file[64];
    snprintf(file, sizeof file, "%s.map", rec.name);
    start_campaign(file);
    begin_play();
    walk_whole_level();
    game_headless_run(WORLD_EXIT_STEPS);
    EXPECT_EQ(g->state, STATE_PLAY_WIN);
    EXPECT_EQ(g->progress.levels[n].plays, 1);
    EXPECT_EQ(g->progress.levels[n].best_carts, rec.total_carts);
    settle();
    levels++;
  }
  EXPECT_EQ(levels, 24);
}
