// Any byte string as a packed map, the way a map file, a database row or
// the web service hands one to the game.
#include <cstdint>
#include <cstring>
#include <string>

#include "game/game.h"
#include "game/pack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Game* g = new Game();
  if (size > 65536) return 0;
  std::string packed(reinterpret_cast<const char*>(data), size);
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
