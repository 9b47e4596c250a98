// The tile types of the game data: one table row per named type, the rest
// of the 256 types are unused. Maps name tiles through the legend character.
#pragma once
#include <string>

namespace tw {

enum : int {
  KIND_PLAYER = 0x101, KIND_GUARD, KIND_ARROW, KIND_LIGHT, KIND_EXIT,
  KIND_TOGGLE, KIND_SNIPER, KIND_ZOMBIE, KIND_LASER, KIND_SPIDER,
};

struct TileDef {
  int type;
  const char* name;
  char legend;        // the map text character ('\0': none)
  int code;           // nonzero: carries something
  int value;          // entity kind or item value
  const char* img;    // picture in play ("" none)
  const char* eimg;   // editor overlay ("" none)
  int dx, dy;
  int pathable, passable, opaque;
  int editor, sortby;
  const char* pbase;  // terrain family ("" for none)
  const char* item;   // "cartridge", "jewel", "keycard", "lock", "bomb" or ""
};

// The named tile types, in ascending type order.
const TileDef* tile_defs(int* count);
// The row of a type (nullptr for an unused type).
const TileDef* tile_def(int type);
// The type a legend character stands for; -1 when none.
int tile_for_legend(char c);

}  // namespace tw
