#include "menus/menus_community.h"

#include "menus/back_button.h"
#include "menus/menus.h"

void MenusCommunity::init() {
  menus_reset_root(this);
  menus_add_back_button(this, "Main Menu");
}

void MenusCommunity::paint() { menus_paint(this); }
void MenusCommunity::loop() { menus_loop(this); }
void MenusCommunity::event(Event e) { menus_back_event(this, e); }
