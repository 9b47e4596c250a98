// The scrolling sector map: a ScrollBox holding the LevMap and one icon per
// level of the open sectors, gliding to the sector of the selected level.
// Its integer value is the selected level's number.
#pragma once

#include "ui/scroll.h"

struct Game;
struct LevelInfo;

enum {
  LEVSCROLLER_W = 213,
  LEVSCROLLER_H = 492,
  // Each tick the map moves this far towards its target, and stops when
  // closer than that.
  LEVSCROLLER_STEP = 50,
  // Action codes of a level icon: taking the focus, and a click.
  LEVEL_ICON_FOCUS = 256,
  LEVEL_ICON_CLICK = 512,
  LEVEL_ICON_MASK = 255,
};

// Whether n names a level record that the map shows an icon for: in use,
// its number from 1 to 63 (so that the icon codes can carry it).
bool level_number_valid(const Game* g, int n);

// The icon of one level: its lock, crystal and complete looks come from the
// record. Named with the level's number.
Widget* level_icon(const LevelInfo& l);

class LevScroller : public ScrollBox {
 public:
  Game* game;
  Container* content;  // the LevMap and the icons, in map coordinates
  float scroll = 0;    // the glide's offset; 0 shows the top of the map
  float chunk_h;
  int sector_count;
  int settled = 0;
  int max_sector;
  int sector;          // the sector the map aims at
  int selected_level;

  explicit LevScroller(Game* g);
  int get_value_i() override;
  void set_value_i(int v) override;
  int event(Event* e) override;
  void loop() override;
};
