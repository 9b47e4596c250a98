// tw_mkgame: packs the campaign maps and writes the game's static data.
//
//   tw_mkgame <campaign.txt> <maps dir> <volumes.tsv> <data dir>
//
// Writes "<name>.map" for every level, "gameinfo.db", "main.db" and
// "alpha.dat" into the data directory.
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "common/out.h"
#include "game/gamedb.h"
#include "game/levelmap.h"
#include "game/tiles.h"

using namespace tw;

namespace {

bool read_campaign(const std::string& path, std::vector<LevelRow>& rows) {
  std::string text;
  if (!read_file(path, text)) return false;
  std::istringstream in(text);
  std::string line;
  int line_no = 0;
  while (std::getline(in, line)) {
    ++line_no;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ls(line);
    LevelRow r;
    int lock = 0;
    if (!(ls >> r.number >> r.sector >> r.map_x >> r.map_y >> lock >> r.has_count >> r.is_final >> r.name >>
          r.ach[0] >> r.ach[1] >> r.ach[2])) {
      std::fprintf(stderr, "%s:%d: expected number sector x y lock count final name ach1 ach2 ach3\n",
                   path.c_str(), line_no);
      return false;
    }
    if (r.number != int(rows.size()) + 1 || r.number > 63 || r.sector < 1 || r.sector > 8) {
      std::fprintf(stderr, "%s:%d: levels must be numbered 1, 2, ... (at most 63) in sectors 1 to 8\n",
                   path.c_str(), line_no);
      return false;
    }
    r.has_lock = lock > 0;
    r.lock_total = lock;
    rows.push_back(r);
  }
  return true;
}

bool read_volumes(const std::string& path, std::vector<VolumeRow>& rows) {
  std::string text;
  if (!read_file(path, text)) return false;
  std::istringstream in(text);
  VolumeRow v;
  while (in >> v.table >> v.name >> v.volume) rows.push_back(v);
  return true;
}

// A 64 by 64 light fall-off mask: 255 in the middle, 0 at the rim.
std::string alpha_mask() {
  std::string out(64 * 64, '\0');
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      float dx = (x + 0.5f - 32) / 32, dy = (y + 0.5f - 32) / 32;
      float d = std::sqrt(dx * dx + dy * dy);
      float a = d >= 1 ? 0 : (1 - d) * (1 - d) * (1 + 2 * d);
      out[y * 64 + x] = char(int(std::lround(a * 255)));
    }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: tw_mkgame <campaign.txt> <maps dir> <volumes.tsv> <data dir>\n");
    return 2;
  }
  std::string maps = argv[2], out = argv[4];
  std::vector<LevelRow> levels;
  std::vector<VolumeRow> volumes;
  if (!make_dirs(out) || !read_campaign(argv[1], levels) || !read_volumes(argv[3], volumes)) return 1;
  for (LevelRow& l : levels) {
    std::string file = maps + "/" + l.name + ".txt", text;
    MapText m;
    std::vector<uint8_t> raw;
    if (!read_file(file, text) || !map_parse(file, text, m) || !map_pack(file, m, l.name, raw) ||
        !map_compress(raw, l.packed))
      return 1;
    l.title = m.title;
    l.author = m.author;
    l.total_carts = map_count(raw, tile_for_legend('c'));
    l.has_jewels = map_count(raw, tile_for_legend('j')) > 0;
    if (!write_file(out + "/" + l.name + ".map", l.packed.data(), l.packed.size())) return 1;
  }
  if (!write_gameinfo(out + "/gameinfo.db", levels, volumes) || !write_maindb(out + "/main.db", levels) ||
      !write_file(out + "/alpha.dat", alpha_mask()))
    return 1;
  return 0;
}
