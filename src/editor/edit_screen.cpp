// Shared frame of the editor's dialogs: background, music, centred column, buttons and text fields.
#include "editor/edit_screen.h"

#include <cstring>

#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "ui/ui.h"

// Room inside a text field's frame: its ends are rounded over about 30
// units on either side.
enum { FIELD_PAD_X = 30, FIELD_PAD_Y = 5, TITLE_W = 426 };

void EditScreen::init() {
  level_music(game);
  root.reset();
  root.add(gui_menu_background(), 0, 0);
  build();
}

// Quitting, or any switch, is a chance to save a map whose earlier save
// failed.
void EditScreen::deinit() { edit_save_if_dirty(game); }

void EditScreen::paint() {
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  root.measure();
  root.paint();
}

void EditScreen::loop() { root.loop(); }

void EditScreen::event(Event e) {
  Event orig = e;
  action(root.event(&e), orig);
}

void EditScreen::add_centred(Widget* column) {
  Box* view = new Box(column);
  root.add(view, 0, 0);
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  view->measure();
  // A dialog with a text field opens with the field focused: what the player
  // types goes there at once.
  if (Widget* field = view->find("text")) root.set_focus(field);
}

Label* edit_centred_label(int font, const char* text, int width) {
  MyLabel* l = new MyLabel(font, text);
  l->st(SW_WIDTH, width);
  l->st(SW_ALIGN, 0);
  l->restyle();
  return l;
}

Box* edit_button(const char* text, int action) {
  return new Box(gui_button(new MyLabel(font_load("font1"), text), action, 320));
}

Box* edit_field(const char* name, const std::string& text, int width) {
  TextInput* field = gui_text_input(name, text.c_str(), LEVEL_TEXT_SIZE - 1);
  field->st(SW_WIDTH, width);
  field->st4(SW_PAD, FIELD_PAD_Y, FIELD_PAD_X, FIELD_PAD_Y, FIELD_PAD_X);
  field->restyle();
  return new Box(field);
}

Box* edit_title(const Game* g) {
  const char* t = g->level.map.text[LEVEL_TEXT_TITLE];
  // A long title would widen the whole column past the view.
  std::string title = text_fit(font_load("font1"), game_text_get(t, LEVEL_TEXT_SIZE), TITLE_W);
  return gui_level_title(title.c_str());
}
