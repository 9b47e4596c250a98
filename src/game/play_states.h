// The in-level screens: the intro card, play itself, the pause screen and
// the results.
#pragma once

#include "game/state.h"

struct Game;

// Action codes of the in-level screens' buttons.
enum {
  PLAY_ACT_RESUME = 1,
  PLAY_ACT_SETTINGS = 2,
  PLAY_ACT_RESTART = 3,
  PLAY_ACT_LEAVE = 4,
  PLAY_ACT_CONTINUE = 5,
};

// The widget tree's paint as every menu screen paints it: cleared to black,
// the 2D projection, then the root measured and painted.
void play_paint_root(State* s);
// The screen that the level goes back to when it is left: the menu in
// return_menu (the sector map, the community browser, the editor), or the
// main menu when that screen does not exist.
int play_return_target(Game* g);

// STATE_PLAY_INTRO: the map's title and intro text over the world; a key
// or a click starts play.
class PlayIntro : public State {
 public:
  explicit PlayIntro(Game* g) : State(g) {}
  void init() override;
  void paint() override;
  void event(Event e) override;
  void loop() override;
};

// STATE_PLAY: the running level at one world step per fixed step. The
// directions held come from the bound keys (Settings key bindings, which
// Game::event turns into actions) and the gamepad stick; Escape pauses.
class Play : public State {
 public:
  int held = 0;  // WORLD_* bits of the directions held down

  explicit Play(Game* g) : State(g) {}
  void init() override;
  void deinit() override;
  void paint() override;
  void event(Event e) override;
  void loop() override;
};

// STATE_PLAY_PAUSE: resume, settings, restart, or back to the menu the level
// was started from. Escape resumes.
class PlayPause : public State {
 public:
  explicit PlayPause(Game* g) : State(g) {}
  void init() override;
  void paint() override;
  void event(Event e) override;
  void loop() override;
};

// STATE_PLAY_WIN: the results of the run that the level-won routine left in
// the Game. A community map gets a "stars" rating widget; going on keeps a
// non-zero rating in map_rating.
class PlayWin : public State {
 public:
  explicit PlayWin(Game* g) : State(g) {}
  void init() override;
  void paint() override;
  void event(Event e) override;
  void loop() override;
};
