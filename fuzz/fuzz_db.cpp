// Any byte string as damage done to the player's two sound databases (the
// maps and the outbox), which a headless game then opens as it opens them,
// lists and passes over: nothing crashes or hangs, a damaged file is kept
// whole, and what opens in its place is sound and takes the game's rows.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "game/game.h"
#include "game/headless.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "game/paths.h"
#include "online/reliable.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "scratch.h"
#include "util/db.h"
#include "util/http.h"

namespace {
// The outbox's clock stands still, so that what is due depends on the input alone.
constexpr long kNow = 1700000000;
long still_clock() { return kNow; }

enum { USER_DB, OUTBOX_DB, FILES };
const char* const kNames[FILES] = {"userns.db", "reliable.db"};
// A statement the game runs on each database, to show that a mended copy takes its rows.
const char* const kWrites[FILES] = {"insert or replace into levels (id, data) values ('new', 'm')",
                                    "insert or replace into events values ('new', 'web', '{}', 0)"};

std::string read_file(const std::string& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

// The file and whatever SQLite or a mend leaves beside it.
void remove_files(const std::string& path) {
  for (const char* kept : {"", ".bad", ".bad.1", ".salvage"})
    for (const char* side : {"", "-journal", "-wal", "-shm"}) unlink((path + kept + side).c_str());
  unlink((path + ".salvage-lock").c_str());
}

// The per-user folder is the target's own: emptied and removed at exit.
void remove_user_dir() {
  const std::string dir = scratch_dir() + "/user";
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) unlink((dir + "/" + e->d_name).c_str());
    closedir(d);
  }
  rmdir(dir.c_str());
}

// Maps packed by the game's own packer under every kind of stamp SQLite can
// hold, and one row left without its map.
void add_maps(Game* g) {
  const char* stamps[] = {"'1699999000'", "1699990000.5", "'soon'", "x'31373030'", "null"};
  int n = 0;
  for (const char* ts : stamps) {
    memset(static_cast<void*>(&g->level), 0, sizeof g->level);
    for (int i = n; i < MAP_W * MAP_H; i += 5 + n) g->level.map.grid[i] = static_cast<uint8_t>(1 + i % 60);
    snprintf(g->level.map.text[LEVEL_TEXT_TITLE], LEVEL_TEXT_SIZE, "Map %d", n);
    db_query(game_db(GAME_DB_USER),
             std::string("insert into levels values (?, ?, ") + ts + ", ?, 'ada', 'vault')",
             var_list(std::to_string(kNow - 100 + n++), game_pack_level(g), g->level.map.text[LEVEL_TEXT_TITLE]));
  }
  db_query(game_db(GAME_DB_USER), "insert into levels (id, ts, title) values ('old', '1', 'Old')");
}

// Entries due and not, under every kind of stamp (a blob, and a real whose
// text reads back as less, among them), of each name the outbox knows and
// one it does not, with and without the identity they were signed for.
void add_entries(const std::string& path) {
  const char* rows[][2] = {{"web", "null"},       {"web", "1699999000"},    {"web", "1699999990"},
                           {"echo", "1699990000"}, {"web", "1700005000"},    {"web", "1699990000.25"},
                           {"gone", "1"},          {"web", "'soon'"},        {"web", "x'00ff'"},
                           {"web", "4102444800.0000005"}};
  DBWrap db;
  if (!db_open(db, path)) abort();
  int n = 0;
  for (auto& row : rows) {
    char id[33];
    snprintf(id, sizeof id, "%032x", ++n);
    std::string data = n % 2 ? R"({"action":"score","post":{"lid":"1.lev","tm":"4200"}})"
                             : R"({"action":"uscore","post":{"lid":"7"},"identity":{"uid":"u1","name":"ada",)"
                               R"("token":"t0k","udid":"d1"}})";
    db_query(db, std::string("insert into events values (?, ?, ?, ") + row[1] + ")", var_list(id, row[0], data));
  }
}

// The headless game, over the scratch folder, and the sound files as its
// own open made them.
struct Run {
  Game* g;
  std::string paths[FILES], sound[FILES];
  Run() {
    setenv("TUNNELWICK_SERVICE", "127.0.0.1:9", 1);
    g = game_headless_start(scratch_dir(), scratch_dir() + "/user");
    atexit(remove_user_dir);
    game_reliable_set_clock(still_clock);
    for (int k = 0; k < FILES; k++) paths[k] = game_user_path(kNames[k]);
    game_db_close();
    for (const std::string& p : paths) remove_files(p);
    game_db_open(false);
    add_maps(g);
    game_reliable_init(g);
    add_entries(paths[OUTBOX_DB]);
    game_db_close();
    for (int k = 0; k < FILES; k++) sound[k] = read_file(paths[k]);
  }
};

// Each send is answered at once with its receipt, as the service answers.
void answer_sends(Game* g) {
  for (WebRequest* r : web_requests) {
    http_release(r->conn);
    r->conn = http_conn_replay("HTTP/1.0 200 OK\r\nX-Receipt: " + r->receipt + "\r\nX-Response: OK\r\n\r\n");
  }
  web_loop(g);
}
}  // namespace

// The input is edits of three bytes each (a two-byte offset into the two
// files end to end, the byte put there); one or two last bytes cut the
// files in turn, each to that share of it (255 keeps it whole).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Run run;
  if (size > 3000) return 0;
  std::string bytes[FILES] = {run.sound[USER_DB], run.sound[OUTBOX_DB]};
  const size_t first = bytes[USER_DB].size();
  for (size_t i = 0; i + 3 <= size; i += 3) {
    size_t at = (data[i] | data[i + 1] << 8) % (first + bytes[OUTBOX_DB].size());
    (at < first ? bytes[USER_DB][at] : bytes[OUTBOX_DB][at - first]) = static_cast<char>(data[i + 2]);
  }
  for (size_t k = 0; k < size % 3; k++) bytes[k].resize(bytes[k].size() * data[size - size % 3 + k] / 255);
  for (int k = 0; k < FILES; k++) {
    remove_files(run.paths[k]);  // a new file: the outbox still holds the last one open
    put_file(run.paths[k], bytes[k].data(), bytes[k].size());
  }

  // The game's own open, the "My maps" list, and the outbox's pass with the
  // frames that carry it on as sends are answered.
  game_db_open(false);
  game_reliable_init(run.g);
  levels_list();
  game_reliable_loop();
  for (int i = 0; i < 4; i++) {
    answer_sends(run.g);
    game_reliable_frame(run.g);
  }
  web_requests_clear();

  // Damage the quick check cannot see stays in use; a mended file is kept
  // whole and its copy is sound.
  for (int k = 0; k < FILES; k++) {
    std::string kept = read_file(run.paths[k] + ".bad");
    if (kept.empty()) continue;
    DBWrap db;
    var rows;
    if (kept != bytes[k] || !db_open(db, run.paths[k]) ||
        db_query(db, "pragma integrity_check")[0L]["integrity_check"].str() != "ok" ||
        !db_query_checked(db, kWrites[k], var(), rows))
      __builtin_trap();
  }
  game_db_close();
  for (const std::string& p : run.paths) remove_files(p);
  return 0;
}
