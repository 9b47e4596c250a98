// The list of the player's own maps (STATE_MENUS_EDIT).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "game/state.h"

class MenusEdit : public State {
 public:
  explicit MenusEdit(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
};
