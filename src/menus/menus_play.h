// The campaign's sector map (STATE_MENUS_PLAY).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "menus/menu_screen.h"

class MenusPlay : public MenuScreen {
 public:
  explicit MenusPlay(Game* g) : MenuScreen(g) {}
};
