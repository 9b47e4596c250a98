// Error screen, and the fitted text, buttons and way back it shares with the message screen.
#include "menus/menus_error.h"

#include <cstring>
#include <vector>

#include "game/game.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "ui/ui.h"

namespace {
// The text's wrap width, and as many lines as fit between the title and
// the two buttons in the 640-unit view.
const int MESSAGE_WRAP = 213;
const size_t MESSAGE_MAX_LINES = 13;
}  // namespace

std::string menus_message_text(const char* field, size_t size) {
  if (!field || size == 0) return std::string();
  std::string s(field, strnlen(field, size - 1));
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\n') c = ' ';
  return s;
}

std::string menus_message_fit(int font, const std::string& text, float wrap, size_t max_lines) {
  std::vector<std::string> lines;
  for (const std::string& line : text_wrap(font, text, wrap)) {
    // A run with no blank to wrap at is cut where the line is full.
    std::string rest = line;
    while (text_width(font, rest) > wrap && rest.size() > 1) {
      size_t n = 1;
      while (n < rest.size() && text_width(font, rest.substr(0, n + 1)) <= wrap) n++;
      lines.push_back(rest.substr(0, n));
      rest.erase(0, n);
    }
    lines.push_back(rest);
  }
  if (lines.size() > max_lines) lines.resize(max_lines);
  std::string out;
  for (size_t i = 0; i < lines.size(); i++) out += (i ? "\n" : "") + lines[i];
  return out;
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

  MyLabel* body = new MyLabel(font2, menus_message_fit(font2, text, MESSAGE_WRAP, MESSAGE_MAX_LINES));
  body->st(SW_WIDTH, MESSAGE_WRAP);
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
      game_switch(game, TRANS_ZOOM, STATE_MENUS_SETTINGS);
      break;
    case MESSAGE_ACT_CONTINUE:
      game_switch(game, TRANS_FADE, back);
      break;
    default:
      break;
  }
}
