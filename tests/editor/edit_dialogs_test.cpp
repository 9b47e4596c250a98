// The editor menu and its dialogs: the title form, deletion, and map files
// going out and coming back as new maps, with every refused case.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "driver/audio.h"
#include "driver/driver.h"
#include "editor/edit_files.h"
#include "editor/edit_help.h"
#include "editor/edit_share.h"
#include "editor/edit_menu.h"
#include "editor/edit_ops.h"
#include "editor/edit_text.h"
#include "editor/editor.h"
#include "editor_fixture.h"
#include "game/headless.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "game/paths.h"
#include "gfx/transition.h"
#include "support/write_faults.h"
#include "menus/menus_settings.h"
#include "online/web_config.h"
#include "support/text_field_rule.h"
#include "util/db.h"

namespace editor_test {
namespace {

struct EditDialogs : EditorGame {
  void SetUp() override {
    EditorGame::SetUp();
    boot();
    new_map_in_editor();
    key(GK_ESCAPE);
    settle();
    ASSERT_EQ(g->state, STATE_EDIT_MENU);
  }
  size_t map_rows() { return db_query(game_db(GAME_DB_USER), "select id from levels").len(); }
  std::string slot(int i) { return g->level.map.text[i]; }
  void set_path(const std::string& p) { edit_text_to_slot(g->level.map.text[LEVEL_TEXT_PATH], p); }
  // The page's field, emptied, walked through the text-field rule with
  // keys sent through the headless entry; what was typed reaches the slot.
  void walk_field(int slot_index) {
    Widget* field = current()->root.find("text");
    ASSERT_NE(field, nullptr);
    field->set_value_s("");
    FieldUnderTest f;
    f.key = [](int k, int ch, int mod) {
      Event down(EVT_KEYDOWN);
      down[EVW_KEY] = k;
      down[EVW_CHAR] = ch;
      down[EVW_MOD] = mod;
      game_headless_event(down);
      Event up = down;
      up[EVW_TYPE] = EVT_KEYUP;
      up[EVW_CHAR] = 0;
      game_headless_event(up);
    };
    f.value = [field] { return field->get_value_s(); };
    f.focused = [this, field] { return focused() == field; };
    walk_text_field_rule(f);
    game_headless_run(1);
    EXPECT_EQ(slot(slot_index), "dXYzbe");
    // Up and Down take the focus out of the field.
    for (int k : {GK_UP, GK_DOWN}) {
      current()->root.set_focus(field);
      key(k);
      EXPECT_NE(focused(), field) << k;
    }
    current()->root.set_focus(field);
  }
  static std::string read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  static void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // The player's map database takes no writes while refused, as a locked,
  // read-only or full one.
  void refuse_writes(bool on) {
    db_query(game_db(GAME_DB_USER), on ? "pragma query_only = on" : "pragma query_only = off");
  }
};

TEST_F(EditDialogs, MenuEntriesTitleFormAndDeletion) {
  std::vector<Widget*> buttons;
  current()->root.collect_focusable(&buttons);
  EXPECT_EQ(find_label(&current()->root, "Export"), nullptr);
  g->settings.debug = 1;
  key(GK_A + ('d' - 'a'));  // any key; the menu is entered again below
  click("Edit Map");
  settle();
  key(GK_ESCAPE);
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_MENU);
  EXPECT_NE(find_label(&current()->root, "Export"), nullptr);

  // The title keeps 255 bytes of whole characters; the music plays at once.
  click("Title & Options");
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_TEXT);
  EXPECT_EQ(focused(), current()->root.find("text"));  // typing goes to the title at once
  walk_field(LEVEL_TEXT_TITLE);
  click("Intro");
  EXPECT_EQ(focused(), current()->root.find("text"));
  walk_field(LEVEL_TEXT_INTRO);
  click("Title");
  EXPECT_EQ(slot(LEVEL_TEXT_TITLE), "dXYzbe");
  std::string title;
  for (int i = 0; i < 150; i++) title += "\xc3\xa9";  // 300 bytes of two-byte letters
  current()->root.find("text")->set_value_s(title);
  game_headless_run(1);
  EXPECT_EQ(slot(LEVEL_TEXT_TITLE), title.substr(0, 254));
  click("Music");
  GridPicker* music = dynamic_cast<GridPicker*>(current()->root.find("music"));
  ASSERT_NE(music, nullptr);
  EXPECT_EQ(music->get_value_i(), 0);
  music->set_value_i(3);
  game_headless_run(1);
  EXPECT_EQ(slot(LEVEL_TEXT_MUSIC), "mus-play3");
  int track = music_find("mus-play3");
  ASSERT_GT(track, 0);
  EXPECT_EQ(g_audio.tracks[track].target, 1.0f);
  click("Done");
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_MENU);
  var row = db_query(game_db(GAME_DB_USER), "select title from levels where id = ?", var(g->current_level_id));
  EXPECT_EQ(row[0]["title"].str(), title.substr(0, 254));
  // The drawing screen's status texts are set before its first picture,
  // which a transition captures before any step runs.
  g->transition(TRANS_NONE, STATE_EDIT_MAIN);
  auto status = [&] {
    std::vector<std::string> texts;
    for (const char* name : {"title", "hint", "pos"}) texts.push_back(current()->root.find(name)->get_value_s());
    return texts;
  };
  std::vector<std::string> at_entry = status();
  game_headless_run(1);
  EXPECT_EQ(status(), at_entry);
  g->transition(TRANS_NONE, STATE_EDIT_MENU);
  // Shown cut to one line, the long title leaves the column inside the view.
  buttons.clear();
  current()->root.measure();
  current()->root.collect_focusable(&buttons);
  for (Widget* w : buttons) {
    float x, y;
    w->abs_pos(&x, &y);
    EXPECT_GE(x, 0);
    EXPECT_LE(x + w->w, 640);
  }

  // Cancel keeps the map, Delete removes it and ends on the list.
  click("Delete");
  settle();
  key(GK_ESCAPE);
  EXPECT_EQ(g->state, STATE_EDIT_DELETE);
  click("Cancel");
  settle();
  EXPECT_EQ(g->state, STATE_EDIT_MENU);
  EXPECT_EQ(map_rows(), 1u);
  // A delete the database refuses is said, and the player is back in the
  // editor menu with the map.
  refuse_writes(true);
  click("Delete");
  settle();
  click("Delete");
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_ERROR);
  EXPECT_EQ(g->error_text, "The map could not be deleted from " + game_db(GAME_DB_USER).path + ".");
  EXPECT_EQ(map_rows(), 1u);
  refuse_writes(false);
  click("Continue");
  settle();
  EXPECT_EQ(g->state, STATE_EDIT_MENU);
  click("Delete");
  settle();
  click("Delete");
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_EDIT);
  EXPECT_EQ(map_rows(), 0u);
}

// Every way out of an editor screen that saves the map first, when the save
// is refused: the error screen says the map could not be saved and where,
// Continue goes back to that screen, and the edit stays in the map, which
// is saved at the next chance.
TEST_F(EditDialogs, ARefusedMapSaveIsShownAndTheEditKept) {
  const std::string unsaved = "The map could not be saved to " + game_db(GAME_DB_USER).path + ".";
  struct Way {
    int from;
    const char* what;  // a button, or "" for the Escape key
    std::string text;
  };
  const Way ways[] = {
      {STATE_EDIT_MAIN, "", unsaved},                  {STATE_EDIT_MENU, "Title & Options", unsaved},
      {STATE_EDIT_MENU, "Editor Help", unsaved},       {STATE_EDIT_MENU, "Play / Test", unsaved},
      {STATE_EDIT_MENU, "Save & Quit", unsaved},       {STATE_EDIT_MENU, "", unsaved},
      {STATE_EDIT_MENU, "Main Menu", unsaved},         {STATE_EDIT_MENU, "Community Maps", unsaved},
      {STATE_EDIT_TEXT, "Done", unsaved},              {STATE_EDIT_SHARE, "Share", "Error sharing map."},
  };
  int tile = 3;
  for (const Way& w : ways) {
    std::string name = std::to_string(w.from) + " " + w.what;
    g->transition(TRANS_NONE, w.from);
    settle();
    std::string before = stored_data();
    edit_set_tile(30, 30, tile, g, false);
    edit_mark_dirty();
    g->level.map.win_changes = g->level.map.changes;  // proven: the share dialog offers "Share"
    refuse_writes(true);
    if (*w.what)
      click(w.what);
    else
      key(GK_ESCAPE);
    settle();
    EXPECT_EQ(g->state, STATE_MENUS_ERROR) << name;
    EXPECT_EQ(g->error_text, w.text) << name;
    EXPECT_EQ(g->error_return_state, w.from) << name;
    EXPECT_EQ(stored_data(), before) << name;
    EXPECT_TRUE(edit_dirty()) << name;
    refuse_writes(false);
    click("Continue");
    settle();
    EXPECT_EQ(g->state, w.from) << name;
    EXPECT_EQ(cell(30, 30), tile) << name;
    tile = tile == 3 ? 4 : 3;
  }
  // Quitting is the next chance: the edit reaches the database.
  std::string id = g->current_level_id;
  std::string packed = game_pack_level(g);
  stop();
  start();
  settle();
  EXPECT_EQ(g->current_level_id, id);
  EXPECT_EQ(stored_data(), packed);
}

TEST_F(EditDialogs, ExportAndImportRoundTrip) {
  edit_text_to_slot(g->level.map.text[LEVEL_TEXT_TITLE], "Round trip");
  g->level.map.grid[20 * MAP_W + 20] = 1;
  std::string id = g->current_level_id;
  std::string file = tmp.path() + "/out.map";
  set_path(file);
  ASSERT_EQ(edit_export_file(g, ""), EXPORT_OK);
  std::string bytes = read(file);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes, game_pack_level(g));
  // Exporting again over this map's own export is allowed.
  EXPECT_EQ(edit_export_file(g, file), EXPORT_OK);

  // Two imports right after each other: two new maps, same title and grid.
  for (int i = 0; i < 2; i++) {
    ASSERT_EQ(edit_import_file(g, file), IMPORT_OK);
    EXPECT_NE(g->current_level_id, id);
    EXPECT_EQ(slot(LEVEL_TEXT_TITLE), "Round trip");
    EXPECT_EQ(slot(LEVEL_TEXT_PATH), file);
    EXPECT_EQ(cell(20, 20), 1);
  }
  EXPECT_EQ(map_rows(), 3u);
}

TEST_F(EditDialogs, RefusedExportsAndImports) {
  std::string other = tmp.path() + "/other.map";
  write(other, "precious");
  // A write that fails (the disk is full) is reported and leaves this map's
  // earlier export whole; a row that cannot be saved fails the export too,
  // with the file written and its path kept in the map for the next save.
  std::string mine = tmp.path() + "/mine.map";
  set_path(mine);
  ASSERT_EQ(edit_export_file(g, ""), EXPORT_OK);
  std::string old = read(mine);
  g->level.map.grid[40 * MAP_W + 40] ^= 1;
  {
    FileSizeCap full(old.size() / 2);
    EXPECT_EQ(edit_export_file(g, mine), EXPORT_FAILED);
  }
  EXPECT_EQ(read(mine), old);
  // What stands beside the export, a file of the player's or what a crash
  // of an earlier export left, does not stop the next one; the player's file
  // stays as it is, the leftover goes.
  write(mine + ".tmp", "mine too");
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  std::string crashed = tmp.path() + "/.mine.map." + std::to_string(gone) + ".00000000deadbeef.twpart";
  write(crashed, "half");
  EXPECT_EQ(edit_export_file(g, mine), EXPORT_OK);
  EXPECT_EQ(read(mine + ".tmp"), "mine too");
  EXPECT_EQ(access(crashed.c_str(), F_OK), -1);
  EXPECT_EQ(read(mine), game_pack_level(g));
  EXPECT_EQ(slot(LEVEL_TEXT_PATH), mine);
  refuse_writes(true);
  EXPECT_EQ(edit_export_file(g, mine), EXPORT_FAILED);
  refuse_writes(false);
  EXPECT_EQ(read(mine), game_pack_level(g));
  EXPECT_TRUE(edit_dirty());
  set_path("");
  set_path(tmp.path() + "/notes.txt");
  EXPECT_EQ(edit_export_file(g, ""), EXPORT_NOT_MAP);
  // This map's own export replaced by a link is not written through.
  std::string link = tmp.path() + "/link.map";
  ASSERT_EQ(symlink(other.c_str(), link.c_str()), 0);
  set_path(link);
  EXPECT_EQ(edit_export_file(g, link), EXPORT_OTHER_FILE);
  EXPECT_EQ(read(other), "precious");
  set_path(std::string(TW_DATA_DIR) + "/level01.map");
  EXPECT_EQ(edit_export_file(g, ""), EXPORT_GAME_FILE);
  set_path(other);
  EXPECT_EQ(edit_export_file(g, ""), EXPORT_OTHER_FILE);
  EXPECT_EQ(read(other), "precious");
  // A refused path does not become the map's own: a later export with it
  // is refused again.
  EXPECT_EQ(slot(LEVEL_TEXT_PATH), "");
  set_path(tmp.path() + "/missing-folder/x.map");
  EXPECT_EQ(edit_export_file(g, ""), EXPORT_NOT_MAP);
  // The dialog shows the error screen's text on a refusal.
  edit_export_map(g, "");
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_ERROR);
  EXPECT_STREQ(g->error_text, "Error exporting map.");
  EXPECT_EQ(g->error_return_state, STATE_EDIT_MENU);

  // A path typed but never exported does not become the map's own, not even
  // when the game is quit with the dialog open.
  g->settings.debug = 1;
  g->transition(TRANS_NONE, STATE_EDIT_EXPORT);
  settle();
  current()->root.find("text")->set_value_s(other);
  game_headless_run(1);
  stop();
  start();
  settle();
  ASSERT_EQ(g->state, STATE_EDIT_EXPORT);
  EXPECT_EQ(current()->root.find("text")->get_value_s(), edit_default_path());
  current()->root.find("text")->set_value_s(other);
  click("Export");
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_ERROR);
  EXPECT_EQ(read(other), "precious");

  std::string id = g->current_level_id;
  EXPECT_EQ(edit_import_file(g, tmp.path() + "/none.map"), IMPORT_UNREADABLE);
  EXPECT_EQ(edit_import_file(g, other), IMPORT_NOT_MAP);
  write(tmp.path() + "/huge.map", std::string(PACKED_MAP_MAX + 1, 'x'));
  EXPECT_EQ(edit_import_file(g, tmp.path() + "/huge.map"), IMPORT_UNREADABLE);
  write(tmp.path() + "/largest.map", std::string(PACKED_MAP_MAX, 'x'));  // read, then found no map
  EXPECT_EQ(edit_import_file(g, tmp.path() + "/largest.map"), IMPORT_NOT_MAP);
  std::string fifo = tmp.path() + "/pipe.map";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(edit_import_file(g, fifo), IMPORT_UNREADABLE);
  // The database refuses the new map: nothing of it stays in the list.
  db_query(game_db(GAME_DB_USER),
           "create temp trigger full before insert on levels begin select raise(fail, 'disk is full'); end");
  EXPECT_EQ(edit_import_file(g, mine), IMPORT_NO_ROW);
  db_query(game_db(GAME_DB_USER), "drop trigger full");
  EXPECT_FALSE(edit_dirty());
  EXPECT_EQ(g->current_level_id, id);
  EXPECT_EQ(map_rows(), 1u);
  edit_import_map(g, other);
  settle();
  EXPECT_STREQ(g->error_text, "Error importing map.");
  EXPECT_EQ(g->error_return_state, STATE_MENUS_EDIT);
}

// The long texts of the help and the share rules lie on the dialog ground
// of a menu box, and that frame with everything on it lies inside the view.
TEST_F(EditDialogs, LongTextsLieOnTheDialogGroundInsideTheView) {
  g->level.map.changes = g->level.map.win_changes = g->level.map.share_changes = 2;  // every row shown
  for (auto [id, text] : {std::pair<int, const char*>{STATE_EDIT_HELP, EDIT_HELP_TEXT}, {STATE_EDIT_SHARE, EDIT_SHARE_RULES}}) {
    g->transition(TRANS_NONE, id);
    settle();
    current()->root.measure();
    Widget* ground = find_label(&current()->root, text);
    while (ground && !dynamic_cast<MenuBox*>(ground)) ground = ground->parent;
    ASSERT_NE(ground, nullptr) << id;
    float gx, gy;
    ground->abs_pos(&gx, &gy);
    EXPECT_GE(gx, 0) << id;
    EXPECT_GE(gy, 0) << id;
    EXPECT_LE(gx + ground->w, 640) << id;
    EXPECT_LE(gy + ground->h, 640) << id;
    std::vector<Widget*> buttons;
    ground->collect_focusable(&buttons);
    EXPECT_GE(buttons.size(), 2u);
    for (Widget* w : buttons) {
      float x, y;
      w->abs_pos(&x, &y);
      EXPECT_GE(y, gy + ground->cy) << id;
      EXPECT_LE(y + w->h, gy + ground->cy + ground->ch) << id;
    }
  }
}

// Every page the game opens lies on the service TUNNELWICK_SERVICE names,
// whichever screen opens it.
TEST_F(EditDialogs, EveryPageLinkFollowsTheService) {
  struct Link {
    int screen;
    const char* button;
    const char* page;
  };
  const Link links[] = {
      {STATE_EDIT_MENU, "View Tutorials", WEB_PAGE_TUTORIAL}, {STATE_EDIT_HELP, "View Tutorials", WEB_PAGE_TUTORIAL},
      {STATE_MENUS_MAIN, "Become a Fan", WEB_PAGE_FAN},       {STATE_MENUS_PLAY, "Leaderboard", WEB_PAGE_SCORES},
      {STATE_MENUS_SETTINGS, "New Account", WEB_PAGE_SIGNUP},
  };
  static_cast<MenusSettings*>(state_get(STATE_MENUS_SETTINGS))->settings_tab = PAGE_OPTIONS;
  for (const char* service : {"127.0.0.1:2", "127.0.0.2:8080"}) {
    setenv("TUNNELWICK_SERVICE", service, 1);
    for (const Link& l : links) {
      g->transition(TRANS_NONE, l.screen);
      settle();
      g_driver->last_weblink.clear();
      click(l.button);
      std::string link = g_driver->last_weblink;
      EXPECT_EQ(link.rfind(std::string("http://") + service + l.page, 0), 0u) << l.button << " on " << l.screen << ": " << link;
    }
  }
}

}  // namespace
}  // namespace editor_test
