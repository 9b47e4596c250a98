// Editor test fixture: boots the headless game into a new map and clicks and reads its cells.
#include "editor_fixture.h"

#include <cmath>

#include "editor/editor.h"
#include "game/headless.h"
#include "game/levels_db.h"
#include "game/world_view.h"
#include "util/db.h"

namespace editor_test {

void EditorGame::SetUp() {
  MenusGame::SetUp();
  game_hooks.register_editor_states = register_editor_states;
  game_hooks.edit_map_unsaved = edit_mark_dirty;
}

void EditorGame::new_map_in_editor() {
  click("Build");
  settle();
  ASSERT_EQ(g->state, STATE_MENUS_EDIT);
  click("Create New Map");
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_TEXT);
  click("Done");
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_MENU);
  click("Edit Map");
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_MAIN);
}

void EditorGame::pointer(int type, int x, int y, int button) {
  world_view_begin(g, g->level.map.zoom);
  const WorldView& v = g_world_view;
  Event e(type);
  e[EVW_X] = static_cast<int>(std::lround(v.ox + (x + 0.5f) * v.scale));
  e[EVW_Y] = static_cast<int>(std::lround(v.oy + (y + 0.5f) * v.scale));
  e[EVW_BUTTON] = button;
  if (type == EVT_MOTION) {
    e[EVW_DX] = e[EVW_X] - last_x;
    e[EVW_DY] = e[EVW_Y] - last_y;
  }
  last_x = e[EVW_X];
  last_y = e[EVW_Y];
  game_headless_event(e);
}

void EditorGame::click_cell(int x, int y, int button) {
  pointer(EVT_MOTION, x, y, 0);
  pointer(EVT_DOWN, x, y, button);
  pointer(EVT_UP, x, y, button);
}

int EditorGame::cell(int x, int y) { return g->level.map.grid[y * MAP_W + x]; }

std::string EditorGame::stored_data() {
  var rows = db_query(game_db(GAME_DB_USER), "select data from levels where id = ?", var(g->current_level_id));
  return rows.len() ? rows[0]["data"].str() : std::string();
}

std::string EditorGame::label(const char* name) {
  Widget* w = current()->root.find(name);
  return w ? w->get_value_s() : std::string("<none>");
}

}  // namespace editor_test
