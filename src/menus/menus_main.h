// The title screen (STATE_MENUS_MAIN): the logo, six menu buttons, the
// presenter line that opens the credits, and the version text.
#pragma once

#include "game/state.h"

// Action codes of the main menu's widgets.
enum {
  MAIN_ACT_PLAY = 1,
  MAIN_ACT_SETTINGS = 2,
  MAIN_ACT_BUILD = 3,
  MAIN_ACT_QUIT = 4,
  MAIN_ACT_COMMUNITY = 11,
  MAIN_ACT_CREDITS = 22,
  MAIN_ACT_FAN = 23,
};

// The fan page, opened in the system browser.
extern const char* const MENUS_FAN_PAGE;

class MenusMain : public State {
 public:
  explicit MenusMain(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
};
