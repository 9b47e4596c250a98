// Safe tile reads, bounded text copies, and repair of map records that came from outside.
#include "game/level_map.h"

#include <cmath>
#include <cstring>

int tile_at_or(int x, int y, const uint8_t* grid, int def) {
  if (x < MAP_MIN || x > MAP_MAX || y < MAP_MIN || y > MAP_MAX) return def;
  return grid[y * MAP_W + x];
}

void game_text_set(char* dst, size_t cap, const char* src) {
  if (cap == 0) return;
  memset(dst, 0, cap);
  if (!src) return;
  size_t n = strnlen(src, cap - 1);
  memcpy(dst, src, n);
}

std::string game_text_get(const char* field, size_t cap) { return std::string(field, strnlen(field, cap)); }

char* game_text_terminate(char* dst, size_t cap) {
  if (cap > 0) dst[cap - 1] = 0;
  return dst;
}

static float finite_or(float v, float def) { return std::isfinite(v) ? v : def; }

void level_map_sanitize(LevelMap* m, bool strip_bit7) {
  if (strip_bit7)
    for (uint8_t& t : m->grid) t &= 0x7f;
  for (auto& slot : m->text) game_text_terminate(slot, sizeof slot);
  if (m->current_tile < 0 || m->current_tile > 255) m->current_tile = TILE_NEW_CURRENT;
  // 0 is a stored "unset" that the editor reads as 1.0; keep it as it is.
  // Anything else must be a usable scale: a vanishing zoom would put whole
  // continents of cells on the screen.
  if (!std::isfinite(m->zoom) || m->zoom < 0.0f || m->zoom > 64.0f ||
      (m->zoom != 0.0f && m->zoom < 1.0f / 64.0f))
    m->zoom = 1.0f;
  for (float& c : m->camera) c = finite_or(c, 0.0f);
  // The view is centred on the camera (a map without a player keeps the
  // map's own camera in play): far beyond the grid the cell arithmetic of
  // the painters overflows.
  for (int i = 0; i < 2; i++) m->camera[i] = std::fmin(std::fmax(m->camera[i], -MAP_W), 2.0f * MAP_W);
}
