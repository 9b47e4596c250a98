// The editor as a player meets it: my maps, the drawing screen with its
// tools, limits and autosave, and nothing lost on quit.
#include <regex>
#include <set>

#include "editor/edit_icons.h"
#include "editor/edit_main.h"
#include "editor/edit_ops.h"
#include "editor/editor.h"
#include "editor_fixture.h"
#include "game/headless.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "game/tile_info.h"
#include "gfx/transition.h"
#include "menus/menus_edit.h"
#include "util/db.h"

namespace editor_test {
namespace {

struct EditorScreens : EditorGame {
  EditMain* main_screen() { return static_cast<EditMain*>(state_get(STATE_EDIT_MAIN)); }
  var rows() { return db_query(game_db(GAME_DB_USER), "select id from levels"); }
  void frames(int n) { game_headless_run(n); }
};

const int WALL = 1, FLOOR = 2, PLAYER = 32, CARTRIDGE = 48;

TEST_F(EditorScreens, NewMapDrawUndoRedoAutosaveAndQuit) {
  boot();
  click("Build");
  settle();
  ASSERT_NE(find_label(&current()->root, "You have not created any new maps yet."), nullptr);
  key(GK_ESCAPE);
  settle();
  new_map_in_editor();
  const LevelMap& m = g->level.map;
  std::string id = g->current_level_id;
  EXPECT_EQ(id.find_first_not_of("0123456789"), std::string::npos) << id;
  EXPECT_EQ(cell(2, 2), FLOOR);
  EXPECT_EQ(cell(125, 125), FLOOR);
  EXPECT_EQ(cell(1, 1), 0);
  EXPECT_EQ(m.camera[0], 64.0f);
  EXPECT_EQ(m.camera[1], 64.0f);
  EXPECT_EQ(m.current_tile, WALL);
  EXPECT_EQ(m.changes, 15376);

  // A drag draws a connected line of wall; one undo takes the stroke back,
  // a second brings it again.
  pointer(EVT_MOTION, 60, 62, 0);
  pointer(EVT_DOWN, 60, 62);
  pointer(EVT_MOTION, 66, 62, 1);
  pointer(EVT_UP, 66, 62);
  for (int x = 60; x <= 66; x++) ASSERT_EQ(cell(x, 62), WALL) << x;
  EXPECT_EQ(m.changes, 15376 + 7);
  frames(1);
  EXPECT_EQ(label("pos"), "3,2");
  // A press on a tool icon that slides onto the map draws nothing.
  Widget* icon = current()->root.find("i-draw");
  float ix, iy;
  icon->abs_pos(&ix, &iy);
  Event press(EVT_MOTION);
  press[EVW_X] = last_x = static_cast<int>(ix + icon->w / 2);
  press[EVW_Y] = last_y = static_cast<int>(iy + icon->h / 2);
  press[EVW_BUTTON] = 1;
  game_headless_event(press);
  press[EVW_TYPE] = EVT_DOWN;
  game_headless_event(press);
  pointer(EVT_MOTION, 50, 50, 1);
  pointer(EVT_UP, 50, 50);
  EXPECT_EQ(cell(50, 50), FLOOR);
  EXPECT_EQ(m.changes, 15376 + 7);
  key(GK_A + ('z' - 'a'));
  EXPECT_EQ(cell(63, 62), FLOOR);
  EXPECT_EQ(m.changes, 15376);
  key(GK_A + ('z' - 'a'));
  EXPECT_EQ(cell(63, 62), WALL);

  // The autosave writes the pending edits at the next multiple of 300
  // frames, the undo included.
  std::string before = stored_data();
  int left = EDIT_AUTOSAVE_FRAMES - main_screen()->frame_count % EDIT_AUTOSAVE_FRAMES;
  frames(left - 1);
  EXPECT_EQ(stored_data(), before);
  frames(1);
  EXPECT_EQ(stored_data(), game_pack_level(g));

  // A fill right before quitting is kept: leaving saves what is pending.
  key(GK_A + ('f' - 'a'));
  EXPECT_EQ(main_screen()->tool, EDIT_TOOL_FILL);
  click_cell(40, 40);
  EXPECT_EQ(cell(100, 100), WALL);
  stop();
  start();
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_MAIN);
  EXPECT_EQ(g->current_level_id, id);
  EXPECT_EQ(cell(100, 100), WALL);
}

TEST_F(EditorScreens, MapsMadeInOneSecondStayTwoAndOpenNewestFirst) {
  boot();
  click("Build");
  settle();
  std::set<std::string> ids;
  for (int i = 0; i < 2; i++) {
    static_cast<MenusEdit*>(current())->create_map();
    settle();
    ASSERT_EQ(g->state, STATE_EDIT_TEXT);
    ids.insert(g->current_level_id);
    edit_set_tile(10, 10, i ? WALL : 4, g, false);
    levels_save(g);
    g->transition(TRANS_NONE, STATE_MENUS_EDIT);
  }
  EXPECT_EQ(ids.size(), 2u);
  EXPECT_EQ(rows().len(), 2u);
  // A database that refuses the new row: the player is told, nothing is added.
  std::string held = g->current_level_id;
  db_query(game_db(GAME_DB_USER), "pragma query_only = on");
  static_cast<MenusEdit*>(current())->create_map();
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_ERROR);
  EXPECT_EQ(g->error_text, "The new map could not be saved to " + game_db(GAME_DB_USER).path + ".");
  EXPECT_EQ(g->current_level_id, held);
  db_query(game_db(GAME_DB_USER), "pragma query_only = off");
  EXPECT_EQ(rows().len(), 2u);
  g->transition(TRANS_NONE, STATE_MENUS_EDIT);
  // Both rows are there; picking the first opens a map in the editor menu.
  auto* maps = static_cast<MenusEdit*>(current());
  ASSERT_EQ(maps->maps_rows.len(), 2u);
  Widget* first = nullptr;
  std::vector<Widget*> all;
  current()->root.collect_focusable(&all);
  for (Widget* w : all)
    if (w->click_code == MAPS_ACT_ROW) first = w;
  click(first);
  settle();
  EXPECT_EQ(g->state, STATE_EDIT_MENU);
  EXPECT_EQ(g->return_menu, STATE_MENUS_EDIT);
  EXPECT_EQ(g->current_level_id, maps->maps_rows[0]["id"].str());

  // Thousands of maps, and rows without data left by earlier versions, which are not listed: newest first,
  // the keys (two a step) and the wheel reach every map in view with its own title, on one line even when
  // it holds line breaks (no row is taller than the others), only the rows in view are built, and a click
  // opens the map its row shows.
  std::vector<std::string> order = {maps->maps_rows[0]["id"].str(), maps->maps_rows[1]["id"].str()};
  db_query(game_db(GAME_DB_USER), "with recursive k(i) as (select 0 union all select i + 1 from k where i < 2999) "
           "insert into levels select 'm' || i, case i % 9 when 0 then null when 1 then '' else "
           "(select max(data) from levels) end, i, 'Map' || case i % 4 when 0 then ' ' when 1 then char(10) "
           "when 2 then char(13) else char(13, 10) end || i, '', '' from k");
  for (int i = 2999; i >= 0; i--)
    if (i % 9 > 1) order.push_back("m" + std::to_string(i));
  g->transition(TRANS_NONE, STATE_MENUS_EDIT);
  maps = static_cast<MenusEdit*>(current());
  ASSERT_EQ(maps->maps_rows.len(), order.size());
  select(find_by_code(&current()->root, MAPS_ACT_ROW));
  auto shown = [&](Widget* w, size_t k) {
    float wy = 0, by = 0, x;
    Widget* sb = w->parent->parent;
    w->abs_pos(&x, &wy), sb->abs_pos(&x, &by);
    return w->click_code == MAPS_ACT_ROW + static_cast<int>(k) && maps->maps_rows[k]["id"].str() == order[k] &&
           static_cast<Container*>(w)->children[0]->get_value_s() ==
               std::regex_replace(maps->maps_rows[k]["title"].str(), std::regex("\r\n|\r|\n"), " ") &&
           w->nat_h == static_cast<RowList*>(w->parent)->row_h() &&
           wy + w->h > by + sb->cy && wy < by + sb->cy + sb->ch;
  };
  for (size_t k = 0; k < order.size(); k += 2, key(GK_DOWN), key(GK_DOWN), frames(1))
    ASSERT_TRUE(shown(focused(), k)) << k;
  auto* list = static_cast<RowList*>(focused()->parent);
  auto* sb = static_cast<ScrollBox*>(list->parent);
  for (Event wheel(EVT_WHEEL); sb->scroll_y > 0; game_headless_event(wheel), frames(1)) {
    ASSERT_LT(list->children.size(), 30u);
    for (int k = static_cast<int>(sb->scroll_y / list->row_h()); k * list->row_h() < sb->scroll_y + sb->ch; k++)
      ASSERT_TRUE(shown(find_by_code(list, MAPS_ACT_ROW + k), k)) << k;
    menus_test::centre(sb, &wheel[EVW_X], &wheel[EVW_Y]);
    wheel[EVW_WHEEL] = -1;
  }
  click(find_by_code(list, MAPS_ACT_ROW + 4));
  settle();
  EXPECT_EQ(g->state, STATE_EDIT_MENU);
  EXPECT_EQ(g->current_level_id, order[4]);
}

TEST_F(EditorScreens, LimitsAreCheckedWhereTheyMatter) {
  boot();
  new_map_in_editor();
  for (int i = 0; i < 48; i++) edit_set_tile(10 + i, 20, CARTRIDGE, g, false);
  frames(1);
  EXPECT_EQ(label("hint"), "48 / 48 items used.");
  EXPECT_EQ(g->level.map.over_limit, 0);
  // The arrows scroll the map; they never walk the focus into the tool bar,
  // where a hint would hide the count and Return would press an icon.
  float cam_x = g->level.map.camera[0];
  key(GK_RIGHT);
  key(GK_RETURN);
  frames(1);
  EXPECT_EQ(g->level.map.camera[0], cam_x + EDIT_SCROLL_STEP);
  EXPECT_EQ(focused(), nullptr);
  EXPECT_EQ(main_screen()->tool, EDIT_TOOL_DRAW);
  EXPECT_EQ(label("hint"), "48 / 48 items used.");
  edit_set_tile(10, 21, CARTRIDGE, g, false);
  frames(1);
  EXPECT_EQ(label("hint"), "Too many items!  +1");
  EXPECT_EQ(g->level.map.over_limit, 1);
  // An icon names itself while the pointer is on it; once the pointer is
  // back on the map the alert shows again, though the click left the focus
  // on the icon.
  click(current()->root.find("i-zoomin"));
  frames(1);
  EXPECT_EQ(label("hint"), "Zoom In");
  pointer(EVT_MOTION, 64, 64, 0);
  frames(1);
  EXPECT_EQ(label("hint"), "Too many items!  +1");
  edit_set_tile(10, 22, PLAYER, g, false);
  edit_set_tile(11, 22, PLAYER, g, false);
  frames(1);
  EXPECT_EQ(label("hint"), "Too many players!  +1");

  // An edit in the same frame as the play-test counts: the player makes the
  // 49th item.
  edit_set_tile(11, 22, FLOOR, g, false);
  edit_set_tile(10, 21, FLOOR, g, false);
  edit_set_tile(10, 23, CARTRIDGE, g, false);
  sounds();
  // A release of Space pressed on another screen starts nothing.
  Event release(EVT_KEYUP);
  release[EVW_KEY] = GK_SPACE;
  game_headless_event(release);
  EXPECT_EQ(sounds(), std::vector<std::string>{});
  key(GK_SPACE);
  EXPECT_EQ(g->state, STATE_EDIT_MAIN);
  EXPECT_EQ(sounds(), std::vector<std::string>{"lock-locked"});
  // Back within the limits in the same frame: the play-test starts, with the
  // map saved first.
  edit_set_tile(10, 23, FLOOR, g, false);
  edit_set_tile(10, 20, FLOOR, g, false);
  g->level.map.over_limit = 0;  // what the recount will find
  std::string packed = game_pack_level(g);
  key(GK_SPACE);
  EXPECT_EQ(g->state, STATE_PLAY_INTRO);
  EXPECT_EQ(g->return_menu, STATE_EDIT_MAIN);
  EXPECT_EQ(stored_data(), packed);
  // The level laid out for play has lost its objects: it is never saved.
  EXPECT_FALSE(edit_save(g));
  EXPECT_EQ(stored_data(), packed);
}

TEST_F(EditorScreens, PickerHelpAndAFailedReload) {
  boot();
  new_map_in_editor();
  EditMain* s = main_screen();
  // The picker names the hovered tile and sets the clicked one.
  key(GK_A + ('s' - 'a'));
  ASSERT_EQ(s->tool, EDIT_TOOL_PICKER);
  ASSERT_NE(current()->root.find("picker"), nullptr);
  frames(1);
  EXPECT_EQ(label("hint"), "wall");
  Widget* player = find_by_code(current()->root.find("picker"), PICK_CLICK + PLAYER);
  ASSERT_NE(player, nullptr);
  click(player);
  EXPECT_EQ(g->level.map.current_tile, PLAYER);
  EXPECT_EQ(s->tool, EDIT_TOOL_DRAW);
  EXPECT_EQ(current()->root.find("picker"), nullptr);
  key(GK_A + ('s' - 'a'));
  key(GK_A + ('q' - 'a'));
  EXPECT_EQ(g->level.map.current_tile, PLAYER);
  EXPECT_EQ(s->tool, EDIT_TOOL_DRAW);

  // The help goes back where it came from, and only to an editor screen
  // that opens it.
  Event slash(EVT_KEYDOWN);
  slash[EVW_SYM] = '/';
  game_headless_event(slash);
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_HELP);
  EXPECT_EQ(g->help_return_state, STATE_EDIT_MAIN);
  // The keys and both buttons fit the view; the buttons keep their width.
  Widget* done = menus_test::find_button(&current()->root, "Done");
  ASSERT_NE(done, nullptr);
  float dx, dy;
  done->abs_pos(&dx, &dy);
  EXPECT_LE(dy + done->h, 640);
  EXPECT_EQ(done->w, 320);
  g->help_return_state = STATE_PLAY;
  click("Done");
  settle();
  EXPECT_EQ(g->state, STATE_EDIT_MENU);

  // A map that no longer loads sends the player back to the list, and
  // nothing is written over it.
  db_query(game_db(GAME_DB_USER), "delete from levels");
  click("Edit Map");
  settle();
  frames(1);
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_EDIT);
  EXPECT_EQ(rows().len(), 0u);
}

}  // namespace
}  // namespace editor_test
