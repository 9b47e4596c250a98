// The drawing screen's tool icons and the tile picker's grid.
#pragma once

#include <string>
#include <vector>

#include "ui/ui.h"

// A square tool icon that carries a hint: the status bar shows it while the
// icon has the focus.
class EIcon : public Widget {
 public:
  std::string hint;
  EIcon() = default;
  std::string get_value_s() override { return hint; }
  // Drawn entirely by its style.
  void paint() override {}
  void loop() override {}
};

// A 40 by 40 tool icon showing the image, answering the action code when
// clicked, named name; its frame shows on hover and fully while selected.
EIcon* gui_tool_icon(const char* image, int action, const char* hint, const char* name);

// The play image of a tile type (0 when it has none), looked up once.
int edit_tile_img(int type);

// Picker action codes: click 0x100 + type, pointer over 0x200 + type, pointer
// gone 0x400.
enum { PICK_CLICK = 0x100, PICK_ENTER = 0x200, PICK_LEAVE = 0x400, PICK_COLUMNS = 8 };

// The tile types offered in the picker, in its order: by sortby from 0 to
// 100, then by type; only types marked for the editor that have a picture.
std::vector<int> edit_picker_tiles();
// The picker: a table of PICK_COLUMNS columns of those tiles, the current
// tile's cell selected, centred in a 640 by 640 Box named "picker".
Box* edit_picker_build(int current_tile);
