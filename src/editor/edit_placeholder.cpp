#include "editor/edit_placeholder.h"

#include "editor/editor.h"
#include "game/game.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "ui/ui.h"

enum { PLACEHOLDER_ACT_BACK = 1 };

void EditPlaceholder::build() {
  Table* t = new Table;
  t->new_row();
  t->add(new Box(new MyLabel(font_load("font1"), heading)));
  t->new_row();
  t->add(new Box(new MyLabel(font_load("font15"), std::string("Map ") + game->current_level_id)));
  t->new_row();
  t->add(edit_button("Back", PLACEHOLDER_ACT_BACK));
  add_centred(t);
}

void EditPlaceholder::action(int code, const Event& e) {
  if (code == PLACEHOLDER_ACT_BACK || (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE))
    edit_switch(game, TRANS_FADE, STATE_EDIT_MENU);
}
