// The credits (STATE_MENUS_CREDITS): a tall centred column of lines, the
// old logo and a closing line, rising from below the view one unit a tick
// until its end is in view. Reached from the main menu's presenter line
// and after the outro movie; any key or click goes to the main menu.
#pragma once

#include "game/state.h"

class MenusCredits : public State {
 public:
  int tick_count = 0;  // ticks since the last init; drives the scroll

  explicit MenusCredits(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
};

// The credit lines, top to bottom, and their count.
extern const char* const CREDITS_LINES[];
extern const int CREDITS_LINE_COUNT;
