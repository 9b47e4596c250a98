#include "menus/menus_credits.h"

#include "menus/back_button.h"
#include "menus/menus.h"

void MenusCredits::init() {
  menus_reset_root(this);
  menus_add_back_button(this, "Main Menu");
}

void MenusCredits::paint() { menus_paint(this); }
void MenusCredits::loop() { menus_loop(this); }
void MenusCredits::event(Event e) { menus_back_event(this, e); }
