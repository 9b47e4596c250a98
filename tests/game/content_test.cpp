// The game core over the content that the tools build: gameinfo.db and the
// campaign's map files must load as the game reads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "game/game.h"
#include "game/gameinfo.h"
#include "game/levels_db.h"
#include "game/paths.h"
#include "game/tile_info.h"

TEST(Content, EveryCampaignMapLoads) {
  std::string data = TW_DATA_DIR;
  // The content is built with the tests: missing content is a failure.
  FILE* f = fopen((data + "/gameinfo.db").c_str(), "rb");
  ASSERT_NE(f, nullptr) << "no built content in " << data;
  fclose(f);
  game_set_dirs(data, data);
  auto g = std::make_unique<Game>();
  ASSERT_TRUE(game_load_gameinfo(g.get(), data + "/gameinfo.db"));
  EXPECT_TRUE(game_tiles[TILE_NEW_CURRENT].in_use);
  EXPECT_TRUE(game_tiles[TILE_FLOOR].in_use);
  EXPECT_TRUE(game_tiles[TILE_OUTSIDE].in_use);

  int levels = 0;
  for (const LevelInfo& l : g->progress.levels) {
    if (!l.in_use) continue;
    levels++;
    EXPECT_GE(l.sector, 1);
    EXPECT_LE(l.sector, PROGRESS_SECTORS);
    for (const auto& a : l.ach) {
      if (!a[0]) continue;
      EXPECT_NE(g->progress.find_ach(a), 0) << l.name << ": " << a;
    }
    snprintf(g->current_level_id, sizeof g->current_level_id, "%s.map", l.name);
    ::testing::internal::CaptureStderr();
    bool ok = level_load_file(g.get());
    ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ok) << g->current_level_id;
    int inside = 0;
    for (int y = MAP_MIN; y <= MAP_MAX; y++)
      for (int x = MAP_MIN; x <= MAP_MAX; x++) {
        int t = tile_at_or(x, y, g->level.map.grid, TILE_OUTSIDE);
        ASSERT_TRUE(game_tiles[t].in_use) << l.name << " tile " << t << " at " << x << "," << y;
        inside += t != TILE_OUTSIDE;
      }
    EXPECT_GT(inside, 0) << l.name << " loaded as an empty map";
  }
  EXPECT_GT(levels, 0);
  game_set_dirs("", "");
}
