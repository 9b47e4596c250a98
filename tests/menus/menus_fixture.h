// The game run through its headless entry with the real content and the
// menu screens installed; helpers to find and press the widgets of the
// current screen.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/event.h"
#include "game/game.h"
#include "game/hooks.h"
#include "game/state.h"
#include "support/game_window.h"
#include "support/recording_audio.h"
#include "ui/ui.h"

namespace menus_test {

// Stands in for screens that other parts of the game provide (the intro
// movie): counts its entries.
class StubScreen : public State {
 public:
  int inits = 0;
  explicit StubScreen(Game* g) : State(g) {}
  void init() override { inits++; }
};

using ::find_button;
// The centre of the widget in the root's coordinates.
void centre(Widget* w, int* x, int* y);

struct MenusGame : ::testing::Test {
  TempDir tmp;
  GameHooks saved_hooks = game_hooks;
  RecordingAudio audio;
  Game* g = nullptr;

  void SetUp() override;
  void TearDown() override;
  // Starts the game; the intro movie is a StubScreen.
  void start();
  void stop();
  // Starts the game and settles on the main menu.
  void boot();
  // Runs the steps that a transition takes, one step per frame.
  void settle();
  State* current();
  StubScreen* movie();
  // Pointer motion, press and release at the widget's centre.
  void click(Widget* w);
  void click(const std::string& label);
  void key(int game_key, int mod = 0);
  // The key bound to the player's action, pressed or released.
  void action(int type, int act);
  Widget* focused();
  // The samples played since the last call, in order.
  std::vector<std::string> sounds();
};

}  // namespace menus_test
