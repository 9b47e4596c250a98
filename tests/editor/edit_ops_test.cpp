// The grid operations on small maps: setting, erasing into the terrain
// around, flood fill inside the band, and undo that is its own redo.
#include <cstring>

#include "editor/edit_ops.h"
#include "editor_fixture.h"
#include "game/tile_info.h"

namespace editor_test {
namespace {

struct EditOps : EditorGame {
  void SetUp() override {
    EditorGame::SetUp();
    boot();
    memset(static_cast<void*>(&g->level), 0, sizeof g->level);
  }
  void put(int x, int y, int t) { g->level.map.grid[y * MAP_W + x] = static_cast<uint8_t>(t); }
  int changes() { return g->level.map.changes; }
};

const int WALL = 1, FLOOR = 2, DIRT = 4, CRATE = 64;

TEST_F(EditOps, SetAndEraseChangeOnlyCellsOfTheBand) {
  ASSERT_TRUE(game_tiles[WALL].pbase[0] && game_tiles[DIRT].pbase[0] && !game_tiles[CRATE].pbase[0]);
  EXPECT_TRUE(edit_set_tile(10, 10, WALL, g, false));
  EXPECT_EQ(cell(10, 10), WALL);
  EXPECT_EQ(changes(), 1);
  EXPECT_FALSE(edit_set_tile(10, 10, WALL, g, false));
  // Past the band nothing is written and nothing counts.
  EXPECT_FALSE(edit_set_tile(1, 10, WALL, g, true));
  EXPECT_FALSE(edit_set_tile(10, 126, WALL, g, true));
  EXPECT_FALSE(edit_blend_tile(g, 1, 10, WALL, true));
  EXPECT_EQ(cell(1, 10), 0);
  EXPECT_EQ(changes(), 1);

  // Erasing among non-terrain tiles leaves type 0.
  for (int dy = -1; dy <= 1; dy++)
    for (int dx = -1; dx <= 1; dx++)
      if (dx || dy) put(20 + dx, 20 + dy, CRATE);
  put(20, 20, FLOOR);
  EXPECT_TRUE(edit_blend_tile(g, 20, 20, CRATE, false));
  EXPECT_EQ(cell(20, 20), 0);
  // Two edges of dirt, two of wall: the current tile breaks the tie, else
  // the lower type wins.
  put(20, 19, DIRT);
  put(20, 21, DIRT);
  put(19, 20, WALL);
  put(21, 20, WALL);
  EXPECT_TRUE(edit_blend_tile(g, 20, 20, DIRT, false));
  EXPECT_EQ(cell(20, 20), DIRT);
  EXPECT_TRUE(edit_blend_tile(g, 20, 20, CRATE, false));
  EXPECT_EQ(cell(20, 20), WALL);
  EXPECT_FALSE(edit_blend_tile(g, 20, 20, CRATE, false));
  // The current tile breaks a tie only: an edge and a corner of dirt beat
  // an edge of wall.
  put(30, 29, DIRT);
  put(29, 29, DIRT);
  put(31, 30, WALL);
  EXPECT_TRUE(edit_blend_tile(g, 30, 30, WALL, false));
  EXPECT_EQ(cell(30, 30), DIRT);
}

TEST_F(EditOps, FillStaysInsideTheBand) {
  // A fill started past the band changes nothing.
  EXPECT_EQ(edit_flood_fill(1, 64, g, FLOOR), 0);
  EXPECT_EQ(changes(), 0);
  // An empty band fills whole from its centre.
  EXPECT_EQ(edit_flood_fill(64, 64, g, FLOOR), 15376);
  EXPECT_EQ(changes(), 15376);
  EXPECT_EQ(cell(2, 2), FLOOR);
  EXPECT_EQ(cell(125, 125), FLOOR);
  EXPECT_EQ(cell(1, 64), 0);
  EXPECT_EQ(cell(126, 64), 0);
  EXPECT_EQ(edit_flood_fill(64, 64, g, FLOOR), 0);

  // A column of the outside tile along the band's edge: the fill covers the
  // column and never walks out of the map.
  for (int y = MAP_MIN; y <= MAP_MAX; y++) put(2, y, TILE_OUTSIDE);
  EXPECT_EQ(edit_flood_fill(2, 40, g, WALL), 124);
  for (int y = MAP_MIN; y <= MAP_MAX; y++) ASSERT_EQ(cell(2, y), WALL);
  for (int y = 0; y < MAP_H; y++) ASSERT_EQ(cell(1, y), 0);
  EXPECT_EQ(cell(3, 40), FLOOR);
  EXPECT_EQ(changes(), 15376 + 124);
}

TEST_F(EditOps, UndoTwiceIsRedo) {
  LevelMap& m = g->level.map;
  edit_flood_fill(64, 64, g, FLOOR);  // the snapshot holds the empty map
  m.camera[0] = 30;
  m.current_tile = WALL;
  ASSERT_TRUE(edit_undo_swap(g));
  EXPECT_EQ(cell(64, 64), 0);
  EXPECT_EQ(m.changes, 0);
  EXPECT_EQ(m.camera[0], 0);
  EXPECT_EQ(m.current_tile, 0);
  ASSERT_TRUE(edit_undo_swap(g));
  EXPECT_EQ(cell(64, 64), FLOOR);
  EXPECT_EQ(m.changes, 15376);
  EXPECT_EQ(m.camera[0], 30);
  EXPECT_EQ(m.current_tile, WALL);

  // A stroke's snapshot is taken once, before its first real change.
  EXPECT_TRUE(edit_set_tile(10, 10, WALL, g, true));
  EXPECT_TRUE(edit_set_tile(11, 10, WALL, g, false));
  ASSERT_TRUE(edit_undo_swap(g));
  EXPECT_EQ(cell(10, 10), FLOOR);
  EXPECT_EQ(cell(11, 10), FLOOR);

  // An undo that cannot keep the level as it is now changes nothing.
  uint32_t r = 12345;
  unsigned char* bytes = reinterpret_cast<unsigned char*>(&g->level);
  for (size_t i = 0; i < sizeof g->level; i++) {
    r = r * 1103515245u + 12345u;
    bytes[i] = static_cast<unsigned char>(r >> 24);
  }
  std::string before(reinterpret_cast<const char*>(bytes), sizeof g->level);
  SaveSlot undo = g->slots[SLOT_UNDO];
  EXPECT_FALSE(edit_undo_swap(g));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), sizeof g->level), before);
  EXPECT_EQ(memcmp(&g->slots[SLOT_UNDO], &undo, sizeof undo), 0);
}

}  // namespace
}  // namespace editor_test
