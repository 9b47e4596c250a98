// The browser of shared maps (STATE_MENUS_COMMUNITY).
// For now the screen frame with the menu background and the way back to the
// main menu; keys repeat in it.
#pragma once

#include "menus/menu_screen.h"

class MenusCommunity : public MenuScreen {
 public:
  explicit MenusCommunity(Game* g) : MenuScreen(g) {}
  bool wants_key_repeat() const override { return true; }
};
