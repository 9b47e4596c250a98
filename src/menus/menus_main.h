// The title screen (STATE_MENUS_MAIN): the logo, six menu buttons, the
// presenter line that opens the credits, and the version text.
#pragma once

#include "menus/menu_screen.h"

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

// The title screen has no way back: Quit ends the game.
class MenusMain : public MenuScreen {
 public:
  explicit MenusMain(Game* g) : MenuScreen(g, nullptr) {}
  // Ctrl, Alt or Meta with D flips the debug setting; the rest is the
  // frame's.
  void event(Event e) override;

 protected:
  void build() override;
  void action(int code) override;
  int back_state() const override { return STATE_NONE; }
};
