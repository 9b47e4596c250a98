// The game through its headless entry with the play, editor and menu
// screens, and helpers to draw on the editor's canvas.
#pragma once

#include <string>

#include "menus_fixture.h"

namespace editor_test {

struct EditorGame : menus_test::MenusGame {
  void SetUp() override;
  // Main menu -> Build -> Create New Map -> Done -> Edit Map: the drawing
  // screen on a fresh map.
  void new_map_in_editor();
  // Pointer events at the centre of cell (x, y), in view units, at the
  // editor's zoom and camera.
  // A motion carries the way from the last pointer position.
  void pointer(int type, int x, int y, int button = 1);
  int last_x = 0, last_y = 0;
  void click_cell(int x, int y, int button = 1);
  int cell(int x, int y);
  // The packed map that the player's database holds for the current map.
  std::string stored_data();
  std::string label(const char* name);
};

}  // namespace editor_test
