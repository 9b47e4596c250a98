// The editor in a real window, as a player uses it: Build, Create New Map,
// a wall drawn with the mouse, undo and redo, a play-test won, Ctrl+Q, and
// after a restart the map is in My maps and opens again.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>
#include <string>

#include "editor/edit_canvas.h"
#include "driver/driver.h"
#include "editor/edit_icons.h"
#include "editor/edit_main.h"
#include "editor/edit_ops.h"
#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/settings.h"
#include "game/state.h"
#include "game/world_view.h"
#include "gfx/gfx.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "menus/menus_edit.h"
#include "menus/window_input.h"
#include "util/db.h"

namespace {

const int WALL = 1, FLOOR = 2, PLAYER = 32, EXIT = 40;

struct EditorWindow : WindowInput {
  int last_x = 0, last_y = 0;

  void install_hooks() override {
    game_hooks.register_editor_states = register_editor_states;
    game_hooks.edit_map_unsaved = edit_mark_dirty;
    game_hooks.register_menu_states = register_menu_states;
  }
  State* current() { return state_get(g->state); }
  // A pointer event at a point of the view, sent in window pixels as the
  // driver makes it.
  void pointer(int type, float vx, float vy, int button) {
    Event e(type);
    e[EVW_X] = static_cast<int>(std::lround((vx - g_view.x0) * g_view.target_w / g_view.w));
    e[EVW_Y] = static_cast<int>(std::lround((vy - g_view.y0) * g_view.target_h / g_view.h));
    if (type == EVT_MOTION) {
      e[EVW_DX] = e[EVW_X] - last_x;
      e[EVW_DY] = e[EVW_Y] - last_y;
    }
    e[EVW_BUTTON] = button;
    last_x = e[EVW_X];
    last_y = e[EVW_Y];
    game_send_event(e);
  }
  void click(Widget* w) {
    ASSERT_NE(w, nullptr);
    float ax, ay;
    w->abs_pos(&ax, &ay);
    pointer(EVT_MOTION, ax + w->w / 2, ay + w->h / 2, 0);
    pointer(EVT_DOWN, ax + w->w / 2, ay + w->h / 2, 1);
    pointer(EVT_UP, ax + w->w / 2, ay + w->h / 2, 1);
    frames(20);
  }
  void click(const std::string& text) {
    Widget* b = find_button(&current()->root, text);
    ASSERT_NE(b, nullptr) << text;
    click(b);
  }
  // The centre of a map cell in view units, at the editor's camera and zoom.
  void cell_centre(int x, int y, float* vx, float* vy) {
    world_view_begin(g, g->level.map.zoom);
    *vx = g_world_view.ox + (x + 0.5f) * g_world_view.scale;
    *vy = g_world_view.oy + (y + 0.5f) * g_world_view.scale;
    gfx_project();
  }
  void drag(int x0, int y0, int x1, int y1) {
    float ax, ay, bx, by;
    cell_centre(x0, y0, &ax, &ay);
    cell_centre(x1, y1, &bx, &by);
    pointer(EVT_MOTION, ax, ay, 0);
    pointer(EVT_DOWN, ax, ay, 1);
    pointer(EVT_MOTION, bx, by, 1);
    pointer(EVT_UP, bx, by, 1);
    frames(1);
  }
  void key(int type, int game_key, int sym = 0, int mod = 0) {
    Event e(type);
    e[EVW_KEY] = game_key;
    e[EVW_SYM] = sym;
    e[EVW_MOD] = mod;
    game_send_event(e);
  }
  void tap(int game_key, int sym = 0) {
    key(EVT_KEYDOWN, game_key, sym);
    key(EVT_KEYUP, game_key, sym);
  }
  // A key pressed and released as the keyboard sends it: through SDL's
  // queue and the driver's translation.
  void type_key(int sym, int unicode = 0) { WindowInput::tap(sym, unicode); }
  void type_text(const std::string& text) {
    for (char c : text) type_key(c >= 'a' && c <= 'z' ? SDLK_a + (c - 'a') : c, static_cast<unsigned char>(c));
  }
  void action(int type, int act) {
    int sym = g->settings.keys[act];
    key(type, event_game_key(sym), sym);
  }
  void pick(int tile) {
    tap(GK_A + ('s' - 'a'));
    frames(2);
    click(find_by_code(current()->root.find("picker"), PICK_CLICK + tile));
    ASSERT_EQ(g->level.map.current_tile, tile);
  }
  int cell(int x, int y) { return g->level.map.grid[y * MAP_W + x]; }
  Picture shot() {
    g->paint_state();
    return grab();
  }
};

TEST_F(EditorWindow, MakeAMapPlayTestItAndFindItAgain) {
  frames(20);
  ASSERT_EQ(g->state, STATE_MENUS_MAIN);
  click("Build");
  ASSERT_EQ(g->state, STATE_MENUS_EDIT);
  click("Create New Map");
  ASSERT_EQ(g->state, STATE_EDIT_TEXT);
  // The title typed with a slip mended by the arrows and Home.
  type_text("Wls");
  for (int sym : {SDLK_LEFT, SDLK_LEFT}) type_key(sym);
  type_text("al");
  for (int sym : {SDLK_RIGHT, SDLK_HOME}) type_key(sym);
  type_text("A ");
  type_key(SDLK_END);
  type_text("!");
  click("Done");
  click("Edit Map");
  ASSERT_EQ(g->state, STATE_EDIT_MAIN);
  std::string id = g->current_level_id;

  // A wall drawn with the mouse shows on the canvas; undo takes it away,
  // redo brings it back.
  Picture before = shot();
  drag(60, 60, 63, 60);
  for (int x = 60; x <= 63; x++) ASSERT_EQ(cell(x, 60), WALL);
  Picture drawn = shot();
  float vx, vy;
  cell_centre(61, 60, &vx, &vy);
  float side = g_world_view.scale;
  EXPECT_GT(changed(before, drawn, vx - side / 2, vy - side / 2, side, side), 50);
  tap(GK_A + ('z' - 'a'));
  EXPECT_EQ(cell(61, 60), FLOOR);
  tap(GK_A + ('z' - 'a'));
  EXPECT_EQ(cell(61, 60), WALL);

  // A player beside the exit, then the play-test: walking onto the exit
  // wins, and the map counts as proven.
  pick(PLAYER);
  drag(64, 66, 64, 66);
  pick(EXIT);
  drag(65, 66, 65, 66);
  ASSERT_EQ(cell(64, 66), PLAYER);
  ASSERT_EQ(cell(65, 66), EXIT);
  // Painting shows the map as play would start it (entities spawned) and
  // changes nothing of it.
  std::vector<unsigned char> level(sizeof(Level));
  memcpy(level.data(), &g->level, sizeof(Level));
  shot();
  EXPECT_EQ(memcmp(level.data(), &g->level, sizeof(Level)), 0);
  tap(GK_SPACE);
  frames(20);
  ASSERT_EQ(g->state, STATE_PLAY_INTRO);
  action(EVT_KEYDOWN, ACT_UP);
  action(EVT_KEYUP, ACT_UP);
  frames(20);
  ASSERT_EQ(g->state, STATE_PLAY);
  action(EVT_KEYDOWN, ACT_RIGHT);
  for (int i = 0; i < 200 && g->state == STATE_PLAY; i++) frames(1);
  action(EVT_KEYUP, ACT_RIGHT);
  frames(20);
  ASSERT_EQ(g->state, STATE_PLAY_WIN);
  EXPECT_EQ(g->level.map.win_changes, g->level.map.changes);

  // Ctrl+Q, then a new run: the map is listed and opens with its wall.
  key(EVT_KEYDOWN, GK_A + ('q' - 'a'), SDLK_q, KMOD_LCTRL);
  EXPECT_EQ(g->quit, 1);
  TearDown();
  SetUp();
  frames(20);
  g->transition(TRANS_NONE, STATE_MENUS_MAIN);
  frames(2);
  click("Build");
  ASSERT_EQ(g->state, STATE_MENUS_EDIT);
  auto* maps = static_cast<MenusEdit*>(current());
  ASSERT_EQ(maps->maps_rows.len(), 1u);
  click(find_by_code(&current()->root, MAPS_ACT_ROW));
  ASSERT_EQ(g->state, STATE_EDIT_MENU);
  EXPECT_EQ(g->current_level_id, id);
  EXPECT_STREQ(g->level.map.text[LEVEL_TEXT_TITLE], "A Walls!");
  click("Edit Map");
  ASSERT_EQ(g->state, STATE_EDIT_MAIN);
  EXPECT_EQ(cell(61, 60), WALL);
  EXPECT_EQ(cell(64, 66), PLAYER);
  EXPECT_EQ(g->level.map.win_changes, g->level.map.changes);
}

// The canvas draws from what it kept only while that is what a fresh paint
// shows: after any edit, undo, scroll or zoom the picture equals one painted
// with nothing kept. The change check tells every change of the picture
// (map, cursor, camera, zoom) and nothing else.
TEST_F(EditorWindow, TheCanvasAlwaysShowsTheMapAsItIsNow) {
  frames(20);
  click("Build");
  click("Create New Map");
  click("Done");
  click("Edit Map");
  ASSERT_EQ(g->state, STATE_EDIT_MAIN);
  auto* edit = static_cast<EditMain*>(current());
  LevelMap& m = g->level.map;
  auto sig = [&] {
    gfx_sig_begin();
    g->paint_state();
    return gfx_sig_end();
  };
  uint64_t last = sig();
  auto check = [&](const char* what) {
    uint64_t now = sig();
    EXPECT_NE(now, last) << what;
    EXPECT_EQ(sig(), now) << what;
    last = now;
    Picture kept = shot();
    edit_canvas_forget();
    Picture fresh = shot();
    EXPECT_EQ(changed(kept, fresh, g_view.x0, g_view.y0, g_view.w, g_view.h), 0) << what;
    // Rock or map covers the whole window: no edge of the canvas is left
    // black (the bars cover the top and bottom 60 pixels).
    int w = kept.w, h = kept.h, black[4] = {0, 0, 0, 0};
    for (int y = 60; y < h - 60; y++) {
      black[0] += kept.at(0, y) == 0;
      black[1] += kept.at(w - 1, y) == 0;
    }
    for (int x = 0; x < w; x++) {
      black[2] += kept.at(x, 60) == 0;
      black[3] += kept.at(x, h - 61) == 0;
    }
    for (int side = 0; side < 4; side++) EXPECT_LT(black[side], (side < 2 ? h - 120 : w) / 4) << what << side;
  };
  const int ARROW_RIGHT = 42, LIGHT = 38, CARTRIDGE = 48, GUARD = 33;
  edit_set_tile(60, 60, WALL, g, true);
  check("a wall");
  edit_set_tile(58, 62, ARROW_RIGHT, g, false);
  edit_set_tile(66, 62, LIGHT, g, false);
  edit_set_tile(62, 58, CARTRIDGE, g, false);
  edit_set_tile(61, 66, GUARD, g, false);
  check("an arrow, a light, a pick-up and a guard");
  edit_flood_fill(63, 63, g, WALL);
  check("a fill");
  edit_undo_swap(g);
  check("undone");
  edit->cursor_x = 62;
  edit->cursor_y = 61;
  check("the cursor");
  for (int i = 0; i < 6; i++) {
    m.camera[0] += EDIT_SCROLL_STEP;
    check("scrolled right");
  }
  m.zoom = EDIT_ZOOM_MIN;
  check("zoomed out");
  m.camera[0] = -40;
  m.camera[1] = 150;
  check("outside the map");
  m.zoom = 1;
  m.camera[0] = m.camera[1] = 62;
  check("back at the edits");
}

}  // namespace
