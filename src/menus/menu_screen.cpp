// Shared frame of the menus: rebuilds the widgets on entry, paints, and leaves on Back or Escape.
#include "menus/menu_screen.h"

#include <cstdio>
#include <vector>

#include "game/game.h"
#include "gfx/gfx.h"
#include "gfx/transition.h"
#include "ui/ui.h"

// The back button's place: 20 from the left, its bottom at 620.
enum { BACK_BUTTON_X = 20, BACK_BUTTON_BOTTOM = 620 };

void MenuScreen::init() {
  root.reset();
  root.add(gui_menu_background(), 0, 0);
  build();
  if (back_text_) {
    Box* b = new Box(gui_back_button(back_text_, MENUS_ACT_BACK));
    b->measure();
    root.add(b, BACK_BUTTON_X, BACK_BUTTON_BOTTOM - b->h);
  }
}

void MenuScreen::paint() {
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  root.measure();
  root.paint();
}

void MenuScreen::loop() { root.loop(); }

void MenuScreen::event(Event e) {
  int code = root.event(&e);
  if (code == MENUS_ACT_BACK || (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE)) {
    int back = back_state();
    if (back != STATE_NONE) game_switch(game, TRANS_BZOOM, back);
    return;
  }
  if (code) action(code);
}

bool menus_select(Container& root, const char* name) {
  Widget* w = root.find(name);
  if (!w) return false;
  if (!w->focusable || w->no_input) {
    std::vector<Widget*> inner;
    w->collect_focusable(&inner);
    if (inner.empty()) return false;
    w = inner.front();
  }
  select(w);
  return true;
}

