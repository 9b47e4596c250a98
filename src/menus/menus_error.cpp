#include "menus/menus_error.h"

#include "menus/back_button.h"
#include "menus/menus.h"

void MenusError::init() {
  menus_reset_root(this);
  menus_add_back_button(this, "Main Menu");
}

void MenusError::paint() { menus_paint(this); }
void MenusError::loop() { menus_loop(this); }
void MenusError::event(Event e) { menus_back_event(this, e); }
