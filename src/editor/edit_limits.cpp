// Counts a user map's items and players and flags the map when it breaks either limit.
#include "editor/edit_limits.h"

#include "game/game.h"
#include "game/tile_info.h"

EditCount edit_count(const Game* g) {
  EditCount c;
  const uint8_t* grid = g->level.map.grid;
  for (int y = MAP_MIN; y <= MAP_MAX; y++)
    for (int x = MAP_MIN; x <= MAP_MAX; x++) {
      int tile = grid[y * MAP_W + x];
      if (!tile) continue;
      int kind = tile_item_kind(game_tiles[tile]);
      if (!kind || kind == ENT_ARROW) continue;
      c.items++;
      if (kind == ENT_PLAYER) c.players++;
    }
  return c;
}

EditCount edit_recount_limits(Game* g) {
  EditCount c = edit_count(g);
  g->level.map.over_limit = c.items > EDIT_ITEM_LIMIT || c.players > EDIT_PLAYER_LIMIT;
  return c;
}
