#include "menus/menus_edit.h"

#include "menus/back_button.h"
#include "menus/menus.h"

void MenusEdit::init() {
  menus_reset_root(this);
  menus_add_back_button(this, "Main Menu");
}

void MenusEdit::paint() { menus_paint(this); }
void MenusEdit::loop() { menus_loop(this); }
void MenusEdit::event(Event e) { menus_back_event(this, e); }
