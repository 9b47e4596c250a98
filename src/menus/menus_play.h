// The campaign's sector map (STATE_MENUS_PLAY).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "game/state.h"

class MenusPlay : public State {
 public:
  explicit MenusPlay(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
};
