// The message screen (STATE_MENUS_POPUP): "MESSAGE", the text the web
// service sent, and "Continue" back to the screen that was current when it
// came. Built like the error screen (menus_error.h).
#pragma once

#include "game/state.h"

class MenusPopup : public State {
 public:
  explicit MenusPopup(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
};
