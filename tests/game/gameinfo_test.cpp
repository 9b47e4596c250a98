// Game data from "gameinfo.db", the login identity and the version text.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "driver/audio.h"
#include "game/gameinfo.h"
#include "game/game.h"
#include "game/identity.h"
#include "game/tile_info.h"
#include "support/temp_dir.h"
#include "util/db.h"
#include "util/encode.h"

static void make_gameinfo(const std::string& path) {
  DBWrap db;
  ASSERT_TRUE(db_open(db, path));
  db_query(db,
           "create table tiles (type integer primary key, name text, code integer, value integer, "
           "img text, eimg text, dx integer, dy integer, pathable integer, passable integer, "
           "opaque integer, editor integer, sortby integer, pbase text, item text)");
  db_query(db, "insert into tiles values (1, 'wall', 0, 0, 'wall', 'e-wall', 0, 0, 0, 0, 1, 1, 5, 'rock', '')");
  db_query(db, "insert into tiles values (40, 'guard', 3, 258, 'g', '', 0, 0, 1, 1, 0, 1, 50, '', '')");
  db_query(db, "insert into tiles values (41, 'cart', 2, 7, 'c', '', 0, -1, 1, 1, 0, 1, 60, '', 'cartridge')");
  db_query(db, "insert into tiles values (300, 'bad', 0, 0, '', '', 0, 0, 0, 0, 0, 0, 0, '', '')");
  db_query(db,
           "create table levels (number integer primary key, name text, title text, sector integer, "
           "map_x integer, map_y integer, has_lock integer, lock_total integer, has_count integer, "
           "is_final integer, has_jewels integer, total_carts integer, ach1 text, ach2 text, ach3 text)");
  db_query(db, "insert into levels values (1, 'l1', 'First Steps', 1, 10, 20, 0, 0, 1, 0, 1, 3, "
               "'nodeaths', 'cartridges', 'speed')");
  db_query(db, "insert into levels values (2, 'l2', ?, 1, 30, 40, 1, 6, 1, 1, 0, 4, '', '', '')",
           var(std::string(80, 'T')));
  db_query(db, "insert into levels values (64, 'far', 'x', 1, 0, 0, 0, 0, 0, 0, 0, 0, '', '', '')");
  db_query(db, "create table achievements (idx integer primary key, name text, image text, title text, description text)");
  db_query(db, "insert into achievements values (2, 'nodeaths', 'ach-skull', 'Untouched', 'Win without dying')");
  db_query(db, "insert into achievements values (32, 'over', '', '', '')");
  db_query(db, "create table music (name text primary key, volume real)");
  db_query(db, "create table sfx (name text primary key, volume real)");
  db_query(db, "insert into sfx values ('gui-click', 0.25)");
}

TEST(GameInfo, LoadsTilesLevelsAndAchievements) {
  TempDir dir;
  make_gameinfo(dir.file("gameinfo.db"));
  auto g = std::make_unique<Game>();
  // Results of the player survive; static fields are refreshed.
  g->progress.levels[1].best_carts = 2;
  g->progress.levels[1].plays = 5;
  g->progress.levels[1].sector = 7;
  g->progress.levels[9].in_use = 1;  // no longer in the data
  strcpy(g->progress.achs[5].name, "stale");
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(game_load_gameinfo(g.get(), dir.file("gameinfo.db")));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("tile type 300 out of range"), std::string::npos) << log;
  EXPECT_NE(log.find("level number 64 out of range"), std::string::npos) << log;
  EXPECT_NE(log.find("achievement 32 out of range"), std::string::npos) << log;

  EXPECT_STREQ(game_tiles[1].name, "wall");
  EXPECT_EQ(game_tiles[1].opaque, 1);
  EXPECT_STREQ(game_tiles[1].eimg_name, "e-wall");
  EXPECT_STREQ(game_tiles[1].pbase, "rock");
  EXPECT_EQ(game_tiles[40].kind, ENT_GUARD);
  EXPECT_EQ(game_tiles[41].kind, 0);
  EXPECT_EQ(game_tiles[41].dy, -1);
  EXPECT_STREQ(game_tiles[41].item, "cartridge");
  EXPECT_EQ(game_tiles[2].in_use, 0);

  const LevelInfo& l1 = g->progress.levels[1];
  EXPECT_TRUE(l1.in_use);
  EXPECT_STREQ(l1.name, "l1");
  EXPECT_STREQ(l1.title, "First Steps");
  EXPECT_EQ(l1.sector, 1);
  EXPECT_EQ(l1.map_y, 20);
  EXPECT_TRUE(l1.has_jewels);
  EXPECT_EQ(l1.total_carts, 3);
  EXPECT_STREQ(l1.ach[2], "speed");
  EXPECT_EQ(l1.best_carts, 2);
  EXPECT_EQ(l1.plays, 5);
  const LevelInfo& l2 = g->progress.levels[2];
  EXPECT_TRUE(l2.has_lock);
  EXPECT_EQ(l2.lock_total, 6);
  EXPECT_TRUE(l2.is_final);
  EXPECT_EQ(strlen(l2.title), 31u);
  EXPECT_FALSE(g->progress.levels[9].in_use);

  EXPECT_EQ(g->progress.find_ach("nodeaths"), 2);
  EXPECT_EQ(g->progress.find_ach("stale"), 0);
  EXPECT_STREQ(g->progress.achs[2].description, "Win without dying");

  int s = res_sample_load("gui-click");
  if (s > 0) {
    EXPECT_FLOAT_EQ(g_audio.samples[s].volume, 0.25f);
  }
}

TEST(GameInfo, AMissingFileIsReported) {
  TempDir dir;
  auto g = std::make_unique<Game>();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(game_load_gameinfo(g.get(), dir.file("gameinfo.db")));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("missing"), std::string::npos);
}

TEST(Identity, AnonymousAndAccount) {
  auto g = std::make_unique<Game>();

  // Anonymous: a device id is made once and kept.
  ::testing::internal::CaptureStderr();
  game_login_identity(g.get());
  std::string log = ::testing::internal::GetCapturedStderr();
  std::string udid = g->settings.udid;
  ASSERT_NE(udid.find('-'), std::string::npos);
  EXPECT_STREQ(g->settings.id_name, "Anonymous");
  EXPECT_EQ(std::string(g->settings.uid), "a:" + udid);
  EXPECT_EQ(strlen(g->settings.token), 32u);
  EXPECT_EQ(log, "udid:" + udid + ", name:Anonymous, uid:a:" + udid + " token:" +
                     std::string(g->settings.token, 6) + "...\n");
  std::string anon_token = g->settings.token;

  // The account name wins over the device id.
  strcpy(g->settings.name, "walker");
  strcpy(g->settings.passwd, "secret");
  ::testing::internal::CaptureStderr();
  game_login_identity(g.get());
  log = ::testing::internal::GetCapturedStderr();
  EXPECT_STREQ(g->settings.id_name, "walker");
  EXPECT_EQ(log.find(g->settings.token), std::string::npos) << "the token is a credential";
  EXPECT_STREQ(g->settings.uid, "g:walker");
  EXPECT_EQ(std::string(g->settings.token), md5_hex("walker|" + md5_hex(std::string("secret"))));

  // Back to anonymous: the same device id gives the same token.
  g->settings.name[0] = 0;
  ::testing::internal::CaptureStderr();
  game_login_identity(g.get());
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(anon_token, g->settings.token);
}

TEST(Identity, VersionText) {
  auto g = std::make_unique<Game>();
  Game* saved = game_current;
  game_current = g.get();
  g->settings.debug = -1;
  EXPECT_STREQ(game_version(), "1.0.16-Desktop-Win32-Steamworks");
  g->settings.debug = 1;
  EXPECT_STREQ(game_version(), "1.0.16-Desktop-Win32-Steamworks:DEBUG");
  g->settings.debug = 2;
  EXPECT_STREQ(game_version(), "1.0.16-Desktop-Win32-Steamworks");
  game_current = saved;
}
