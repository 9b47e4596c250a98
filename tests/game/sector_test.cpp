// sector_tally on hand-built progress.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>

#include "game/game.h"
#include "game/paths.h"
#include "game/sector.h"
#include "support/temp_dir.h"

namespace {

struct SectorTally : ::testing::Test {
  TempDir dir;
  std::unique_ptr<Game> g = std::make_unique<Game>();
  void SetUp() override {
    game_set_dirs(dir.path(), dir.path());
    g->progress.current_sector = 1;
    g->progress.max_sector = 1;
  }
  void TearDown() override { game_set_dirs("", ""); }
  LevelInfo& level(int i, int sector, int y, int carts, int best, int plays) {
    LevelInfo& l = g->progress.levels[i];
    l.in_use = 1;
    l.number = i;
    l.sector = sector;
    l.map_y = y;
    l.has_count = 1;
    l.total_carts = carts;
    l.best_carts = best;
    l.plays = plays;
    return l;
  }
  std::string tally() {
    ::testing::internal::CaptureStderr();
    sector_tally(g.get());
    return ::testing::internal::GetCapturedStderr();
  }
};

}  // namespace

TEST_F(SectorTally, LogsEachSectorAndSaves) {
  level(1, 1, 100, 3, 2, 1);
  level(2, 1, 200, 4, 0, 0);
  LevelInfo& lock = level(3, 1, 300, 5, 0, 0);
  lock.has_lock = 1;
  lock.lock_total = 10;
  g->progress.current_level = 1;
  std::string log = tally();
  EXPECT_NE(log.find("sector: [2/7] 1 / 2 / 3\n"), std::string::npos) << log;
  EXPECT_NE(log.find("sector: [0/0] 0 / 0 / 0\n"), std::string::npos) << log;
  EXPECT_NE(log.find("sectors: max:1 cur:1\n"), std::string::npos) << log;
  EXPECT_EQ(lock.sector_carts, 2);
  EXPECT_EQ(lock.unlocked, 0);
  // First win of level 1: the selection moves to the lowest unwon level.
  EXPECT_EQ(g->progress.current_level, 2);
  // What is stored is the tally's outcome, not the progress before it.
  std::string stored = dir.read("progress.dat"), state = dir.read("state.dat");
  ASSERT_EQ(stored.size(), sizeof(Progress));
  ASSERT_EQ(state.size(), sizeof(Game));
  EXPECT_EQ(std::memcmp(stored.data(), &g->progress, sizeof(Progress)), 0);
  EXPECT_EQ(std::memcmp(state.data() + offsetof(Game, progress), &g->progress, sizeof(Progress)), 0);
}

TEST_F(SectorTally, LocksOpenAndTheNextSectorFollows) {
  level(1, 1, 100, 3, 3, 2);
  level(2, 1, 200, 4, 4, 1);
  LevelInfo& lock = level(3, 1, 50, 5, 0, 0);
  lock.has_lock = 1;
  lock.has_count = 0;
  lock.lock_total = 7;
  level(10, 2, 100, 2, 0, 0);
  g->progress.current_level = 1;  // won twice: the selection stays
  std::string log = tally();
  EXPECT_EQ(lock.unlocked, 1);
  EXPECT_EQ(lock.sector_carts, 7);
  EXPECT_EQ(g->progress.max_sector, 2);
  EXPECT_EQ(g->progress.current_sector, 2);
  EXPECT_EQ(g->progress.current_level, 1);
  EXPECT_NE(log.find("sector: [7/7] 2 / 2 / 3\n"), std::string::npos) << log;
  EXPECT_NE(log.find("sectors: max:2 cur:2\n"), std::string::npos) << log;
}

TEST_F(SectorTally, AFreshlyOpenedLockBecomesTheNextLevel) {
  level(1, 1, 100, 3, 3, 1);
  LevelInfo& lock = level(2, 1, 10, 5, 0, 0);
  lock.has_lock = 1;
  lock.lock_total = 3;
  level(3, 1, 400, 1, 0, 0);
  g->progress.current_level = 1;
  tally();
  // Level 3 was remembered first, but the lock that opened replaces it.
  EXPECT_EQ(g->progress.current_level, 2);
  // Nothing won in sector 2 or later: max stays.
  EXPECT_EQ(g->progress.max_sector, 1);
}

TEST_F(SectorTally, LevelsOfEarlierSectorsAreNotRemembered) {
  level(1, 1, 500, 1, 0, 0);
  level(9, 2, 100, 1, 1, 1);
  level(10, 2, 50, 1, 0, 0);
  g->progress.current_level = 9;
  tally();
  EXPECT_EQ(g->progress.current_level, 10);
}
