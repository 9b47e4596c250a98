// The error message screen (STATE_MENUS_ERROR).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "game/state.h"

class MenusError : public State {
 public:
  explicit MenusError(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
};
