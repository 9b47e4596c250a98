// The campaign's sector screen (STATE_MENUS_PLAY): the scrolling sector map
// with one icon per open level on the right, the selected level's panel on
// the left, arrows to step between sectors and the way back to the main
// menu. The selection lives in Progress current_level and current_sector.
#pragma once

#include <string>

#include "menus/menu_screen.h"

// Action codes of the screen (besides the level icons' 256 + n and 512 + n
// and the achievement icons' 1024 + a).
enum {
  PLAY_MENU_ACT_PLAY = 1,
  PLAY_MENU_ACT_UP = 18,
  PLAY_MENU_ACT_DOWN = 19,
  PLAY_MENU_ACT_LEADERBOARD = 20,
};

// Steps between two breaths of the frames' glow on this screen: its whole
// picture repaints at each breath and costs a software renderer about three
// times the main menu's, so it breathes two times a second.
const int PLAY_MENU_GLOW_TICKS = 30;

// The score page of the current level: "lid" is the digest of its map
// file, "uid" the player's identity. Answers false, with a diagnostic line,
// when the map file cannot be read.
bool menus_play_score_url(Game* g, std::string* url);

class MenusPlay : public MenuScreen {
 public:
  explicit MenusPlay(Game* g) : MenuScreen(g) {}
  // Recounts the sectors (which saves the game) before building.
  void init() override;
  // Level icons, the wheel and the developer keys besides the frame's way
  // back.
  void event(Event e) override;

  // The left panel of the selected level, and its text area (ach: the
  // achievement under the pointer, 0 for none).
  void level_panel();
  void level_details(int ach);

 protected:
  void build() override;

 private:
  void select_level(int n);
  void play_current();
  void open_score_page();
  bool debug_key(const Event& e);
};
