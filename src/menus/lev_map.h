// The campaign's sector map: eight sector pictures stacked from the bottom
// up, blurred while the map moves, the aimed sector glowing once it stands
// still and the closed sectors covered.
#pragma once

#include "ui/widget.h"

struct Game;

// The private event of the sector map. To a LevScroller: word 5 holds the
// direction as a float (-1 one sector up, +1 one sector down). To a LevMap:
// word 16 is the settled flag and word 17 the sector to glow (or -1).
enum { EVT_SECTOR = 25 };
enum { EVW_SECTOR_DIR = EVW_WHEEL, EVW_SECTOR_SETTLED = EVW_KEY, EVW_SECTOR_GLOW = EVW_KEY2 };

enum { LEVMAP_SECTORS = 8, LEVMAP_GLOWS = 16, LEVMAP_WIDTH = 213 };
constexpr float LEVMAP_GLOW_STEP = 0.1f;

// The height of one sector picture: the map's width over the aspect of
// "map-chunk" (not truncated).
float levmap_chunk_h();

class LevMap : public Widget {
 public:
  Game* game;
  int sector_count = LEVMAP_SECTORS;
  int focus_sector;       // the sector that glows; -1 while the map moves
  int chunk_h = 0;        // set by measure
  int settled = 0;        // 1 while the map stands still
  int max_sector;         // sectors above it are covered
  float glow[LEVMAP_GLOWS] = {};
  int last_settled = -1;

  explicit LevMap(Game* g);
  int event(Event* e) override;
  void loop() override;
  void paint() override;
  void measure() override;
};
