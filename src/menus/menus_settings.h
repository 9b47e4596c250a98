// The settings screen (STATE_MENUS_SETTINGS).
// For now the screen frame with the menu background and a "Back" button
// that returns to where the screen was opened from: the main menu, a paused
// level or the results of one. Keys repeat in it.
#pragma once

#include "menus/menu_screen.h"

class MenusSettings : public MenuScreen {
 public:
  explicit MenusSettings(Game* g) : MenuScreen(g, "Back") {}
  bool wants_key_repeat() const override { return true; }

 protected:
  int back_state() const override;
};
