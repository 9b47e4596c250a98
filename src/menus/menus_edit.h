// The list of the player's own maps (STATE_MENUS_EDIT).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "menus/menu_screen.h"

class MenusEdit : public MenuScreen {
 public:
  explicit MenusEdit(Game* g) : MenuScreen(g) {}
};
