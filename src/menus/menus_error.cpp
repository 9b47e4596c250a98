#include "menus/menus_error.h"

#include <cstring>

#include "game/game.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "ui/ui.h"

std::string menus_message_text(const char* field, size_t size) {
  if (!field || size == 0) return std::string();
  std::string s(field, strnlen(field, size - 1));
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\n') c = ' ';
  return s;
}

int menus_message_return(int id) {
  if (id == STATE_MENUS_ERROR || id == STATE_MENUS_POPUP || !state_get(id)) return STATE_MENUS_MAIN;
  return id;
}

void menus_message_build(State* s, const char* title, const std::string& text, bool settings) {
  int font1 = font_load("font1");
  int font2 = font_load("font2");

  Table* t = new Table;
  Box* head = new Box(new MyLabel(font1, title));
  head->st(SW_ICON_IMG, gfx_img_load("success-titleglow"));
  head->st4(SW_MARGIN, 15, 0, 0, 0);
  head->restyle();
  t->new_row();
  t->add(head);

  MyLabel* body = new MyLabel(font2, text);
  body->st(SW_WIDTH, 213);
  body->st(SW_ALIGN, 0);
  body->restyle();
  Box* body_box = new Box(body);
  body_box->st4(SW_MARGIN, 15, 0, 15, 0);
  body_box->restyle();
  t->new_row();
  t->add(body_box);

  if (settings) {
    t->new_row();
    t->add(gui_menu_button("Settings", "icon-settings", MESSAGE_ACT_SETTINGS, 180, nullptr));
  }
  t->new_row();
  t->add(gui_menu_button("Continue", "icon-play", MESSAGE_ACT_CONTINUE, 180, nullptr));

  Box* view = new Box(gui_menu_box(t, 75));
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  s->root.add(view, 0, 0);
}

int menus_message_code(State* s, Event* e) {
  int code = s->root.event(e);
  if (e->type() == EVT_KEYDOWN && e->key() == GK_ESCAPE) code = MESSAGE_ACT_CONTINUE;
  return code;
}

void MenusError::build() {
  menus_message_build(this, "ERROR!!", menus_message_text(game->error_text, sizeof game->error_text),
                      true);
}

void MenusError::event(Event e) {
  int back = menus_message_return(game->error_return_state);
  switch (menus_message_code(this, &e)) {
    case MESSAGE_ACT_SETTINGS:
      // An error from the settings screen's own request leaves its return
      // target as it was.
      if (game->error_return_state != STATE_MENUS_SETTINGS) game->settings_return_state = back;
      menus_switch(game, TRANS_ZOOM, STATE_MENUS_SETTINGS);
      break;
    case MESSAGE_ACT_CONTINUE:
      menus_switch(game, TRANS_FADE, back);
      break;
    default:
      break;
  }
}
