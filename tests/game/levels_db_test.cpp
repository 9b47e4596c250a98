// The player's map table and the built-in map files, on real SQLite files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include <cstring>
#include <ctime>
#include <memory>

#include "game/game.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "game/paths.h"
#include "support/temp_dir.h"
#include "support/write_faults.h"
#include "util/db.h"

namespace {

struct LevelsDb : ::testing::Test {
  TempDir data, user;
  std::unique_ptr<Game> g = std::make_unique<Game>();
  void SetUp() override {
    game_set_dirs(data.path(), user.path());
    game_db_open(false);
  }
  void TearDown() override {
    game_db_close();
    game_set_dirs("", "");
  }
  void make_map(const char* title) {
    memset(static_cast<void*>(&g->level), 0, sizeof(Level));
    for (int i = 0; i < MAP_W * MAP_H; i++) g->level.map.grid[i] = (i * 7) % 120;
    strcpy(g->level.map.text[LEVEL_TEXT_TITLE], title);
    strcpy(g->level.map.text[LEVEL_TEXT_AUTHOR], "ada");
    strcpy(g->level.map.text[LEVEL_TEXT_NAME], "vault");
    g->level.map.changes = 31;
  }
  var row(const char* id) {
    return db_query(game_db(GAME_DB_USER), "select * from levels where id = ?", var(id))[0];
  }
};

}  // namespace

TEST_F(LevelsDb, TheTableIsCreatedInTheRightFile) {
  EXPECT_TRUE(user.read("userns.db").size() > 0);
  var cols = db_query(game_db(GAME_DB_USER), "select id, data, ts, title, author, name from levels");
  EXPECT_EQ(cols.len(), 0u);
  EXPECT_EQ(game_db(7).db, nullptr);
  // Opening again keeps the rows.
  db_query(game_db(GAME_DB_USER), "insert into levels (id) values (?)", var("1"));
  game_db_close();
  game_db_open(false);
  EXPECT_EQ(db_query(game_db(GAME_DB_USER), "select id from levels").len(), 1u);
}

// A new map's row holds the whole map from the start, as a save writes it; a
// load brings it back with bit 7 of every tile cleared; a delete, nothing.
TEST_F(LevelsDb, SaveLoadAndDelete) {
  make_map("Deep Vault");
  ASSERT_TRUE(levels_create(g.get(), game_pack_level(g.get())));
  const std::string id = g->current_level_id;
  auto expect_stored = [&](const char* what) {
    var r = row(id.c_str());
    for (auto [col, slot] : {std::pair{"title", LEVEL_TEXT_TITLE}, {"author", LEVEL_TEXT_AUTHOR}, {"name", LEVEL_TEXT_NAME}})
      EXPECT_EQ(r[col].str(), g->level.map.text[slot]) << what << " " << col;
    EXPECT_NEAR(r["ts"].num(), static_cast<double>(time(nullptr)), 5) << what;
    EXPECT_EQ(r["data"].str(), game_pack_level(g.get())) << what;
  };
  expect_stored("created");
  for (int slot : {LEVEL_TEXT_TITLE, LEVEL_TEXT_AUTHOR, LEVEL_TEXT_NAME}) sprintf(g->level.map.text[slot], "edit %d", slot);
  for (uint8_t& t : g->level.map.grid) t |= 0x80;  // as the world may leave them
  EXPECT_TRUE(levels_save(g.get()));
  expect_stored("saved");

  auto copy = std::make_unique<LevelMap>(g->level.map);
  for (uint8_t& t : copy->grid) t &= 0x7f;
  make_map("other");
  ASSERT_TRUE(levels_load(g.get(), game_db(GAME_DB_USER)));
  EXPECT_EQ(memcmp(copy.get(), &g->level.map, sizeof(LevelMap)), 0);

  EXPECT_TRUE(levels_delete(g.get()) && levels_delete(g.get()));  // none there is no failure
  EXPECT_FALSE(levels_load(g.get(), game_db(GAME_DB_USER)));
  EXPECT_EQ(db_query(game_db(GAME_DB_USER), "select id from levels").len(), 0u);
}

// Ids held (by another copy of the game, say) are passed over to the next
// free second; a map that is not there to store leaves no row.
TEST_F(LevelsDb, ANewMapTakesTheNextFreeIdAndNeverLeavesARowWithoutItsMap) {
  long long now = static_cast<long long>(time(nullptr));
  for (long long held : {now, now + 1, now + 2, now + 4})
    db_query(game_db(GAME_DB_USER), "insert into levels (id, data) values (?, 'theirs')", var(std::to_string(held)));
  make_map("mine");
  for (long long expected : {now + 3, now + 5}) {
    ASSERT_TRUE(levels_create(g.get(), game_pack_level(g.get())));
    EXPECT_EQ(g->current_level_id, std::to_string(expected));
  }
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(levels_create(g.get(), ""));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(g->current_level_id, std::to_string(now + 5));
  EXPECT_EQ(db_query(game_db(GAME_DB_USER), "select id from levels").len(), 6u);
}

TEST_F(LevelsDb, ABadRowFailsAndKeepsTheLevel) {
  db_query(game_db(GAME_DB_USER), "insert into levels (id, data) values (?, ?)",
           var_list("9", "garbage"));
  strcpy(g->current_level_id, "9");
  make_map("kept");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(levels_load(g.get(), game_db(GAME_DB_USER)));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("1loading failed!\n"), std::string::npos);
  EXPECT_STREQ(g->level.map.text[LEVEL_TEXT_TITLE], "kept");

  // Saving a row that does not exist changes nothing, and says it failed.
  strcpy(g->current_level_id, "nope");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(levels_save(g.get()));
  log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("no map nope in " + user.file("userns.db")), std::string::npos) << log;
  EXPECT_EQ(db_query(game_db(GAME_DB_USER), "select id from levels").len(), 1u);
}

// A save or a delete that the database refuses answers false with SQLite's
// reason and the database's path in one line, and the stored map stays.
TEST_F(LevelsDb, ARefusedWriteIsReportedAndKeepsTheStoredMap) {
  db_query(game_db(GAME_DB_USER), "insert into levels (id) values (?)", var("5"));
  strcpy(g->current_level_id, "5");
  make_map("stored");
  ASSERT_TRUE(levels_save(g.get()));
  std::string stored = row("5")["data"].str();
  make_map("edited");
  auto expect_refused = [&](const char* what, const char* reason) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(levels_save(g.get())) << what;
    EXPECT_FALSE(levels_delete(g.get())) << what;
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4) << what << ": " << log;  // "saving", "deleting", one each
    EXPECT_NE(log.find(reason), std::string::npos) << what << ": " << log;
    EXPECT_NE(log.find(user.file("userns.db")), std::string::npos) << what << ": " << log;
    EXPECT_EQ(row("5")["data"].str(), stored) << what;
  };
  {
    // Another connection holds the write lock past the busy timeout.
    DBWrap other;
    ASSERT_TRUE(db_open(other, user.file("userns.db")));
    var rows;
    ASSERT_TRUE(db_query_checked(other, "begin immediate", var(), rows));
    expect_refused("locked", "database is locked");
    db_query(other, "rollback");
  }
  {
    // The database's folder is gone from its path: no journal can be made
    // beside it (as a folder without write permission would refuse it).
    std::string moved = user.path() + ".away";
    ASSERT_EQ(rename(user.path().c_str(), moved.c_str()), 0);
    expect_refused("no journal", "readonly database");
    EXPECT_EQ(rename(moved.c_str(), user.path().c_str()), 0);
  }
  {
    // The journal cannot grow: the disk is full.
    FileSizeCap full(512);
    expect_refused("full disk", "disk I/O error");
  }
  // A database that refuses writes, as a read-only file does.
  db_query(game_db(GAME_DB_USER), "pragma query_only = on");
  expect_refused("read-only", "readonly database");
  // Nor is a new row made: the map keeps its id.
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(levels_create(g.get(), game_pack_level(g.get())));
  ::testing::internal::GetCapturedStderr();
  EXPECT_STREQ(g->current_level_id, "5");
  EXPECT_EQ(db_query(game_db(GAME_DB_USER), "select id from levels").len(), 1u);
}

TEST_F(LevelsDb, HostileTextsInARowAreHarmless) {
  // An id of 300 characters in the Game field is cut, never overrun.
  db_query(game_db(GAME_DB_USER), "insert into levels (id) values (?)", var(std::string(255, '7')));
  game_text_set(g->current_level_id, sizeof g->current_level_id, std::string(300, '7').c_str());
  make_map("t");
  levels_save(g.get());
  EXPECT_TRUE(levels_load(g.get(), game_db(GAME_DB_USER)));
}

TEST_F(LevelsDb, BuiltInMapFiles) {
  make_map("Level One");
  std::string packed = game_pack_level(g.get());
  data.write("1.lev", packed);
  data.write("empty.lev", "");
  data.write("bad.lev", "xxxx");
  make_map("before");

  strcpy(g->current_level_id, "1.lev");
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(level_load_file(g.get()));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "main:loading: 1.lev\n");
  EXPECT_STREQ(g->level.map.text[LEVEL_TEXT_TITLE], "Level One");

  const char* cases[][2] = {{"missing.lev", "0main"}, {"empty.lev", "0main"},
                            {"bad.lev", "1main"}, {"../1.lev", "0main"}};
  for (auto& c : cases) {
    strcpy(g->current_level_id, c[0]);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(level_load_file(g.get())) << c[0];
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(std::string(c[1]) + ":loading failed!\n"), std::string::npos) << log;
  }
  EXPECT_STREQ(g->level.map.text[LEVEL_TEXT_TITLE], "Level One");
}
