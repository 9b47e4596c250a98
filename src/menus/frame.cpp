// What every menu screen shares: paint, loop, the root reset and the state
// switch.
#include <cstdio>
#include <vector>

#include "game/game.h"
#include "game/state.h"
#include "gfx/gfx.h"
#include "menus/menus.h"
#include "ui/ui.h"

void menus_paint(State* s) {
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  s->root.measure();
  s->root.paint();
}

void menus_loop(State* s) { s->root.loop(); }

void menus_reset_root(State* s) {
  s->root.reset();
  s->root.add(gui_menu_background(), 0, 0);
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

bool menus_switch(Game* g, int type, int id) {
  if (!state_get(id)) {
    std::fprintf(stderr, "menus_switch: no screen for state %d\n", id);
    return false;
  }
  g->transition(type, id);
  return true;
}
