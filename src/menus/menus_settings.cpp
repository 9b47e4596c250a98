#include "menus/menus_settings.h"

#include "menus/back_button.h"
#include "menus/menus.h"

void MenusSettings::init() {
  menus_reset_root(this);
  menus_add_back_button(this, "Main Menu");
}

void MenusSettings::paint() { menus_paint(this); }
void MenusSettings::loop() { menus_loop(this); }
void MenusSettings::event(Event e) { menus_back_event(this, e); }
