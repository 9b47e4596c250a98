#include "game/tile_info.h"

TileInfo game_tiles[256];

int tile_entity_kind(int value) {
  return value >= ENT_PLAYER && value <= ENT_SPIDER ? value : 0;
}
