#include "editor/edit_placeholder.h"

#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "ui/ui.h"

enum { WAY_CODE = 0x100 };

EditPlaceholder::EditPlaceholder(Game* g, const std::string& h, std::vector<Way> w)
    : State(g), heading(h), ways(std::move(w)) {}

void EditPlaceholder::init() {
  level_music(game);
  root.reset();
  root.add(gui_menu_background(), 0, 0);
  int font1 = font_load("font1"), font15 = font_load("font15");
  Table* t = new Table;
  t->new_row();
  t->add(new Box(new MyLabel(font1, heading)));
  t->new_row();
  t->add(new Box(new MyLabel(font15, std::string("Map ") + game->current_level_id)));
  for (size_t i = 0; i < ways.size(); i++) {
    t->new_row();
    t->add(gui_button(new MyLabel(font1, ways[i].text), WAY_CODE + static_cast<int>(i), 320));
  }
  Box* view = new Box(t);
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  root.add(view, 0, 0);
}

void EditPlaceholder::paint() {
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  root.measure();
  root.paint();
}

void EditPlaceholder::event(Event e) {
  int a = root.event(&e);
  int i = a - WAY_CODE;
  if (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE) i = static_cast<int>(ways.size()) - 1;
  if (i >= 0 && i < static_cast<int>(ways.size())) ways[static_cast<size_t>(i)].go(game);
}

static void to_main(Game* g) { edit_switch(g, TRANS_FADE, STATE_EDIT_MAIN); }
static void to_menu(Game* g) { edit_switch(g, TRANS_FADE, STATE_EDIT_MENU); }
static void save_to_menu(Game* g) { edit_open_menu(g); }
static void help_back(Game* g) { edit_switch(g, TRANS_FADE, edit_help_return(g)); }
static void to_maps(Game* g) { edit_switch(g, TRANS_BZOOM, STATE_MENUS_EDIT); }

void register_editor_placeholders(Game* g) {
  state_put(STATE_EDIT_TEXT, new EditPlaceholder(g, "Title & Options", {{"Done", save_to_menu}}));
  state_put(STATE_EDIT_MENU, new EditPlaceholder(g, "Editor Menu",
                                                 {{"Edit Map", to_main},
                                                  {"Play / Test", edit_play_test},
                                                  {"Title & Options", edit_open_text},
                                                  {"Editor Help", edit_open_help},
                                                  {"Save & Quit", edit_quit_to_maps}}));
  state_put(STATE_EDIT_SHARE, new EditPlaceholder(g, "Share", {{"Back", to_menu}}));
  state_put(STATE_EDIT_DELETE, new EditPlaceholder(g, "Delete", {{"Back", to_menu}}));
  state_put(STATE_EDIT_HELP, new EditPlaceholder(g, "Editor Help", {{"Back", help_back}}));
  state_put(STATE_EDIT_EXPORT, new EditPlaceholder(g, "Export", {{"Back", to_menu}}));
  state_put(STATE_EDIT_IMPORT, new EditPlaceholder(g, "Import Map", {{"Back", to_maps}}));
}
