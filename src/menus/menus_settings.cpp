#include "menus/menus_settings.h"

#include "menus/back_button.h"
#include "game/game.h"
#include "game/state_table.h"
#include "menus/menus.h"

void MenusSettings::init() {
  menus_reset_root(this);
  menus_add_back_button(this, "Back");
}

void MenusSettings::paint() { menus_paint(this); }
void MenusSettings::loop() { menus_loop(this); }
// The settings screen goes back to where it was opened from: the main menu,
// a paused level or the results of one.
void MenusSettings::event(Event e) {
  int back = game->settings_return_state;
  menus_back_event(this, e, state_get(back) ? back : STATE_MENUS_MAIN);
}
