// Writes "gameinfo.db" and "main.db".
#pragma once
#include <string>
#include <vector>

namespace tw {

struct LevelRow {
  int number = 0, sector = 0, map_x = 0, map_y = 0;
  int has_lock = 0, lock_total = 0, has_count = 1, is_final = 0, has_jewels = 0, total_carts = 0;
  std::string name, title, author, ach[3];
  std::vector<unsigned char> packed;  // the zlib stream of the map
};

struct VolumeRow {
  std::string table;  // "music" or "sfx"
  std::string name;
  double volume;
};

bool write_gameinfo(const std::string& path, const std::vector<LevelRow>& levels,
                    const std::vector<VolumeRow>& volumes);
bool write_maindb(const std::string& path, const std::vector<LevelRow>& levels);

}  // namespace tw
