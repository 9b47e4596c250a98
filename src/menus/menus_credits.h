// The credits (STATE_MENUS_CREDITS).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "game/state.h"

class MenusCredits : public State {
 public:
  explicit MenusCredits(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
};
