// Opens the game's databases and lists, saves, loads, creates and deletes the player's maps in them.
#include "game/levels_db.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "driver/audio.h"
#include "game/game.h"
#include "game/pack.h"
#include "game/paths.h"
#include "util/db.h"

static DBWrap g_dbs[GAME_DB_COUNT];
static DBWrap g_no_db;
static const char kLevelsTable[] =
    "create table if not exists levels (id text primary key, data blob, ts text, title text, author text, name text)";

DBWrap& game_db(int index) {
  if (index < 0 || index >= GAME_DB_COUNT) return g_no_db;
  return g_dbs[index];
}

bool game_db_open(bool steam_user) {
  std::string main_db = game_data_path("main.db");
  if (FILE* f = fopen(main_db.c_str(), "rb")) {
    fclose(f);
    db_open(g_dbs[GAME_DB_MAIN], main_db);
  }
  bool ok = db_open_salvaging(g_dbs[GAME_DB_USER], game_user_path(steam_user ? "user.db" : "userns.db"), {kLevelsTable});
  var rows;
  ok = ok && db_query_checked(g_dbs[GAME_DB_USER], kLevelsTable, var(), rows);
  // The game makes nothing in it: a damaged one is kept aside and a new
  // one made.
  db_open_salvaging(g_dbs[GAME_DB_SHARED], game_user_path("shared.db"), {});
  return ok;
}

void game_db_close() {
  for (DBWrap& db : g_dbs) db_close(db);
}

// The values of a map's row as levels_save and levels_create write them,
// in the order of their statements, the id still to follow.
static var map_row_values(Game* g, const std::string& packed) {
  char ts[32];
  snprintf(ts, sizeof ts, "%ld", (long)time(nullptr));
  const LevelMap& m = g->level.map;
  return var_list(packed, ts, std::string(m.text[LEVEL_TEXT_TITLE]), std::string(m.text[LEVEL_TEXT_AUTHOR]),
                  std::string(m.text[LEVEL_TEXT_NAME]));
}

var levels_list() {
  return db_query(game_db(GAME_DB_USER),
                  "select id,title from levels where length(data) > 0 order by cast(ts as integer) desc");
}

bool levels_save(Game* g) {
  fprintf(stderr, "saving: %s\n", g->current_level_id);
  std::string packed = game_pack_level(g);
  if (packed.empty()) return false;  // keep the stored map rather than blank it
  DBWrap& db = game_db(GAME_DB_USER);
  var args = map_row_values(g, packed);
  args.append(std::string(g->current_level_id));
  var rows;
  if (!db_query_checked(db, "update levels set data = ?, ts = ?, title = ?, author = ?, name = ? where id = ?", args,
                        rows))
    return false;
  if (db_changes(db) == 0) {
    fprintf(stderr, "levels_save: no map %s in %s, nothing saved\n", g->current_level_id, db.path.c_str());
    return false;
  }
  return true;
}

bool levels_load(Game* g, DBWrap& db) {
  fprintf(stderr, "loading: %s\n", g->current_level_id);
  var rows = db_query(db, "select * from levels where id = ?", var(g->current_level_id));
  if (rows.len() == 0) {
    fprintf(stderr, "0loading failed!\n");
    return false;
  }
  if (!game_unpack_level(g, rows[0]["data"].str())) {
    fprintf(stderr, "1loading failed!\n");
    return false;
  }
  for (int y = MAP_MIN; y <= MAP_MAX; y++)
    for (int x = MAP_MIN; x <= MAP_MAX; x++) g->level.map.grid[y * MAP_W + x] &= 0x7f;
  return true;
}

bool levels_delete(Game* g) {
  fprintf(stderr, "deleting: %s\n", g->current_level_id);
  var rows;
  return db_query_checked(game_db(GAME_DB_USER), "delete from levels where id = ?", var(g->current_level_id), rows);
}

bool levels_create(Game* g, const std::string& packed) {
  DBWrap& db = game_db(GAME_DB_USER);
  if (packed.empty()) {
    fprintf(stderr, "levels_create: the map does not pack, nothing stored in %s\n", db.path.c_str());
    return false;
  }
  var args = map_row_values(g, packed);
  args.append(var());
  enum { TRIES = 1000 };
  long long id = static_cast<long long>(time(nullptr));
  for (int i = 0; i < TRIES; i++, id++) {
    char text[32];
    snprintf(text, sizeof text, "%lld", id);
    args.set(static_cast<long>(args.len()) - 1, var(text));
    // An id another map holds (made this second, perhaps by another copy
    // of the game) inserts nothing, and the next id is tried; any other
    // failure ends the search.
    var rows;
    if (!db_query_checked(db,
                          "insert into levels (data, ts, title, author, name, id) values (?, ?, ?, ?, ?, ?) "
                          "on conflict (id) do nothing",
                          args, rows))
      break;
    if (db_changes(db) == 0) continue;
    game_text_set(g->current_level_id, sizeof g->current_level_id, text);
    return true;
  }
  fprintf(stderr, "levels_create: no new map row could be inserted in %s\n", db.path.c_str());
  return false;
}

bool level_load_file(Game* g) {
  fprintf(stderr, "main:loading: %s\n", g->current_level_id);
  std::string bytes;
  // The id names a file inside the data directory, never a path.
  if (strchr(g->current_level_id, '/') ||
      !game_read_file(game_data_path(g->current_level_id), &bytes, 1 << 20) || bytes.empty()) {
    fprintf(stderr, "0main:loading failed!\n");
    return false;
  }
  if (!game_unpack_level(g, bytes)) {
    fprintf(stderr, "1main:loading failed!\n");
    return false;
  }
  return true;
}

void level_music(Game* g) {
  const char* music = game_text_terminate(g->level.map.text[LEVEL_TEXT_MUSIC], LEVEL_TEXT_SIZE);
  for (int i = 1; i <= 6; i++) {
    char name[16];
    snprintf(name, sizeof name, "mus-play%d", i);
    if (strcmp(music, name) == 0) {
      music_play(name);
      return;
    }
  }
  music_play("");
}
