// The map text files of the campaign and their packed form, the
// 19,488-byte LevelMap of the data directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

constexpr int kMapSize = 19488;
constexpr int kGridOffset = 4;
constexpr int kTextOffset = 16388;
constexpr int kCameraOffset = 18444;
constexpr int kZoomOffset = 18460;
constexpr int kCurrentTileOffset = 18472;
enum TextSlot { SLOT_TITLE = 1, SLOT_INTRO = 2, SLOT_AUTHOR = 3, SLOT_MUSIC = 4, SLOT_PATH = 6, SLOT_NAME = 7 };

struct MapText {
  std::string title, intro, author, music;
  std::vector<std::string> grid;  // rows of legend characters
};

// Parses a map text file; on a fault writes "<file>:<line>: ..." to stderr
// and answers false.
bool map_parse(const std::string& file, const std::string& text, MapText& out);

// Lays the grid out centred in the 128 by 128 grid and fills the fields.
// Fails (with a diagnostic) when a row holds an unknown character, the grid
// does not fit the map band, or there is not exactly one player and one exit.
bool map_pack(const std::string& file, const MapText& m, const std::string& name,
              std::vector<uint8_t>& out);

// zlib stream of the packed map (compress2, level 6).
bool map_compress(const std::vector<uint8_t>& raw, std::vector<uint8_t>& out);

// How many cells of the packed map hold the tile type.
int map_count(const std::vector<uint8_t>& raw, int type);

}  // namespace tw
