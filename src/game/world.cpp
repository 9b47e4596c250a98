// Prepares a map for play and steps the world: walking, unlocking, picking up, reaching the exit.
#include "game/world.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/audio.h"
#include "game/game.h"
#include "game/level_won.h"
#include "game/levels_db.h"
#include "game/save_slot.h"
#include "game/tile_info.h"
#include "gfx/transition.h"
#include "util/db.h"

enum {
  ITEM_CARTRIDGE = 0x201,
  ITEM_JEWEL = 0x202,
  ITEM_KEYCARD = 0x210,  // 0x211 to 0x213
  ITEM_LOCK = 0x220,     // 0x221 to 0x223
  ITEM_BOMB = 0x231,
};

static bool in_band(int x, int y) { return x >= MAP_MIN && x <= MAP_MAX && y >= MAP_MIN && y <= MAP_MAX; }

static bool is_object(int tile) {
  const TileInfo& t = game_tiles[tile & 0xff];
  return t.in_use && t.code != 0;
}

void split_object_layer(Game* g) {
  Level& l = g->level;
  for (int y = MAP_MIN; y <= MAP_MAX; y++)
    for (int x = MAP_MIN; x <= MAP_MAX; x++) {
      int i = y * MAP_W + x;
      uint8_t& cell = l.map.grid[i];
      if (!is_object(cell)) continue;
      l.objects[i] = cell;
      cell = TILE_FLOOR;
    }
}

int spawn_entities(Game* g) {
  Level& l = g->level;
  RunStats& s = l.stats;
  int used = 0, dropped = 0;
  s.total_carts = s.total_jewels = 0;
  // Two passes: the player takes record 0 when there is one.
  for (int pass = 0; pass < 2; pass++)
    for (int y = MAP_MIN; y <= MAP_MAX; y++)
      for (int x = MAP_MIN; x <= MAP_MAX; x++) {
        int tile = l.objects[y * MAP_W + x];
        if (!tile) continue;
        const TileInfo& t = game_tiles[tile];
        if (pass == 0) {
          if (t.value == ITEM_CARTRIDGE) s.total_carts++;
          if (t.value == ITEM_JEWEL) s.total_jewels++;
        }
        if (!t.kind || (t.kind == ENT_PLAYER) != (pass == 0)) continue;
        if (used == LEVEL_ENTITIES) {
          dropped++;
          continue;
        }
        Entity& e = l.entities[used++];
        memset(static_cast<void*>(&e), 0, sizeof e);
        e.kind = t.kind;
        e.tile = tile;
        e.x = x + 0.5f;
        e.y = y + 0.5f;
        e.home_x = x;
        e.home_y = y;
        e.health = 1;
      }
  if (Entity* p = world_player(g)) {
    l.map.camera[0] = p->x;
    l.map.camera[1] = p->y;
  }
  return dropped;
}

void level_prepare(Game* g) {
  Level& l = g->level;
  level_map_sanitize(&l.map, true);
  // Everything behind the map starts afresh.
  unsigned char* behind = reinterpret_cast<unsigned char*>(&l) + sizeof l.map;
  memset(behind, 0, sizeof l - sizeof l.map);
  split_object_layer(g);
  if (int dropped = spawn_entities(g))
    fprintf(stderr, "spawn_entities: %d entities past the %d records left out\n", dropped, LEVEL_ENTITIES);
  if (!world_player(g)) fprintf(stderr, "spawn_entities: the map has no player\n");
  game_text_set(g->level_title, sizeof g->level_title, l.map.text[LEVEL_TEXT_TITLE]);
  game_text_set(g->level_intro, sizeof g->level_intro, l.map.text[LEVEL_TEXT_INTRO]);
}

void level_start(Game* g) {
  level_map_sanitize(&g->level.map, true);
  if (!game_slot_save(&g->slots[SLOT_START], g))
    fprintf(stderr, "level_start: the level as it starts could not be kept\n");
  level_prepare(g);
  g->transition(g->return_menu == STATE_EDIT_MAIN ? TRANS_NONE : TRANS_FADE, STATE_PLAY_INTRO);
}

bool level_restart(Game* g) {
  if (!game_slot_restore(&g->slots[SLOT_START], g)) {
    fprintf(stderr, "level_restart: no start of the level to go back to\n");
    return false;
  }
  level_prepare(g);
  return true;
}

bool level_restore_edited_map(Game* g) {
  RunStats stats = g->level.stats;
  bool ok = game_slot_restore(&g->slots[SLOT_START], g);
  // The play-test saved the map before it started, so the database has it.
  if (!ok) ok = levels_load(g, game_db(GAME_DB_USER));
  if (!ok) {
    fprintf(stderr, "level_restore_edited_map: the map before play is lost: %s\n", g->current_level_id);
    return false;
  }
  g->level.stats = stats;
  return true;
}

Entity* world_player(Game* g) {
  for (Entity& e : g->level.entities)
    if (e.kind == ENT_PLAYER) return &e;
  return nullptr;
}

bool world_blocked(Game* g, int x, int y) {
  const Level& l = g->level;
  int tile = tile_at_or(x, y, l.map.grid, TILE_OUTSIDE);
  if (!game_tiles[tile].passable) return true;
  if (!in_band(x, y)) return true;
  int obj = l.objects[y * MAP_W + x];
  return obj && !game_tiles[obj].passable;
}

// A lock in the way opens when its keycard was picked up.
static void try_unlock(Game* g, int x, int y) {
  if (!in_band(x, y)) return;
  uint8_t& obj = g->level.objects[y * MAP_W + x];
  int value = obj ? game_tiles[obj].value : 0;
  if ((value & ~0xf) != ITEM_LOCK) return;
  int colour = value & 0xf;
  if (!(g->level.stats.keycards & (1 << colour))) return;
  obj = 0;
  sfx_play_here("sfx-unlock");
}

// True when the player's square centred at (x, y) overlaps a blocked cell;
// with open set, locks under it whose keycard is held open first.
static bool overlaps(Game* g, float x, float y, bool open) {
  const float h = WORLD_PLAYER_HALF;
  int x0 = static_cast<int>(std::floor(x - h)), x1 = static_cast<int>(std::floor(x + h));
  int y0 = static_cast<int>(std::floor(y - h)), y1 = static_cast<int>(std::floor(y + h));
  bool blocked = false;
  for (int cy = y0; cy <= y1; cy++)
    for (int cx = x0; cx <= x1; cx++) {
      if (open) try_unlock(g, cx, cy);
      if (world_blocked(g, cx, cy)) blocked = true;
    }
  return blocked;
}

// Moves along one axis; when blocked, slides the other coordinate towards
// the centre of its cell so that the player finds openings one cell wide.
static void move_axis(Game* g, Entity* p, float dx, float dy) {
  float nx = p->x + dx, ny = p->y + dy;
  if (!overlaps(g, nx, ny, true)) {
    p->x = nx;
    p->y = ny;
    return;
  }
  float* other = dx != 0 ? &p->y : &p->x;
  float centre = std::floor(*other) + 0.5f;
  float off = centre - *other;
  if (std::fabs(off) < 1e-4f || std::fabs(off) > 0.45f) return;
  float step = std::fmin(std::fabs(off), WORLD_SPEED) * (off > 0 ? 1.0f : -1.0f);
  float sx = dx != 0 ? p->x : p->x + step, sy = dx != 0 ? p->y + step : p->y;
  if (!overlaps(g, sx, sy, false)) {
    p->x = sx;
    p->y = sy;
  }
}

static void pick_up(Game* g, Entity* p) {
  int x = static_cast<int>(std::floor(p->x)), y = static_cast<int>(std::floor(p->y));
  if (!in_band(x, y)) return;
  uint8_t& obj = g->level.objects[y * MAP_W + x];
  if (!obj) return;
  RunStats& s = g->level.stats;
  int value = game_tiles[obj].value;
  if (value == ITEM_CARTRIDGE) {
    s.carts++;
    sfx_play_here("sfx-cartridge");
  } else if (value == ITEM_JEWEL) {
    s.jewels++;
    sfx_play_here("sfx-jewel");
  } else if ((value & ~0xf) == ITEM_KEYCARD) {
    s.keycards |= 1 << (value & 0xf);
    sfx_play_here("sfx-keycard");
  } else if (value == ITEM_BOMB) {
    s.bombs++;
    sfx_play_here("sfx-bomb");
  } else {
    return;
  }
  obj = 0;
}

static bool on_exit(Game* g, const Entity* p) {
  int px = static_cast<int>(std::floor(p->x)), py = static_cast<int>(std::floor(p->y));
  for (const Entity& e : g->level.entities)
    if (e.kind == ENT_EXIT && e.home_x == px && e.home_y == py) return true;
  return false;
}

void world_step(Game* g, int held) {
  RunStats& s = g->level.stats;
  if (s.won) return;
  if (s.exit_countdown > 0) {
    if (--s.exit_countdown == 0) level_won(g);
    return;
  }
  s.steps++;
  s.time_cs = static_cast<int32_t>(static_cast<int64_t>(s.steps) * 100 / 60);
  Entity* p = world_player(g);
  if (!p) return;

  int dx = ((held & WORLD_RIGHT) ? 1 : 0) - ((held & WORLD_LEFT) ? 1 : 0);
  int dy = ((held & WORLD_DOWN) ? 1 : 0) - ((held & WORLD_UP) ? 1 : 0);
  if (dx || dy) {
    float speed = (dx && dy) ? WORLD_SPEED * 0.70710678f : WORLD_SPEED;
    if (dx) move_axis(g, p, dx * speed, 0);
    if (dy) move_axis(g, p, 0, dy * speed);
    p->angle = std::atan2(static_cast<float>(dy), static_cast<float>(dx));
    p->dir = dx > 0 ? 2 : dx < 0 ? 4 : dy > 0 ? 3 : 1;
    if (++p->anim % 20 == 0) sfx_play_here("sfx-step");
  }
  pick_up(g, p);
  g->level.map.camera[0] = p->x;
  g->level.map.camera[1] = p->y;
  if (on_exit(g, p)) {
    s.exit_countdown = WORLD_EXIT_STEPS;
    sfx_play_here("sfx-exit");
  }
}
