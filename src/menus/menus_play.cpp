#include "menus/menus_play.h"

#include "menus/back_button.h"
#include "menus/menus.h"

void MenusPlay::init() {
  menus_reset_root(this);
  menus_add_back_button(this, "Main Menu");
}

void MenusPlay::paint() { menus_paint(this); }
void MenusPlay::loop() { menus_loop(this); }
void MenusPlay::event(Event e) { menus_back_event(this, e); }
