// The settings screen (STATE_MENUS_SETTINGS).
// For now the screen frame with the menu background and the way back to the
// main menu.
#pragma once

#include "game/state.h"

class MenusSettings : public State {
 public:
  explicit MenusSettings(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
  bool wants_key_repeat() const override { return true; }
};
