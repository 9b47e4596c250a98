#include "menus/back_button.h"

#include "game/game.h"
#include "game/state.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "ui/ui.h"

void menus_add_back_button(State* s, const char* text) {
  Box* b = new Box(gui_back_button(text, MENUS_ACT_BACK));
  b->measure();
  s->root.add(b, 20, 620 - b->h);
}

int menus_back_event(State* s, Event e, int target) {
  int code = s->root.event(&e);
  if (code == MENUS_ACT_BACK || (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE))
    menus_switch(s->game, TRANS_BZOOM, target < 0 ? STATE_MENUS_MAIN : target);
  return code;
}
