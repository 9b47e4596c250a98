// The browser of shared maps (STATE_MENUS_COMMUNITY).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "game/state.h"

class MenusCommunity : public State {
 public:
  explicit MenusCommunity(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
  bool wants_key_repeat() const override { return true; }
};
