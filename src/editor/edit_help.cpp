// The editor's key help dialog and the confirmation that deletes the player's map.
#include "editor/edit_help.h"

#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "ui/ui.h"
#include "util/db.h"

const char* const EDIT_HELP_TEXT =
    "? :: Help\nSPACE :: Play / Test\nESCAPE :: Edit Menu\n\nNavigation\n\nHOME :: Center view\n"
    "+ / - :: Zoom in / out\nM :: Move / Scroll tool\nScroll Wheel :: Zoom in / out\n"
    "Arrow Keys :: Move / Scroll\nCenter mouse button :: Move / Scroll\n\nEditing\n\n"
    "Left mouse button :: Draw tiles on map\nRight mouse button :: Select tile under cursor\n"
    "Number pad :: Select arrow tiles\nS :: Select a tile using a dialog\nD :: Draw tiles tool\n"
    "F :: Fill tiles tool\nE :: Erase tiles tool\nC :: Copy tile tool\nZ :: Undo / Redo\n";

// The dark ground of the menu box under the long texts of the help and the
// share rules, which are hard to read straight on the bright background.
enum { HELP_GROUND_MARGIN = 40 };

void EditHelp::build() {
  // The 27 lines of keys take the smaller font, so that the column with its
  // heading and both buttons fits the 640-unit view.
  int font1 = font_load("font1"), font15 = font_load("font15");
  Table* t = new Table;
  t->new_row();
  t->add(edit_centred_label(font1, "Help", 426));
  Label* keys = edit_centred_label(font15, EDIT_HELP_TEXT, 426);
  keys->st4(SW_MARGIN, 10, 10, 10, 10);
  keys->restyle();
  t->new_row();
  t->add(keys);
  t->new_row();
  t->add(edit_button("View Tutorials", HELP_ACT_TUTORIALS));
  t->new_row();
  t->add(edit_button("Done", HELP_ACT_DONE));
  t->st(SW_WIDTH, 320);
  t->st(SW_HEIGHT, 426);
  t->restyle();
  add_centred(gui_menu_box(t, HELP_GROUND_MARGIN));
}

void EditHelp::action(int code, const Event& e) {
  if (e.type() == EVT_KEYDOWN || code == HELP_ACT_DONE) {
    game_switch(game, TRANS_FADE, edit_help_return(game));
  } else if (code == HELP_ACT_TUTORIALS) {
    edit_open_tutorials(game);
    game_switch(game, TRANS_FADE, edit_help_return(game));
  }
}

void EditDelete::build() {
  int font2 = font_load("font2");
  Table* t = new Table;
  t->new_row();
  t->add(edit_title(game));
  t->new_row();
  t->add(edit_centred_label(font2, "Are you sure you want to Delete this Map?", 426));
  t->new_row();
  t->add(edit_button("Delete", DELETE_ACT_DELETE));
  t->new_row();
  t->add(edit_button("Cancel", DELETE_ACT_CANCEL));
  t->st(SW_WIDTH, 320);
  t->st(SW_HEIGHT, 320);
  t->restyle();
  add_centred(t);
}

void EditDelete::action(int code, const Event&) {
  if (code == DELETE_ACT_DELETE)
    edit_delete_map(game);
  else if (code == DELETE_ACT_CANCEL)
    game_switch(game, TRANS_FADE, STATE_EDIT_MENU);
}

void edit_delete_map(Game* g) {
  if (!levels_delete(g)) {
    edit_show_error(g, "The map could not be deleted from " + game_db(GAME_DB_USER).path + ".", STATE_EDIT_MENU);
    return;
  }
  // The player chose to lose the map: nothing of it is saved again.
  edit_mark_clean();
  game_switch(g, TRANS_BZOOM, STATE_MENUS_EDIT);
}
