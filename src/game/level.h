// The play record of the current level: the map, the object layer, the
// entities, the effect pool, the heads-up notice and the statistics of the
// current run. It sits inside Game and is packed whole into save slots, so
// it is a plain fixed-size record:
//
//   offset   size              field
//        0   19,488            LevelMap
//   19,488   16,384            object layer (one byte per cell, like the grid)
//   35,872   64 x 768          Entity records
//   85,024   256 x 96          Effect pool
//  109,600   264               heads-up notice
//  109,864   256               run statistics
//  110,120   9,844             reserved for the world, zero
#pragma once
#include <cstddef>
#include <cstdint>

#include "game/level_map.h"

enum { LEVEL_ENTITIES = 64, LEVEL_EFFECTS = 256, ENTITY_PATH_MAX = 128 };

// One actor of the world (player, guard, light, laser...). kind 0 is a free
// record; flags is the row of behaviour flags that selects what the world
// loop runs for it.
struct Entity {
  int32_t kind;
  int32_t tile;            // the tile type it was spawned from
  float x, y, vx, vy;      // position and velocity in cells
  float angle, speed;
  int32_t home_x, home_y;
  int32_t target_x, target_y;
  int32_t mode, timer, alert, health;
  int32_t anim, frame, dir, item;
  uint8_t flags[32];
  int16_t path[ENTITY_PATH_MAX][2];  // cells of the current path
  int32_t path_len, path_pos;
  uint8_t reserved[136];
};
static_assert(sizeof(Entity) == 768, "Entity is 768 bytes");

// One short-lived visual effect (spark, smoke, blast...); kind 0 is free.
struct Effect {
  int32_t kind;
  int32_t life, max_life;
  int32_t img;
  float x, y, vx, vy;
  float size, angle, spin;
  uint32_t color;
  float alpha;
  uint8_t reserved[44];
};
static_assert(sizeof(Effect) == 96, "Effect is 96 bytes");

struct LevelNotice {
  char text[256];
  int32_t timer;  // steps left to show it
  int32_t kind;
};
static_assert(sizeof(LevelNotice) == 264, "LevelNotice is 264 bytes");

struct RunStats {
  int32_t steps;
  int32_t time_cs;
  int32_t deaths;
  int32_t carts, total_carts;
  int32_t jewels, total_jewels;
  int32_t bombs;
  int32_t keycards;         // bit n: the keycard of colour n (1 red, 2 blue, 3 green)
  int32_t cheat;            // nonzero once a cheat was used in this run
  int32_t replaying;        // nonzero while a replay plays back
  int32_t exit_countdown;   // steps left once the exit is reached
  int32_t won;              // 1 once the level-won routine ran for this run
  int32_t words[3];
  uint8_t ach[32];          // achievements earned in this run, by index
  uint8_t reserved[160];
};
static_assert(sizeof(RunStats) == 256, "RunStats is 256 bytes");

struct Level {
  LevelMap map;
  uint8_t objects[MAP_W * MAP_H];
  Entity entities[LEVEL_ENTITIES];
  Effect effects[LEVEL_EFFECTS];
  LevelNotice notice;
  RunStats stats;
  uint8_t reserved[9844];

  // Zeroes the camera floats and the kind word of every entity record.
  Level();
};

static_assert(sizeof(Level) == 119964, "Level is 119,964 bytes");
static_assert(offsetof(Level, map) == 0, "the LevelMap leads the Level");
static_assert(offsetof(Level, objects) == 19488, "object layer offset");
static_assert(offsetof(Level, entities) == 35872, "entities offset");
static_assert(offsetof(Level, effects) == 85024, "effects offset");
static_assert(offsetof(Level, notice) == 109600, "notice offset");
static_assert(offsetof(Level, stats) == 109864, "stats offset");
