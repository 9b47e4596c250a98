// Changes the edited map's tiles (set, blend, flood fill) and swaps in the one-step undo snapshot.
#include "editor/edit_ops.h"

#include <cstring>
#include <memory>

#include "game/game.h"
#include "game/tile_info.h"

static bool in_band(int x, int y) { return x >= MAP_MIN && x <= MAP_MAX && y >= MAP_MIN && y <= MAP_MAX; }

static int cell(Game* g, int x, int y) { return tile_at_or(x, y, g->level.map.grid, TILE_OUTSIDE); }

static bool is_terrain(int tile) { return game_tiles[tile & 0xff].pbase[0] != 0; }

bool edit_snapshot(Game* g) { return game_slot_save(&g->slots[SLOT_UNDO], g); }

// A cell outside the band is never written, so it never counts as a change
// either: a stray click past the edge keeps the undo snapshot.
static bool write_cell(Game* g, int x, int y, int tile, bool snapshot) {
  if (!in_band(x, y) || cell(g, x, y) == tile) return false;
  if (snapshot) edit_snapshot(g);
  g->level.map.grid[y * MAP_W + x] = static_cast<uint8_t>(tile);
  g->level.map.changes++;
  return true;
}

bool edit_set_tile(int x, int y, int tile, Game* g, bool snapshot) {
  return write_cell(g, x, y, tile & 0xff, snapshot);
}

bool edit_blend_tile(Game* g, int x, int y, int tile, bool snapshot) {
  static const int weight[3][3] = {{2, 10, 2}, {10, 0, 10}, {2, 10, 2}};
  int count[256] = {};
  for (int dy = -1; dy <= 1; dy++)
    for (int dx = -1; dx <= 1; dx++) {
      int t = cell(g, x + dx, y + dy);
      if (is_terrain(t)) count[t] += weight[dy + 1][dx + 1];
    }
  if (is_terrain(tile & 0xff)) count[tile & 0xff] += 1;
  int best = 0;
  for (int t = 1; t < 256; t++)
    if (count[t] > count[best]) best = t;
  return write_cell(g, x, y, best, snapshot);
}

int edit_flood_fill(int x, int y, Game* g, int tile) {
  tile &= 0xff;
  int old = cell(g, x, y);
  if (!in_band(x, y) || old == tile) return 0;
  struct Entry {
    int32_t x, y, next;
  };
  // A cell is pushed once, when it is written, so the stack never holds more
  // than the band's cells.
  static_assert(FLOOD_STACK_SIZE >= (MAP_MAX - MAP_MIN + 1) * (MAP_MAX - MAP_MIN + 1), "flood stack too small");
  static Entry stack[FLOOD_STACK_SIZE];
  static const int dirs[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  edit_set_tile(x, y, tile, g, true);
  int written = 1, top = 0;
  stack[0] = {x, y, 0};
  while (top >= 0) {
    Entry& e = stack[top];
    bool pushed = false;
    while (e.next < 4) {
      int nx = e.x + dirs[e.next][0], ny = e.y + dirs[e.next][1];
      e.next++;
      // The band's edge bounds the region: a fill of the outside tile never
      // walks out of the map.
      if (!in_band(nx, ny) || cell(g, nx, ny) != old) continue;
      g->level.map.grid[ny * MAP_W + nx] = static_cast<uint8_t>(tile);
      g->level.map.changes++;
      written++;
      stack[++top] = {nx, ny, 0};
      pushed = true;
      break;
    }
    if (!pushed) top--;
  }
  return written;
}

bool edit_undo_swap(Game* g) {
  std::unique_ptr<SaveSlot> now(new SaveSlot);
  if (!game_slot_save(now.get(), g)) return false;
  if (!game_slot_restore(&g->slots[SLOT_UNDO], g)) return false;
  memcpy(static_cast<void*>(&g->slots[SLOT_UNDO]), now.get(), sizeof(SaveSlot));
  return true;
}
