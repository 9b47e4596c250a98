// Any byte string as a map, the way a map file, a database row or the web
// service hands one to the game: mostly packed by zlib first so that the map
// reader behind inflate sees it, sometimes raw so that inflate does.
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/pack.h"

// Inputs beyond a whole Level say nothing new: the reader refuses them.
static const size_t FUZZ_MAP_MAX = sizeof(Level) + 64;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Game* g = new Game();
  if (size < 1 || size > FUZZ_MAP_MAX) return 0;
  std::string packed;
  if (data[0] == 0xff) {
    packed.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  } else {
    uLongf len = compressBound(size - 1);
    std::vector<Bytef> out(len);
    if (compress2(out.data(), &len, data + 1, size - 1, data[0] % 10) != Z_OK) return 0;
    packed.assign(reinterpret_cast<const char*>(out.data()), len);
  }
  if (game_unpack_level(g, packed)) {
    // What was read in packs again and reads back the same.
    std::string again = game_pack_level(g);
    if (!again.empty()) {
      static LevelMap before;
      std::memcpy(&before, &g->level.map, sizeof before);
      if (!game_unpack_level(g, again) || std::memcmp(&before, &g->level.map, sizeof before) != 0)
        __builtin_trap();
    }
  }
  return 0;
}
