// The error message screen (STATE_MENUS_ERROR).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "menus/menu_screen.h"

class MenusError : public MenuScreen {
 public:
  explicit MenusError(Game* g) : MenuScreen(g) {}
};
