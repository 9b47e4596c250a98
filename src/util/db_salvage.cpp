// Keeps a damaged database of the player's aside and carries what can still be read of it into a new one.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "util/atomic_file.h"
#include "util/db.h"
#include "util/error.h"

namespace {
// A damaged file may still hold the player's login token or maps.
constexpr mode_t kKeptMode = 0600;
constexpr size_t kWhyMax = 160;
// Files SQLite keeps beside a database, which belong to it alone.
const char* const kSidecars[] = {"-journal", "-wal", "-shm"};

struct Tally {
  bool schema_read = false;
  long rows = 0;
  int tables = 0;
  int unreadable = 0;  // parts of tables (or whole tables) that could not be read
};

int primary(int rc) { return rc & 0xff; }

// True, with SQLite's reason, when the open database cannot be read whole:
// not a database, cut short, or a page that is not what the file's
// structure says. A busy or locked database is not damaged.
bool damaged(sqlite3* db, std::string* why) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, "pragma quick_check", -1, &st, nullptr);
  std::string said;
  int rows = 0;
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    if ((rc = sqlite3_step(st)) != SQLITE_ROW) break;
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    std::string line = text ? text : "";
    if (rows++ == 0 && line == "ok") continue;
    if (line.rfind("***", 0) == 0) continue;  // "*** in database main ***"
    if (!said.empty()) said += "; ";
    said += line;
  }
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) {
    if (primary(rc) != SQLITE_CORRUPT && primary(rc) != SQLITE_NOTADB) return false;
    said = sqlite3_errmsg(db);
  } else if (rows == 1 && said.empty()) {
    return false;
  }
  for (char& c : said)
    if (c == '\n') c = ' ';
  *why = said.substr(0, kWhyMax);
  return true;
}

std::string quoted(const std::string& name) {
  std::string q = "\"";
  for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

bool run(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

bool step_reads(sqlite3_stmt* read, sqlite3_int64 after) {
  sqlite3_reset(read);
  sqlite3_bind_int64(read, 1, after);
  int rc = sqlite3_step(read);
  return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

// After a failure past rowid *after, finds the least rowid from which the
// table reads again: the search doubles its stride until a read succeeds,
// then halves back to the edge of the unreadable part. False when nothing
// past it reads.
bool skip_unreadable(sqlite3_stmt* read, sqlite3_int64* after) {
  uint64_t lo = static_cast<uint64_t>(*after), hi = 0, stride = 1;
  const uint64_t top = static_cast<uint64_t>(INT64_MAX);
  auto reads = [&](uint64_t x) { return step_reads(read, static_cast<sqlite3_int64>(x)); };
  for (;;) {
    hi = (top - lo) <= stride ? top : lo + stride;  // unsigned: lo may stand for a negative rowid
    if (reads(hi)) break;
    if (hi == top) return false;
    lo = hi;
    stride *= 2;
  }
  while (hi - lo > 1) {
    uint64_t mid = lo + (hi - lo) / 2;
    (reads(mid) ? hi : lo) = mid;
  }
  *after = static_cast<sqlite3_int64>(hi);
  return true;
}

// Copies the readable rows of one table, with their rowids, going past the
// parts that cannot be read when the table has rowids.
void copy_rows(sqlite3* from, sqlite3* to, const std::string& table, Tally& t) {
  std::string q = quoted(table);
  sqlite3_stmt* read = nullptr;
  bool by_rowid = sqlite3_prepare_v2(from, ("select rowid, * from " + q + " where rowid > ? order by rowid").c_str(),
                                     -1, &read, nullptr) == SQLITE_OK;
  if (!by_rowid) {
    sqlite3_finalize(read);
    read = nullptr;
    if (sqlite3_prepare_v2(from, ("select * from " + q).c_str(), -1, &read, nullptr) != SQLITE_OK) {
      sqlite3_finalize(read);
      t.unreadable++;
      return;
    }
  }
  int cols = sqlite3_column_count(read);
  std::string names, marks;
  for (int c = 0; c < cols; ++c) {
    names += (c ? ", " : "") + quoted(sqlite3_column_name(read, c));
    marks += c ? ", ?" : "?";
  }
  sqlite3_stmt* write = nullptr;
  if (sqlite3_prepare_v2(to, ("insert into " + q + " (" + names + ") values (" + marks + ")").c_str(), -1, &write,
                         nullptr) != SQLITE_OK) {
    sqlite3_finalize(write);
    sqlite3_finalize(read);
    t.unreadable++;
    return;
  }
  sqlite3_int64 after = INT64_MIN;
  if (by_rowid) sqlite3_bind_int64(read, 1, after);
  for (;;) {
    int rc;
    while ((rc = sqlite3_step(read)) == SQLITE_ROW) {
      if (by_rowid) after = sqlite3_column_int64(read, 0);
      for (int c = 0; c < cols; ++c) sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
      if (sqlite3_step(write) == SQLITE_DONE) t.rows++;
      sqlite3_reset(write);
    }
    if (rc == SQLITE_DONE) break;
    t.unreadable++;
    if (!by_rowid || !skip_unreadable(read, &after)) break;
    sqlite3_reset(read);
    sqlite3_bind_int64(read, 1, after);
  }
  sqlite3_finalize(write);
  sqlite3_finalize(read);
}

// Makes every table of from's schema in to and copies its readable rows,
// then its indexes, views and triggers where they still fit. False when the
// copy could not be written.
bool copy_database(sqlite3* from, sqlite3* to, Tally& t) {
  // Lets SQLite read a file cut shorter than its header says, up to where
  // it ends; nothing is written to the damaged file.
  run(from, "pragma writable_schema = on");
  sqlite3_stmt* st = nullptr;
  std::vector<std::pair<std::string, std::string>> tables, others;
  int rc = sqlite3_prepare_v2(from,
                              "select type, name, sql from sqlite_master where sql is not null and "
                              "name not like 'sqlite\\_%' escape '\\' order by rowid",
                              -1, &st, nullptr);
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    if ((rc = sqlite3_step(st)) != SQLITE_ROW) break;
    auto text = [&](int c) {
      const char* s = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
      return std::string(s ? s : "");
    };
    (text(0) == "table" ? tables : others).emplace_back(text(1), text(2));
  }
  sqlite3_finalize(st);
  t.schema_read = rc == SQLITE_DONE;
  if (!t.schema_read) tables.clear(), others.clear();
  if (!run(to, "begin")) return false;
  for (auto& [name, sql] : tables) {
    if (!run(to, sql)) {
      t.unreadable++;
      continue;
    }
    t.tables++;
    copy_rows(from, to, name, t);
  }
  for (auto& other : others) run(to, other.second);
  return run(to, "commit");
}

void remove_with_sidecars(const std::string& path) {
  std::remove(path.c_str());
  for (const char* s : kSidecars) std::remove((path + s).c_str());
}

// Moves the damaged file and its journal aside as "<path>.bad"; false, with
// the reason in *note, when it cannot be moved.
bool keep_aside(const std::string& path, const std::string& bad, std::string* note) {
  remove_with_sidecars(bad);
  std::string why;
  if (!file_keep_aside(path, bad, kKeptMode, &why)) {
    *note = "it cannot be kept as " + bad + ": " + why;
    return false;
  }
  if (!why.empty()) *note = " (it cannot be made private: " + why + ")";
  for (const char* s : kSidecars) file_keep_aside(path + s, bad + s, kKeptMode, &why);
  return true;
}
}  // namespace

bool db_open_salvaging(DBWrap& db, const std::string& path, const std::vector<std::string>&) {
  if (!db_open(db, path)) return false;
  std::string why;
  if (!damaged(db.db, &why)) return true;

  // The copy is made beside the damaged file and takes its place only once
  // whole, so a run cut short meets the damaged file again next time.
  const std::string bad = path + ".bad", fresh = path + ".salvage";
  remove_with_sidecars(fresh);
  Tally t;
  DBWrap to;
  bool swapped = db_open(to, fresh) && copy_database(db.db, to.db, t);
  std::string note = swapped ? "" : "no new database could be written";
  db_close(to);
  db_close(db);
  struct stat st;
  if (swapped && stat(path.c_str(), &st) == 0) chmod(fresh.c_str(), st.st_mode & 0777);
  swapped = swapped && keep_aside(path, bad, &note);
  if (swapped && rename(fresh.c_str(), path.c_str()) != 0) {
    note = std::string("the new database cannot take its place: ") + strerror(errno);
    rename(bad.c_str(), path.c_str());
    swapped = false;
  }
  if (!swapped) {
    remove_with_sidecars(fresh);
    tk_error("DatabaseError: db_open: %s cannot be read whole (%s); %s, so it is used as it is", path.c_str(),
             why.c_str(), note.c_str());
    return db_open(db, path);
  }
  char what[128];
  if (t.schema_read)
    snprintf(what, sizeof what, "%ld rows of %d tables copied, %d unreadable parts left behind", t.rows, t.tables,
             t.unreadable);
  else
    snprintf(what, sizeof what, "nothing of it could be read");
  tk_error("DatabaseError: db_open: %s cannot be read whole (%s); kept as %s%s, and a new database holds what "
           "could be read: %s",
           path.c_str(), why.c_str(), bad.c_str(), note.c_str(), what);
  return db_open(db, path);
}
