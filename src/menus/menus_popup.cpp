#include "menus/menus_popup.h"

#include "menus/back_button.h"
#include "menus/menus.h"

void MenusPopup::init() {
  menus_reset_root(this);
  menus_add_back_button(this, "Main Menu");
}

void MenusPopup::paint() { menus_paint(this); }
void MenusPopup::loop() { menus_loop(this); }
void MenusPopup::event(Event e) { menus_back_event(this, e); }
