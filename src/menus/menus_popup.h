// The message screen (STATE_MENUS_POPUP): "MESSAGE", the text the web
// service sent, and "Continue" back to the screen that was current when it
// came. Built like the error screen (menus_error.h).
#pragma once

#include "menus/menu_screen.h"

class MenusPopup : public MenuScreen {
 public:
  explicit MenusPopup(Game* g) : MenuScreen(g, nullptr) {}
  // Escape counts as "Continue", which fades rather than zooms back.
  void event(Event e) override;

 protected:
  void build() override;
};
