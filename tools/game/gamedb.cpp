// Builds the game's static database (tile types, levels, achievements) and the main level database.
#include "game/gamedb.h"

#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>

#include "game/tiles.h"

namespace tw {

namespace {

struct AchDef {
  int idx;
  const char *name, *image, *title, *description;
};

const AchDef kAchievements[] = {
  {1, "nodeaths", "ach-nodeaths", "Untouchable", "Finish the level without dying once."},
  {2, "cartridges", "ach-cartridges", "Collector", "Pick up every cartridge in the level."},
  {3, "jewels", "ach-jewels", "Jeweller", "Pick up every jewel in the level."},
};

// One prepared statement at a time; every failure is reported and stops the
// database being written.
class Db {
 public:
  explicit Db(const std::string& path) : path_(path) {
    unlink(path.c_str());
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
      std::fprintf(stderr, "Db(): cannot open %s: %s\n", path.c_str(), sqlite3_errmsg(db_));
      ok_ = false;
    }
  }
  ~Db() { sqlite3_close(db_); }
  bool ok() const { return ok_; }
  void exec(const char* sql) {
    if (!ok_) return;
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
      std::fprintf(stderr, "Db::exec(): %s: %s\n", path_.c_str(), err ? err : "?");
      ok_ = false;
    }
    sqlite3_free(err);
  }
  // Binds ints, texts and blobs in order and runs the statement once.
  struct Arg {
    enum { INT, REAL, TEXT, BLOB } kind;
    long long i = 0;
    double r = 0;
    std::string s;
    Arg(int v) : kind(INT), i(v) {}
    Arg(double v) : kind(REAL), r(v) {}
    Arg(const char* v) : kind(TEXT), s(v) {}
    Arg(const std::string& v) : kind(TEXT), s(v) {}
    Arg(const std::vector<unsigned char>& v) : kind(BLOB), s(v.begin(), v.end()) {}
  };
  void run(const char* sql, std::initializer_list<Arg> args) {
    if (!ok_) return;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "Db::run(): %s: %s\n", path_.c_str(), sqlite3_errmsg(db_));
      ok_ = false;
      return;
    }
    int n = 1;
    for (const Arg& a : args) {
      if (a.kind == Arg::INT) sqlite3_bind_int64(st, n, a.i);
      else if (a.kind == Arg::REAL) sqlite3_bind_double(st, n, a.r);
      else if (a.kind == Arg::TEXT) sqlite3_bind_text(st, n, a.s.data(), int(a.s.size()), SQLITE_TRANSIENT);
      else sqlite3_bind_blob(st, n, a.s.data(), int(a.s.size()), SQLITE_TRANSIENT);
      ++n;
    }
    if (sqlite3_step(st) != SQLITE_DONE) {
      std::fprintf(stderr, "Db::run(): %s: %s\n", path_.c_str(), sqlite3_errmsg(db_));
      ok_ = false;
    }
    sqlite3_finalize(st);
  }

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
  bool ok_ = true;
};

}  // namespace

bool write_gameinfo(const std::string& path, const std::vector<LevelRow>& levels,
                    const std::vector<VolumeRow>& volumes) {
  Db db(path);
  db.exec("PRAGMA journal_mode=OFF; BEGIN;");
  db.exec(
      "CREATE TABLE tiles (type INTEGER PRIMARY KEY, name TEXT, code INTEGER, value INTEGER,"
      " img TEXT, eimg TEXT, dx INTEGER, dy INTEGER, pathable INTEGER, passable INTEGER,"
      " opaque INTEGER, editor INTEGER, sortby INTEGER, pbase TEXT, item TEXT);"
      "CREATE TABLE levels (number INTEGER PRIMARY KEY, name TEXT, title TEXT, sector INTEGER,"
      " map_x INTEGER, map_y INTEGER, has_lock INTEGER, lock_total INTEGER, has_count INTEGER,"
      " is_final INTEGER, has_jewels INTEGER, total_carts INTEGER, ach1 TEXT, ach2 TEXT, ach3 TEXT);"
      "CREATE TABLE achievements (idx INTEGER PRIMARY KEY, name TEXT, image TEXT, title TEXT,"
      " description TEXT);"
      "CREATE TABLE music (name TEXT PRIMARY KEY, volume REAL);"
      "CREATE TABLE sfx (name TEXT PRIMARY KEY, volume REAL);");
  const char* tile_sql = "INSERT INTO tiles VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
  for (int t = 0; t < 256; ++t) {
    const TileDef* d = tile_def(t);
    if (d) {
      db.run(tile_sql, {t, d->name, d->code, d->value, d->img, d->eimg, d->dx, d->dy, d->pathable,
                        d->passable, d->opaque, d->editor, d->sortby, d->pbase, d->item});
    } else {
      // Unused types behave like solid rock and are never offered.
      db.run(tile_sql, {t, "", 0, 0, "", "", 0, 0, 0, 0, 1, 0, -1, "", ""});
    }
  }
  for (const LevelRow& l : levels)
    db.run("INSERT INTO levels VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
           {l.number, l.name, l.title, l.sector, l.map_x, l.map_y, l.has_lock, l.lock_total, l.has_count,
            l.is_final, l.has_jewels, l.total_carts, l.ach[0], l.ach[1], l.ach[2]});
  for (const AchDef& a : kAchievements)
    db.run("INSERT INTO achievements VALUES (?,?,?,?,?)", {a.idx, a.name, a.image, a.title, a.description});
  for (const VolumeRow& v : volumes) {
    std::string sql = "INSERT INTO " + std::string(v.table == "music" ? "music" : "sfx") + " VALUES (?,?)";
    db.run(sql.c_str(), {v.name, v.volume});
  }
  db.exec("COMMIT;");
  return db.ok();
}

bool write_maindb(const std::string& path, const std::vector<LevelRow>& levels) {
  Db db(path);
  db.exec("PRAGMA journal_mode=OFF; BEGIN;");
  db.exec("CREATE TABLE levels (id TEXT PRIMARY KEY, data BLOB, ts TEXT, title TEXT, author TEXT, name TEXT);");
  for (const LevelRow& l : levels)
    db.run("INSERT INTO levels VALUES (?,?,?,?,?,?)", {l.name + ".map", l.packed, "0", l.title, l.author, l.name});
  db.exec("COMMIT;");
  return db.ok();
}

}  // namespace tw
