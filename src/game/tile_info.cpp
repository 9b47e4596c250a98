// Holds the 256 tile types and tells which ones stand for entities or items.
#include "game/tile_info.h"

TileInfo game_tiles[256];

int tile_entity_kind(int value) {
  return value >= ENT_PLAYER && value <= ENT_SPIDER ? value : 0;
}

int tile_item_kind(const TileInfo& t) { return t.code != 0 && t.value >= 0x100 ? t.value : 0; }
