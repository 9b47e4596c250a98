// The player's campaign progress, saved as "progress.dat" (an image of this
// block). The static parts of the level and achievement records come from
// "gameinfo.db" at every start; the results are the player's.
//
//   offset   size        field
//        0   16          version, current_level, current_sector, max_sector
//       16   48          reserved
//       64   64 x 512    LevelInfo records (index = level number)
//   32,832   32 x 160    AchInfo records (index 1..31 in use)
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum {
  PROGRESS_VERSION = 1,
  PROGRESS_LEVELS = 64,
  PROGRESS_ACHS = 32,
  PROGRESS_SECTORS = 8,
  LEVEL_HISTORY = 8,
};

// One finished run of a level.
struct RunRecord {
  int32_t valid;
  int32_t time_cs;
  int32_t deaths;
  int32_t carts;
  int32_t jewels;
  int32_t crystal_pct;
  int32_t cheat;
  int32_t when;  // seconds since the epoch
};
static_assert(sizeof(RunRecord) == 32, "RunRecord is 32 bytes");

struct LevelInfo {
  uint8_t in_use, has_lock, has_count, is_final, has_jewels;
  uint8_t pad[3];
  int32_t number, map_x, map_y, sector;
  char name[32];  // the map's base name: "%s.map"
  int32_t total_carts;
  int32_t unlocked;  // 1 once opened
  int32_t best_carts;
  RunRecord history[LEVEL_HISTORY];  // newest first
  uint8_t earned[PROGRESS_ACHS];     // one per achievement index
  int32_t plays;                     // wins
  int32_t sector_carts;
  int32_t lock_total;
  int32_t best_crystal_pct;
  char ach[3][32];  // names of the level's three achievements
  char title[32];   // shown on the sector map
  uint8_t reserved[12];
};
static_assert(sizeof(LevelInfo) == 512, "LevelInfo is 512 bytes");

struct AchInfo {
  char name[32];
  char image[32];
  char title[32];
  char description[64];
};
static_assert(sizeof(AchInfo) == 160, "AchInfo is 160 bytes");

struct Progress {
  int32_t version;
  int32_t current_level;
  int32_t current_sector;
  int32_t max_sector;
  uint8_t reserved[48];
  LevelInfo levels[PROGRESS_LEVELS];
  AchInfo achs[PROGRESS_ACHS];

  // The index 1..31 of the achievement record in use whose name equals name;
  // 0 when none matches.
  int find_ach(const char* name) const;
};
static_assert(sizeof(Progress) == 37952, "Progress is 37,952 bytes");
static_assert(offsetof(Progress, levels) == 64, "level records offset");
static_assert(offsetof(Progress, achs) == 32832, "achievement records offset");

// Terminates every text field and brings the indexes into range.
void progress_sanitize(Progress* p);

// Centiseconds as "%d:%02d.%02d" (minutes, seconds, hundredths); a negative
// time prints as "-" and the same of its absolute value.
std::string format_time_cs(int cs);
