// The message popup (STATE_MENUS_POPUP).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "menus/menu_screen.h"

class MenusPopup : public MenuScreen {
 public:
  explicit MenusPopup(Game* g) : MenuScreen(g) {}
};
