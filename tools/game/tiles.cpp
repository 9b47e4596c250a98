// The table of named tile types with their pictures, items and editor groups, found by legend.
#include "game/tiles.h"

namespace tw {

namespace {

// Item codes: 1 entity, 2 cartridge, 3 jewel, 4 keycard, 5 lock, 6 bomb, 7 gate.
// Item values sit above the entity kinds so that the editor's item count sees them.
// Editor groups (sortby): 0 terrain, 10 actors, 20 arrows, 30 pick-ups,
// 40 doors, 50 props.
const TileDef kTiles[] = {
  // type name            leg  code value  img               eimg          dx dy pth pas opq ed sort pbase    item
  {0,  "void",            '\0', 0, 0,      "tile-void",      "",            0, 0, 0, 0, 1, 0, -1, "",      ""},
  {1,  "wall",            '#',  0, 0,      "tile-wall",      "",            0, 0, 0, 0, 1, 1, 0,  "wall",  ""},
  {2,  "floor",           '.',  0, 0,      "tile-floor",     "",            0, 0, 1, 1, 0, 1, 0,  "floor", ""},
  {3,  "grate",           ',',  0, 0,      "tile-grate",     "",            0, 0, 1, 1, 0, 1, 0,  "grate", ""},
  {4,  "dirt",            ':',  0, 0,      "tile-dirt",      "",            0, 0, 1, 1, 0, 1, 0,  "dirt",  ""},
  {5,  "brick",           '%',  0, 0,      "tile-brick",     "",            0, 0, 0, 0, 1, 1, 0,  "brick", ""},
  {6,  "water",           '~',  0, 0,      "tile-water",     "",            0, 0, 0, 0, 0, 1, 0,  "water", ""},
  {16, "rock",            '\0', 0, 0,      "tile-rock",      "",            0, 0, 0, 0, 1, 0, -1, "",      ""},
  {32, "player",          'P',  1, KIND_PLAYER, "tile-player", "",          0, 0, 1, 1, 0, 1, 10, "",      ""},
  {33, "guard",           'G',  1, KIND_GUARD,  "tile-guard",  "",          0, 0, 1, 1, 0, 1, 10, "",      ""},
  {34, "sniper",          'S',  1, KIND_SNIPER, "tile-sniper", "",          0, 0, 1, 1, 0, 1, 10, "",      ""},
  {35, "zombie",          'Z',  1, KIND_ZOMBIE, "tile-zombie", "",          0, 0, 1, 1, 0, 1, 10, "",      ""},
  {36, "spider",          'X',  1, KIND_SPIDER, "tile-spider", "",          0, 0, 1, 1, 0, 1, 10, "",      ""},
  {37, "laser",           'Y',  1, KIND_LASER,  "tile-laser",  "edit-laser",0, 0, 0, 0, 0, 1, 10, "",      ""},
  {38, "light",           'L',  1, KIND_LIGHT,  "tile-light",  "edit-light",0, 0, 1, 1, 0, 1, 10, "",      ""},
  {39, "toggle",          'T',  1, KIND_TOGGLE, "tile-toggle", "edit-toggle",0,0, 0, 0, 0, 1, 10, "",      ""},
  {40, "exit",            'E',  1, KIND_EXIT,   "tile-exit",   "",          0, 0, 1, 1, 0, 1, 10, "",      ""},
  {41, "arrow8",          '^',  1, KIND_ARROW,  "tile-arrow8", "edit-arrow8", 0,-1, 1, 1, 0, 1, 20, "",    ""},
  {42, "arrow6",          '>',  1, KIND_ARROW,  "tile-arrow6", "edit-arrow6", 1, 0, 1, 1, 0, 1, 20, "",    ""},
  {43, "arrow2",          'v',  1, KIND_ARROW,  "tile-arrow2", "edit-arrow2", 0, 1, 1, 1, 0, 1, 20, "",    ""},
  {44, "arrow4",          '<',  1, KIND_ARROW,  "tile-arrow4", "edit-arrow4",-1, 0, 1, 1, 0, 1, 20, "",    ""},
  {48, "cartridge",       'c',  2, 0x201,  "tile-cartridge", "",          0, 0, 1, 1, 0, 1, 30, "",      "cartridge"},
  {49, "jewel",           'j',  3, 0x202,  "tile-jewel",     "",          0, 0, 1, 1, 0, 1, 30, "",      "jewel"},
  {50, "bomb",            'o',  6, 0x231,  "tile-bomb",      "",          0, 0, 1, 1, 0, 1, 30, "",      "bomb"},
  {51, "keycard-red",     'r',  4, 0x211,  "tile-keycard-red",   "",      0, 0, 1, 1, 0, 1, 30, "",      "keycard"},
  {52, "keycard-blue",    'b',  4, 0x212,  "tile-keycard-blue",  "",      0, 0, 1, 1, 0, 1, 30, "",      "keycard"},
  {53, "keycard-green",   'g',  4, 0x213,  "tile-keycard-green", "",      0, 0, 1, 1, 0, 1, 30, "",      "keycard"},
  {56, "lock-red",        'R',  5, 0x221,  "tile-lock-red",      "",      0, 0, 0, 0, 1, 1, 40, "",      "lock"},
  {57, "lock-blue",       'B',  5, 0x222,  "tile-lock-blue",     "",      0, 0, 0, 0, 1, 1, 40, "",      "lock"},
  {58, "lock-green",      'H',  5, 0x223,  "tile-lock-green",    "",      0, 0, 0, 0, 1, 1, 40, "",      "lock"},
  {59, "techgate",        '=',  7, 0x241,  "tile-techgate",      "",      0, 0, 0, 0, 1, 1, 40, "",      ""},
  {64, "crate",           'x',  0, 0,      "tile-crate",     "",          0, 0, 0, 0, 0, 1, 50, "",      ""},
  {65, "barrel",          'O',  0, 0,      "tile-barrel",    "",          0, 0, 0, 0, 0, 1, 50, "",      ""},
  {66, "pillar",          'I',  0, 0,      "tile-pillar",    "",          0, 0, 0, 0, 1, 1, 50, "",      ""},
};

}  // namespace

const TileDef* tile_defs(int* count) {
  *count = int(sizeof kTiles / sizeof kTiles[0]);
  return kTiles;
}

const TileDef* tile_def(int type) {
  for (const TileDef& t : kTiles)
    if (t.type == type) return &t;
  return nullptr;
}

int tile_for_legend(char c) {
  if (c == '\0') return -1;
  for (const TileDef& t : kTiles)
    if (t.legend == c) return t.type;
  return -1;
}

}  // namespace tw
