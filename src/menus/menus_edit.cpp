// The player's maps: lists them newest first, opens one, creates a new one or imports a file.
#include "menus/menus_edit.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "driver/audio.h"
#include "editor/edit_ops.h"
#include "editor/edit_screen.h"
#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "ui/ui.h"
#include "util/db.h"

enum { LIST_W = 426, LIST_H = 320, SPACER_H = 20, ROW_PAD_X = 30 };

static Widget* spacer() {
  Widget* w = new Widget;
  w->st(SW_HEIGHT, SPACER_H);
  w->restyle();
  return w;
}

// The title as one line: each line break (CR, LF or CR LF) becomes a space,
// since a row taller than the first would overlap the rows below it.
static std::string one_line(const std::string& title) {
  std::string s;
  for (size_t i = 0; i < title.size(); i++) {
    bool brk = title[i] == '\n' || title[i] == '\r';
    if (title[i] == '\r' && i + 1 < title.size() && title[i + 1] == '\n') i++;
    s += brk ? ' ' : title[i];
  }
  return s;
}

static Widget* map_row(int font, const std::string& title, int index) {
  // A long title is cut to the row's one line.
  Box* b = new Box(new MyLabel(font, text_fit(font, one_line(title), LIST_W - 2 * (ROW_PAD_X + 1))));
  gui_style_dialog(b);
  // The title stays clear of the frame's rounded ends.
  b->st(SW_PAD + 1, ROW_PAD_X);
  b->st(SW_PAD + 3, ROW_PAD_X);
  b->click_code = MAPS_ACT_ROW + index;
  b->focusable = 1;
  b->st(SW_FIXED, 1);
  look_sounds(b, SOUNDS_BUTTON);
  b->st(SW_WIDTH, LIST_W);
  b->st(SW_ALIGN, -1);
  b->restyle();
  return b;
}

void MenusEdit::build() {
  music_play("mus-menus");
  int font1 = font_load("font1");
  int font15 = font_load("font15");
  font_load("font2");

  Table* outer = new Table;
  outer->new_row();
  outer->add(new Box(gui_button(new MyLabel(font1, "Create New Map"), MAPS_ACT_CREATE, LIST_W)));
  if (game->settings.debug == 1) {
    outer->new_row();
    outer->add(new Box(gui_button(new MyLabel(font1, "Import Map"), MAPS_ACT_IMPORT, LIST_W)));
  }
  outer->new_row();
  outer->add(spacer());

  maps_rows = levels_list();
  Widget* list;
  if (maps_rows.len() > 0) {
    // Only the rows in view are built: a player may have thousands of maps.
    list = new RowList(static_cast<int>(maps_rows.len()),
                       [this, font15](int i) { return map_row(font15, maps_rows[i]["title"].str(), i); });
  } else {
    MyLabel* none = new MyLabel(font15, "You have not created any new maps yet.");
    none->st(SW_WIDTH, LIST_W / 2);
    none->st(SW_ALIGN, 0);
    none->restyle();
    Box* b = new Box(none);
    b->st(SW_WIDTH, LIST_W);
    b->st(SW_HEIGHT, LIST_H);
    b->restyle();
    list = b;
  }
  outer->new_row();
  outer->add(new Box(gui_menu_box(new ScrollBox2(new ScrollBox(list, LIST_W, LIST_H)), 50)));
  Box* view = new Box(outer);
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  root.add(view, 0, 0);
}

void MenusEdit::action(int a) {
  if (a == MAPS_ACT_CREATE) {
    create_map();
    return;
  }
  if (a == MAPS_ACT_IMPORT) {
    if (game->settings.debug == 1) game_switch(game, TRANS_ZOOM, STATE_EDIT_IMPORT);
    return;
  }
  // Every code from MAPS_ACT_ROW on names a row, however many there are.
  if (a < MAPS_ACT_ROW) return;
  size_t i = static_cast<size_t>(a - MAPS_ACT_ROW);
  if (i >= maps_rows.len()) return;
  char before[sizeof game->current_level_id];
  memcpy(before, game->current_level_id, sizeof before);
  game_text_set(game->current_level_id, sizeof game->current_level_id, maps_rows[i]["id"].str().c_str());
  if (!edit_load_or_restore(game, before)) return;
  game->return_menu = STATE_MENUS_EDIT;
  game_switch(game, TRANS_ZOOM, STATE_EDIT_MENU);
}

void MenusEdit::create_map() {
  char before[sizeof game->current_level_id];
  memcpy(before, game->current_level_id, sizeof before);
  Level& l = game->level;
  memset(static_cast<void*>(&l), 0, sizeof l);
  l.map.camera[0] = l.map.camera[1] = MAP_W / 2;
  l.map.current_tile = TILE_NEW_CURRENT;
  edit_flood_fill(MAP_W / 2, MAP_H / 2, game, TILE_FLOOR);
  // The row comes with its map or not at all.
  if (!levels_create(game, game_pack_level(game))) {
    // current_level_id still names the map before: the new one in memory
    // must not be saved over it.
    edit_mark_clean();
    edit_show_error(game, "The new map could not be saved to " + game_db(GAME_DB_USER).path + ".", STATE_MENUS_EDIT);
    return;
  }
  std::string made = game->current_level_id;
  if (!edit_load_or_restore(game, before)) {
    fprintf(stderr, "MenusEdit: the new map %s could not be read back\n", made.c_str());
    return;
  }
  game_switch(game, TRANS_ZOOM, STATE_EDIT_TEXT);
}
