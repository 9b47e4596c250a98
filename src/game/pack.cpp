// Packs the map for files, database and web, unpacks it with a size bound, and fills save slots.
#include "game/pack.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "game/game.h"

std::string game_pack_level(Game* g) {
  uLongf len = PACKED_MAP_MAX;
  std::string out(len, '\0');
  int rc = compress2(reinterpret_cast<Bytef*>(&out[0]), &len,
                     reinterpret_cast<const Bytef*>(&g->level.map), sizeof(LevelMap), 6);
  if (rc != Z_OK) {
    fprintf(stderr, "game_pack_level(): zlib fail\n");
    return std::string();
  }
  out.resize(len);
  return out;
}

// Inflates src into out (cap bytes); answers the inflated length, or -1 when
// the stream is corrupt, truncated or inflates to more than cap bytes.
static long inflate_bounded(const void* src, size_t src_len, void* out, size_t cap) {
  uLongf len = cap;
  int rc = uncompress(static_cast<Bytef*>(out), &len, static_cast<const Bytef*>(src), src_len);
  if (rc != Z_OK) return -1;
  return static_cast<long>(len);
}

bool game_unpack_level(Game* g, const std::string& packed) {
  std::vector<uint8_t> buf(sizeof(Level));
  long n = packed.empty() ? -1 : inflate_bounded(packed.data(), packed.size(), buf.data(), buf.size());
  if (n < 0) {
    fprintf(stderr, "game_unpack_level(): zlib fail\n");
    return false;
  }
  memset(static_cast<void*>(&g->level), 0, sizeof(Level));
  memcpy(&g->level.map, buf.data(), n < (long)sizeof(LevelMap) ? n : sizeof(LevelMap));
  level_map_sanitize(&g->level.map);
  return true;
}

bool game_slot_save(SaveSlot* slot, Game* g) {
  uLongf len = sizeof slot->data;
  int rc = compress2(slot->data, &len, reinterpret_cast<const Bytef*>(&g->level), sizeof(Level), 6);
  if (rc != Z_OK) {
    fprintf(stderr, "game_slot_save: %d / %d\n", (int)compressBound(sizeof(Level)), (int)sizeof slot->data);
    slot->len = 0;
    return false;
  }
  slot->len = static_cast<int32_t>(len);
  slot->word = g->level.map.lead;
  return true;
}

bool game_slot_restore(SaveSlot* slot, Game* g) {
  if (slot->len <= 0 || slot->len > (int32_t)sizeof slot->data) {
    fprintf(stderr, "game_slot_restore: empty slot\n");
    return false;
  }
  std::vector<uint8_t> buf(sizeof(Level));
  long n = inflate_bounded(slot->data, slot->len, buf.data(), buf.size());
  if (n != (long)sizeof(Level)) {
    fprintf(stderr, "game_slot_restore: %ld / %d\n", n, (int)sizeof(Level));
    return false;
  }
  memcpy(static_cast<void*>(&g->level), buf.data(), sizeof(Level));
  level_map_sanitize(&g->level.map, false);
  return true;
}
