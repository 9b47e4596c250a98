// The four save files: round trips, and what a damaged file leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <SDL/SDL_keysym.h>

#include "game/game.h"
#include "game/save_files.h"
#include "game/state_table.h"
#include "game/tile_info.h"
#include "support/temp_dir.h"
#include "support/write_faults.h"

static std::unique_ptr<Game> new_game() { return std::make_unique<Game>(); }

TEST(SaveFiles, RoundTripOfAllFourFiles) {
  TempDir dir;
  auto a = new_game();
  a->state = STATE_MENUS_MAIN;
  a->return_menu = STATE_MENUS_MAIN;
  a->settings_return_state = STATE_MENUS_MAIN;
  a->error_return_state = STATE_MENUS_MAIN;
  a->popup_return_state = STATE_MENUS_MAIN;
  a->help_return_state = STATE_MENUS_MAIN;
  strcpy(a->current_level_id, "12.lev");
  a->level.map.grid[300] = 42;
  strcpy(a->settings.name, "walker");
  a->settings.music = 33;
  a->lsettings.vres = (800 << 16) | 600;
  a->progress.levels[4].best_carts = 3;
  a->slots[SLOT_UNDO].len = 10;
  game_save_to(a.get(), dir.path());

  EXPECT_EQ(dir.read("state.dat").size(), sizeof(Game));
  EXPECT_EQ(dir.read("settings.dat").size(), 2260u);
  EXPECT_EQ(dir.read("lsettings.dat").size(), 1024u);
  EXPECT_EQ(dir.read("progress.dat").size(), sizeof(Progress));
  int32_t version;
  memcpy(&version, dir.read("state.dat").data(), 4);
  EXPECT_EQ(version, 8);

  auto b = new_game();
  ASSERT_TRUE(game_load_state(b.get(), dir.path()));
  EXPECT_STREQ(b->current_level_id, "12.lev");
  EXPECT_EQ(b->level.map.grid[300], 42);
  EXPECT_EQ(b->slots[SLOT_UNDO].len, 10);

  auto c = new_game();
  game_load_settings(c.get(), dir.path());
  EXPECT_TRUE(game_load_progress(c.get(), dir.path()));
  EXPECT_STREQ(c->settings.name, "walker");
  EXPECT_EQ(c->settings.music, 33);
  EXPECT_EQ(c->lsettings.vres, (800 << 16) | 600);
  EXPECT_EQ(c->progress.levels[4].best_carts, 3);
}

TEST(SaveFiles, DamagedFilesLeaveTheDefaultsInPlace) {
  TempDir dir;
  auto a = new_game();
  a->settings.music = 55;
  a->progress.current_level = 9;
  game_save_to(a.get(), dir.path());
  std::string state = dir.read("state.dat");
  std::string settings = dir.read("settings.dat");

  auto check_untouched = [&](const char* what) {
    auto b = new_game();
    b->settings.music = 77;
    b->progress.current_level = 2;
    strcpy(b->current_level_id, "keep");
    EXPECT_FALSE(game_load_state(b.get(), dir.path())) << what;
    game_load_settings(b.get(), dir.path());
    EXPECT_FALSE(game_load_progress(b.get(), dir.path())) << what;
    EXPECT_STREQ(b->current_level_id, "keep") << what;
    EXPECT_EQ(b->settings.music, 77) << what;
    EXPECT_EQ(b->progress.current_level, 2) << what;
  };

  // Short files.
  dir.write("state.dat", state.substr(0, 1000));
  dir.write("settings.dat", settings.substr(0, 2259));
  dir.write("progress.dat", "");
  check_untouched("short");
  // Long files.
  dir.write("state.dat", state + "x");
  dir.write("settings.dat", settings + std::string(4096, 'z'));
  dir.write("progress.dat", std::string(sizeof(Progress) * 2, '\0'));
  check_untouched("long");
  // Right size, wrong version word.
  std::string bad = state;
  bad[0] = 7;
  dir.write("state.dat", bad);
  bad = settings;
  bad[0] = 2;
  dir.write("settings.dat", bad);
  dir.write("progress.dat", std::string(sizeof(Progress), '\xff'));
  check_untouched("version");
  // Missing files.
  TempDir empty;
  auto b = new_game();
  EXPECT_FALSE(game_load_state(b.get(), empty.path()));
  EXPECT_FALSE(game_load_progress(b.get(), empty.path()));
}

TEST(SaveFiles, AnImageNeverBringsBackRunTimeFieldsOrUnknownScreens) {
  TempDir dir;
  auto a = new_game();
  a->quit = 1;
  a->run.idle_steps = 999;
  a->run.cursor_hidden = 1;
  a->state = 55;               // no screen has this id
  a->return_menu = -3;
  a->error_return_state = 1000;
  memset(a->current_level_id, 'a', sizeof a->current_level_id);
  memset(a->error_text, 'e', sizeof a->error_text);
  memset(a->popup_text, 'p', sizeof a->popup_text);
  memset(a->settings.name, 'n', sizeof a->settings.name);
  memset(a->progress.achs[1].name, 'q', 32);
  a->level.map.current_tile = -7;
  a->slots[0].len = 1 << 30;
  a->replay.len = -1;
  a->progress.current_level = 5000;
  Entity& e = a->level.entities[0];
  e.kind = ENT_PLAYER;
  e.x = NAN;
  Entity& guard = a->level.entities[1];
  guard.kind = ENT_GUARD;
  guard.x = guard.y = 10.5f;
  guard.path_len = 100000;
  a->level.stats.carts = -5;
  a->level.stats.keycards = 0xff;  // only the three colours, bits 1 to 3, are keycards
  a->level.stats.total_carts = INT32_MAX;
  a->last_deaths = -1;
  a->last_record = PROGRESS_LEVELS;  // one past the records
  a->progress.levels[3].best_carts = INT32_MAX;
  game_save_to(a.get(), dir.path());

  auto b = new_game();
  ASSERT_TRUE(game_load_state(b.get(), dir.path()));
  EXPECT_EQ(b->quit, 0);
  EXPECT_EQ(b->run.idle_steps, 0);
  EXPECT_EQ(b->run.cursor_hidden, 0);
  EXPECT_EQ(b->state, STATE_MENUS_MAIN);
  EXPECT_EQ(b->return_menu, STATE_MENUS_MAIN);
  EXPECT_EQ(b->error_return_state, STATE_MENUS_MAIN);
  EXPECT_EQ(strlen(b->current_level_id), 255u);
  EXPECT_EQ(strlen(b->error_text), 255u);
  EXPECT_EQ(strlen(b->popup_text), 127u);
  EXPECT_EQ(strlen(b->settings.name), 63u);
  EXPECT_EQ(strlen(b->progress.achs[1].name), 31u);
  EXPECT_EQ(b->level.map.current_tile, TILE_NEW_CURRENT);
  EXPECT_EQ(b->slots[0].len, 0);
  EXPECT_EQ(b->replay.len, 0);
  EXPECT_EQ(b->progress.current_level, 0);
  // Records and counts that the world and the screens use.
  EXPECT_EQ(b->level.entities[0].kind, 0);
  EXPECT_EQ(b->level.entities[1].kind, ENT_GUARD);
  EXPECT_EQ(b->level.entities[1].path_len, 0);
  EXPECT_EQ(b->level.stats.carts, 0);
  EXPECT_EQ(b->level.stats.keycards, 0xe);
  EXPECT_EQ(b->last_record, 0);
  EXPECT_LT(b->level.stats.total_carts, 1 << 25);
  EXPECT_EQ(b->last_deaths, 0);
  EXPECT_LT(b->progress.levels[3].best_carts * 64LL, INT32_MAX);
}

TEST(SaveFiles, SettingsTextsAreTerminatedAndStrayKeysResetWhenRead) {
  TempDir dir;
  auto a = new_game();
  a->settings.version = SETTINGS_VERSION;
  memset(a->settings.passwd, 's', sizeof a->settings.passwd);
  memset(a->settings.token, 't', sizeof a->settings.token);
  a->settings.keys[ACT_UP] = SDLK_w;
  a->settings.keys[ACT_BOMB] = 0x7fffffff;
  a->settings.keys[ACT_ESCAPE] = -5;
  a->settings.keys[ACT_LEFT] = SDLK_LAST;
  dir.write("settings.dat", std::string(reinterpret_cast<char*>(&a->settings), sizeof a->settings));
  auto b = new_game();
  game_load_settings(b.get(), dir.path());
  EXPECT_EQ(strlen(b->settings.passwd), 63u);
  EXPECT_EQ(strlen(b->settings.token), 255u);
  EXPECT_EQ(b->settings.keys[ACT_UP], SDLK_w);
  EXPECT_EQ(b->settings.keys[ACT_BOMB], SDLK_x);
  EXPECT_EQ(b->settings.keys[ACT_ESCAPE], SDLK_ESCAPE);
  EXPECT_EQ(b->settings.keys[ACT_LEFT], SDLK_LEFT);
}

TEST(SaveFiles, VolumeSetToZeroSurvivesARestart) {
  TempDir dir;
  auto a = new_game();
  settings_defaults(&a->settings);
  a->settings.music = 0;
  a->settings.sfx = 0;
  game_save_to(a.get(), dir.path());
  auto b = new_game();
  game_load_settings(b.get(), dir.path());
  settings_defaults(&b->settings);
  EXPECT_EQ(b->settings.music, 0);
  EXPECT_EQ(b->settings.sfx, 0);
}

// A save that cannot be written answers false, says so once per file, and
// leaves that file as it was; the files that can be written still are.
TEST(SaveFiles, AFailedSaveIsReportedAndKeepsTheOldFiles) {
  TempDir dir;
  auto g = new_game();
  g->settings.music = 11;
  ASSERT_TRUE(game_save_to(g.get(), dir.path()));
  const char* names[] = {"state.dat", "settings.dat", "lsettings.dat", "progress.dat"};
  std::string old[4];
  for (int i = 0; i < 4; i++) old[i] = dir.read(names[i]);
  // One of them cannot be replaced (a folder stands in its place for the
  // while): the save says so and keeps that file, and writes the others all
  // the same.
  for (int bad = 0; bad < 4; bad++) {
    g->settings.music = 30 + bad;
    g->lsettings.vres = 40 + bad;
    g->progress.current_level = 1 + bad;
    std::string file = dir.file(names[bad]), aside = file + ".aside";
    ASSERT_EQ(rename(file.c_str(), aside.c_str()), 0);
    ASSERT_EQ(mkdir(file.c_str(), 0700), 0);
    dir.write(std::string(names[bad]) + "/in", "x");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(game_save_to(g.get(), dir.path())) << names[bad];
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find(dir.file(names[bad])), std::string::npos) << log;
    unlink((file + "/in").c_str());
    rmdir(file.c_str());
    ASSERT_EQ(rename(aside.c_str(), file.c_str()), 0);
    for (int i = 0; i < 4; i++) {
      std::string now = dir.read(names[i]);
      EXPECT_EQ(now == old[i], i == bad) << names[i] << " with " << names[bad] << " refused";
      old[i] = now;
    }
  }
  g->settings.music = 22;
  g->progress.current_level = 3;
  // A full disk: the whole image does not fit, the small blocks do.
  {
    FileSizeCap full(sizeof(Game) / 2);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(game_save_to(g.get(), dir.path()));
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  }
  EXPECT_EQ(dir.read("state.dat"), old[0]);
  auto b = new_game();
  game_load_settings(b.get(), dir.path());
  EXPECT_TRUE(game_load_progress(b.get(), dir.path()));
  EXPECT_EQ(b->settings.music, 22);
  EXPECT_EQ(b->progress.current_level, 3);
}

TEST(SaveFiles, FilesWithThePasswordAreThePlayersOnly) {
  TempDir dir;
  // Left by an older run: world-readable files and a stale temporary file.
  for (const char* name : {"settings.dat", "state.dat", "settings.dat.tmp"}) {
    dir.write(name, "x");
    chmod(dir.file(name).c_str(), 0644);
  }
  auto a = new_game();
  strcpy(a->settings.passwd, "secret");
  game_save_to(a.get(), dir.path());
  for (const char* name : {"settings.dat", "state.dat"}) {
    struct stat st;
    ASSERT_EQ(stat(dir.file(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
  }
}

TEST(SaveFiles, AnUnreadableFileIsKeptBesideTheNewOne) {
  TempDir dir;
  std::string old_bytes(sizeof(Progress), '\x07');  // a version word of another build
  dir.write("progress.dat", old_bytes);
  auto g = new_game();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(game_load_progress(g.get(), dir.path()));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find(dir.file("progress.dat.bad")), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  game_save_to(g.get(), dir.path());
  EXPECT_EQ(dir.read("progress.dat.bad"), old_bytes);
  EXPECT_EQ(dir.read("progress.dat").size(), sizeof(Progress));
  auto b = new_game();
  EXPECT_TRUE(game_load_progress(b.get(), dir.path()));
}
