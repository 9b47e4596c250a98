// The credits (STATE_MENUS_CREDITS).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "menus/menu_screen.h"

class MenusCredits : public MenuScreen {
 public:
  explicit MenusCredits(Game* g) : MenuScreen(g) {}
};
