// The packed forms of the level: the LevelMap alone (map files, the levels
// table, built-in levels, the web) and the whole Level (save slots).
#pragma once
#include <string>

struct Game;

enum { PACKED_MAP_MAX = 65536 };

// The LevelMap compressed with zlib at level 6 (an RFC 1950 stream), at most
// PACKED_MAP_MAX bytes; empty, with a diagnostic, when zlib fails.
std::string game_pack_level(Game* g);
// Inflates a packed map into the Level. On success the whole Level is zeroed
// first and only the LevelMap part of the stream is kept, checked with
// level_map_sanitize. A stream that does not inflate, or inflates to more
// than a Level, leaves the Level untouched and answers false.
bool game_unpack_level(Game* g, const std::string& packed);
