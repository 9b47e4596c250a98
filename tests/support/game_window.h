// The game in a real window for picture tests, and finding widgets by the
// text they show.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/hooks.h"
#include "support/recording_audio.h"
#include "support/temp_dir.h"
#include "ui/ui.h"

// The label showing exactly that text in the tree, or null.
Label* find_label(Widget* w, const std::string& text);
// The focusable widget around the label of that text, or null.
Widget* find_button(Widget* w, const std::string& text);
// The first focusable widget of the tree with that click code, or null.
Widget* find_by_code(Widget* w, int code);

// The window pixels, top row first, as 0xRRGGBB.
struct Picture {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};
Picture grab();
// The current screen painted as the main loop paints it, without swapping,
// frame after frame until the layout has settled after a change.
Picture settled_picture(Game* g);
// How many pixels of the view rectangle (view units) differ between two
// pictures.
int changed(const Picture& a, const Picture& b, float x, float y, float w, float h);

// Starts the game as the program does (video mode, renderer, the box-art
// fade) with the real content and a temporary per-user directory, playing
// its sounds into a recording back-end. A test sets the hooks it needs in
// install_hooks().
struct WindowedGame : ::testing::Test {
  TempDir tmp;
  GameHooks saved = game_hooks;
  RecordingAudio audio;
  Game* g = nullptr;

  virtual void install_hooks() {}
  void SetUp() override;
  void TearDown() override;
};
