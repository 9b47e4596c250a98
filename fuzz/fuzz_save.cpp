// Any byte string as one of the four save files ("state.dat",
// "settings.dat", "lsettings.dat", "progress.dat") read at start-up. The
// first byte picks the file; most inputs are laid into a file of the right
// size and version so that the repairs behind the size check see them.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/save_files.h"
#include "scratch.h"

namespace {

const char* const kNames[] = {"state.dat", "settings.dat", "lsettings.dat", "progress.dat"};

// The file's block: the version word, then the input over and over, so that
// a short input reaches the fields far into a large block too.
std::vector<uint8_t> block_of(size_t size, int32_t version, const uint8_t* data, size_t len) {
  std::vector<uint8_t> b(size, 0);
  memcpy(b.data(), &version, sizeof version);
  for (size_t at = sizeof version; len > 0 && at < size; at += len) memcpy(&b[at], data, std::min(len, size - at));
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Game* g = new Game();
  static Game* fresh = new Game();
  if (size < 1 || size > sizeof(Game) + 16) return 0;
  int which = data[0] & 3;
  bool raw = (data[0] & 0xfc) == 0xfc;
  const uint8_t* body = data + 1;
  size_t len = size - 1;
  memcpy(static_cast<void*>(g), fresh, sizeof(Game));
  std::string path = scratch_dir() + "/" + kNames[which];
  if (raw) {
    put_file(path, body, len);
  } else {
    std::vector<uint8_t> b;
    switch (which) {
      case 0: b = block_of(sizeof(Game), GAME_VERSION, body, len); break;
      case 1: b = block_of(sizeof(Settings), SETTINGS_VERSION, body, len); break;
      case 2: b = block_of(sizeof(LocalSettings), LSETTINGS_VERSION, body, len); break;
      default: b = block_of(sizeof(Progress), PROGRESS_VERSION, body, len); break;
    }
    put_file(path, b.data(), b.size());
  }
  switch (which) {
    case 0:
      if (game_load_state(g, scratch_dir())) {
        // A repaired image needs no more repair.
        static Game* once = new Game();
        memcpy(static_cast<void*>(once), g, sizeof(Game));
        game_sanitize_image(g);
        if (memcmp(once, g, sizeof(Game)) != 0) __builtin_trap();
      }
      break;
    default: {
      // A repaired block, saved and read again, reads back the same.
      which == 3 ? (void)game_load_progress(g, scratch_dir()) : game_load_settings(g, scratch_dir());
      static Game* again = new Game();
      memcpy(static_cast<void*>(again), fresh, sizeof(Game));
      const void* blocks[] = {nullptr, &g->settings, &g->lsettings, &g->progress};
      const void* reread[] = {nullptr, &again->settings, &again->lsettings, &again->progress};
      size_t sizes[] = {0, sizeof(Settings), sizeof(LocalSettings), sizeof(Progress)};
      put_file(path, blocks[which], sizes[which]);
      which == 3 ? (void)game_load_progress(again, scratch_dir()) : game_load_settings(again, scratch_dir());
      if (memcmp(blocks[which], reread[which], sizes[which]) != 0) __builtin_trap();
      break;
    }
  }
  unlink(path.c_str());
  unlink((path + ".bad").c_str());
  return 0;
}
