// The credits (STATE_MENUS_CREDITS): a tall centred column of lines, the
// old logo and a closing line, rising from below the view one unit a tick
// until its end is in view. Reached from the main menu's presenter line
// and after the outro movie; any key or click goes to the main menu.
#pragma once

#include "menus/menu_screen.h"

class MenusCredits : public MenuScreen {
 public:
  int tick_count = 0;  // ticks since the last init; drives the scroll

  explicit MenusCredits(Game* g) : MenuScreen(g, nullptr) {}
  // Over black: no menu background.
  void init() override;
  void event(Event e) override;
  void loop() override;
};

// The credit lines, top to bottom, and their count.
extern const char* const CREDITS_LINES[];
extern const int CREDITS_LINE_COUNT;
