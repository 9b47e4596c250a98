// The 256 tile types of "gameinfo.db", indexed by the tile-type byte of the
// grid. Static game data: loaded at start-up, never saved.
#pragma once
#include <cstdint>

// Entity kinds that a tile's value column may name.
enum {
  ENT_PLAYER = 0x101,
  ENT_GUARD = 0x102,
  ENT_ARROW = 0x103,
  ENT_LIGHT = 0x104,
  ENT_EXIT = 0x105,
  ENT_TOGGLE = 0x106,
  ENT_SNIPER = 0x107,
  ENT_ZOMBIE = 0x108,
  ENT_LASER = 0x109,
  ENT_SPIDER = 0x10a,
};

struct TileInfo {
  int32_t in_use;     // 1 when gameinfo.db has a row for this type
  char name[32];
  int32_t code;       // item code: nonzero for tiles that carry something
  int32_t value;      // entity kind (ENT_*) or item value
  int32_t kind;       // the entity kind resolved from value, else 0
  char img_name[32];  // image drawn in play
  char eimg_name[32]; // image drawn in the editor
  int32_t img, eimg;  // their image indexes once the renderer resolved them
  int32_t dx, dy;
  int32_t pathable, passable, opaque;
  int32_t editor, sortby;
  char pbase[32];     // terrain family, empty for other tiles
  char item[16];      // "cartridge", "jewel", "keycard", "lock", "bomb" or ""
};

extern TileInfo game_tiles[256];

// The entity kind that a value column names, 0 for anything else.
int tile_entity_kind(int value);
// What the tile stands for when the editor counts a map's items: the entity
// kind, or the value of a pick-up, lock or gate (all 0x100 and above); 0 for
// a tile that carries nothing.
int tile_item_kind(const TileInfo& t);
