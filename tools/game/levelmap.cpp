// Parses the campaign's map text files and packs and compresses them into the game's map records.
#include "game/levelmap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <zlib.h>

#include "game/tiles.h"

namespace tw {

namespace {

void put_i32(std::vector<uint8_t>& b, int off, int32_t v) {
  uint32_t u = uint32_t(v);
  for (int i = 0; i < 4; ++i) b[off + i] = uint8_t(u >> (8 * i));
}

void put_f32(std::vector<uint8_t>& b, int off, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  put_i32(b, off, int32_t(u));
}

bool put_text(const std::string& file, std::vector<uint8_t>& b, int slot, const std::string& s) {
  if (s.size() > 255) {
    std::fprintf(stderr, "map_pack(): %s: text for slot %d is longer than 255 bytes\n", file.c_str(), slot);
    return false;
  }
  std::memcpy(&b[kTextOffset + 256 * slot], s.data(), s.size());
  return true;
}

std::string trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(a, e - a + 1);
}

}  // namespace

bool map_parse(const std::string& file, const std::string& text, MapText& out) {
  out = MapText();
  bool in_grid = false;
  int line_no = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(pos, nl - pos);
    pos = nl + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (in_grid) {
      if (!line.empty()) out.grid.push_back(line);
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos) {
      std::fprintf(stderr, "%s:%d: expected \"key: value\"\n", file.c_str(), line_no);
      return false;
    }
    std::string key = trim(line.substr(0, colon)), val = trim(line.substr(colon + 1));
    if (key == "title") out.title = val;
    else if (key == "intro") out.intro = out.intro.empty() ? val : out.intro + " " + val;
    else if (key == "author") out.author = val;
    else if (key == "music") out.music = val;
    else if (key == "grid") in_grid = true;
    else {
      std::fprintf(stderr, "%s:%d: unknown key \"%s\"\n", file.c_str(), line_no, key.c_str());
      return false;
    }
  }
  if (out.grid.empty()) {
    std::fprintf(stderr, "%s: no grid\n", file.c_str());
    return false;
  }
  return true;
}

bool map_pack(const std::string& file, const MapText& m, const std::string& name, std::vector<uint8_t>& out) {
  out.assign(kMapSize, 0);
  int h = int(m.grid.size()), w = 0;
  for (const std::string& r : m.grid) w = std::max(w, int(r.size()));
  if (w > 124 || h > 124) {
    std::fprintf(stderr, "map_pack(): %s: grid %dx%d exceeds 124x124\n", file.c_str(), w, h);
    return false;
  }
  int x0 = 64 - w / 2, y0 = 64 - h / 2;
  int players = 0, exits = 0, px = 64, py = 64;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      char c = x < int(m.grid[y].size()) ? m.grid[y][x] : ' ';
      int t = c == ' ' ? 0 : tile_for_legend(c);
      if (t < 0) {
        std::fprintf(stderr, "map_pack(): %s: unknown tile character '%c' in row %d\n", file.c_str(), c, y + 1);
        return false;
      }
      const TileDef* d = tile_def(t);
      if (d && d->value == KIND_PLAYER) { ++players; px = x0 + x; py = y0 + y; }
      if (d && d->value == KIND_EXIT) ++exits;
      out[kGridOffset + (y0 + y) * 128 + (x0 + x)] = uint8_t(t);
    }
  }
  if (players != 1 || exits != 1) {
    std::fprintf(stderr, "map_pack(): %s: needs one player and one exit, has %d and %d\n", file.c_str(), players, exits);
    return false;
  }
  if (!put_text(file, out, SLOT_TITLE, m.title) || !put_text(file, out, SLOT_INTRO, m.intro) ||
      !put_text(file, out, SLOT_AUTHOR, m.author) || !put_text(file, out, SLOT_MUSIC, m.music) ||
      !put_text(file, out, SLOT_NAME, name))
    return false;
  // The view opens on the player, as the editor would leave it.
  put_f32(out, kCameraOffset, float(px));
  put_f32(out, kCameraOffset + 4, float(py));
  put_f32(out, kCameraOffset + 8, 20.0f);
  put_f32(out, kCameraOffset + 12, 20.0f);
  put_f32(out, kZoomOffset, 1.0f);
  put_i32(out, kCurrentTileOffset, 1);
  return true;
}

bool map_compress(const std::vector<uint8_t>& raw, std::vector<uint8_t>& out) {
  uLongf len = compressBound(uLong(raw.size()));
  out.resize(len);
  if (compress2(out.data(), &len, raw.data(), uLong(raw.size()), 6) != Z_OK) {
    std::fprintf(stderr, "map_compress(): zlib fail\n");
    return false;
  }
  out.resize(len);
  return true;
}

int map_count(const std::vector<uint8_t>& raw, int type) {
  int n = 0;
  for (int i = 0; i < 128 * 128; ++i) n += raw[kGridOffset + i] == type;
  return n;
}

}  // namespace tw
