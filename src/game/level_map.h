// The map part of a level: the tile grid, its texts and the editor's words.
// Map files, the "data" column of the player's levels table and the built-in
// "%s.map" files all hold this record zlib-packed, so its layout is fixed
// byte for byte (integers and floats little-endian):
//
//   offset  size        field
//        0  4           leading word (0)
//        4  128 x 128   tile-type bytes, row-major (cell x, y at 4 + y*128 + x)
//   16,388  8 x 256     text slots (see LEVEL_TEXT_*)
//   18,436  4           change counter
//   18,440  4           change count at the last full win of a play-test
//   18,444  16          camera: centre x, centre y (cells), two view floats
//   18,460  4           zoom (0 reads as 1.0 in the editor)
//   18,464  4           change count at the last share
//   18,468  4           over-limit flag
//   18,472  4           the editor's current tile
//   18,476  1,012       reserved, zero
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum {
  MAP_W = 128,
  MAP_H = 128,
  // Only cells MAP_MIN..MAP_MAX in each direction belong to the map.
  MAP_MIN = 2,
  MAP_MAX = 125,
  // What every read outside the band yields: solid rock.
  TILE_OUTSIDE = 16,
  // A new map's current tile and the floor a new map is filled with.
  TILE_NEW_CURRENT = 1,
  TILE_FLOOR = 2,
};

// Text slots of the map.
enum {
  LEVEL_TEXT_TITLE = 1,
  LEVEL_TEXT_INTRO = 2,
  LEVEL_TEXT_AUTHOR = 3,
  LEVEL_TEXT_MUSIC = 4,
  LEVEL_TEXT_PATH = 6,  // path of the map's last export or import
  LEVEL_TEXT_NAME = 7,
  LEVEL_TEXT_COUNT = 8,
  LEVEL_TEXT_SIZE = 256,
};

struct LevelMap {
  int32_t lead;
  uint8_t grid[MAP_W * MAP_H];
  char text[LEVEL_TEXT_COUNT][LEVEL_TEXT_SIZE];
  int32_t changes;        // edits since the map was created
  int32_t win_changes;    // change count at the last full win of a play-test
  float camera[4];        // centre x, centre y, then two view floats
  float zoom;
  int32_t share_changes;  // change count at the last share
  int32_t over_limit;     // set by the editor while the map breaks a limit
  int32_t current_tile;   // the tile type that the editor's tools place
  uint8_t reserved[1012];
};

static_assert(sizeof(LevelMap) == 19488, "LevelMap is 19,488 bytes");
static_assert(offsetof(LevelMap, grid) == 4, "grid offset");
static_assert(offsetof(LevelMap, text) == 16388, "text slots offset");
static_assert(offsetof(LevelMap, changes) == 18436, "change counter offset");
static_assert(offsetof(LevelMap, win_changes) == 18440, "win count offset");
static_assert(offsetof(LevelMap, camera) == 18444, "camera offset");
static_assert(offsetof(LevelMap, zoom) == 18460, "zoom offset");
static_assert(offsetof(LevelMap, share_changes) == 18464, "share count offset");
static_assert(offsetof(LevelMap, over_limit) == 18468, "over-limit offset");
static_assert(offsetof(LevelMap, current_tile) == 18472, "current tile offset");

// The grid byte at (x, y), or def when x or y lies outside MAP_MIN..MAP_MAX.
int tile_at_or(int x, int y, const uint8_t* grid, int def);

// Makes a map that came from outside (a file, a database row, the web, a
// save file) safe to use: every text slot ends with a NUL, the current tile
// stays within 0..255, the camera is finite and its centre within a map's
// width of the grid, and the zoom is finite and within 1/64..64 (anything
// else becomes 1.0; 0 stays, the editor reads it as 1.0). With strip_bit7
// the tile bytes also lose bit 7, which only the world sets while a level
// runs.
void level_map_sanitize(LevelMap* m, bool strip_bit7 = true);

// Copies src into the fixed-size text field dst of cap bytes, cut to cap - 1
// characters, the rest of the field zero-filled.
void game_text_set(char* dst, size_t cap, const char* src);
// The text of a fixed-size field of cap bytes: up to its first NUL, or all
// cap bytes when it has none.
std::string game_text_get(const char* field, size_t cap);
// Makes sure the fixed-size text field ends with a NUL; answers dst.
char* game_text_terminate(char* dst, size_t cap);
