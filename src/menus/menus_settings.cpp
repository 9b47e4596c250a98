#include "menus/menus_settings.h"

#include "game/game.h"

int MenusSettings::back_state() const {
  int back = game->settings_return_state;
  return state_get(back) ? back : STATE_MENUS_MAIN;
}
