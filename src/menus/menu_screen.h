// The frame of every menu screen. A menu screen is a State whose init
// rebuilds the whole widget tree from the Game on every entry: the root
// becomes empty again (no hover or focus survives), gets the menu
// background, then the screen's own widgets (build) and, when the screen
// has one, the back button at the bottom left. The frame paints and runs
// the root, and takes the way back on the back button or Escape; every other
// action code of the root goes to the screen (action).
#pragma once

#include "driver/event.h"
#include "game/state.h"

// Action code of the back buttons and of Escape on the menu screens.
enum { MENUS_ACT_BACK = 6 };

class MenuScreen : public State {
 public:
  // back_text: the back button's text; null for a screen without one.
  explicit MenuScreen(Game* g, const char* back_text = "Main Menu") : State(g), back_text_(back_text) {}

  void init() override;
  // Clears to opaque black, sets the 2D projection, then measures and
  // paints the root.
  void paint() override;
  // The root's loop and nothing else.
  void loop() override;
  // Hands the event to the root; on the back code or a key-down of Escape
  // back-zooms to back_state() (when it is not STATE_NONE), otherwise hands
  // a non-zero action code to action().
  void event(Event e) override;

 protected:
  // Adds the screen's own widgets to the root, over the background.
  virtual void build() {}
  // A widget of the root answered this action code (never MENUS_ACT_BACK).
  virtual void action(int code) { (void)code; }
  // Where the way back leads; STATE_NONE: the screen has no way back.
  virtual int back_state() const { return STATE_MENUS_MAIN; }

 private:
  const char* back_text_;
};

// Hovers and focuses the widget of that name, or the first focusable
// widget inside it (a menu button carries its name on the Box around the
// focusable part). Answers false when nothing of that name can take focus.
bool menus_select(Container& root, const char* name);
