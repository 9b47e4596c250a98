// Keeps a player's database that cannot be used aside and carries what can still be read of it into a new one.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "util/atomic_file.h"
#include "util/db.h"
#include "util/db_internal.h"
#include "util/error.h"

std::string db_lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

std::string db_quoted(const std::string& name) {
  std::string q = "\"";
  for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

bool db_rows_of(sqlite3* db, const std::string& sql, std::vector<std::vector<std::string>>* rows,
                const std::vector<std::string>& args, int* rc_out) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  for (size_t i = 0; rc == SQLITE_OK && i < args.size(); i++)
    rc = sqlite3_bind_text(st, static_cast<int>(i) + 1, args[i].c_str(), -1, SQLITE_TRANSIENT);
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    if ((rc = sqlite3_step(st)) != SQLITE_ROW) break;
    std::vector<std::string> row;
    for (int c = 0; c < sqlite3_column_count(st); c++) {
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
      row.push_back(text ? text : "");
    }
    rows->push_back(row);
  }
  sqlite3_finalize(st);
  if (rc_out) *rc_out = rc;
  return rc == SQLITE_DONE;
}

namespace {
// A damaged file may still hold the player's login token or maps.
constexpr mode_t kKeptMode = 0600;
constexpr size_t kWhyMax = 160;
// Files SQLite keeps beside a database, which belong to it alone: they go
// where it goes, and never stay beside the copy that takes its place (a
// journal would be played back into it).
const std::vector<std::string> kSidecars = {"-journal", "-wal", "-shm"};
// The copy is made here; a leftover is a copy of a file still in place.
constexpr char kCopyEnding[] = ".salvage";
// One copy of the game mends a file at a time, holding this beside it.
constexpr char kLockEnding[] = ".salvage-lock";
constexpr int kLockTries = 16;
constexpr int kLockPollMs = 10;
// Names a damaged table may give its own columns; the first it leaves
// free reads the rowid.
const char* const kRowidNames[] = {"rowid", "_rowid_", "oid"};
// The least bytes a row takes in a file (its cell and the cell's place in
// the page), and what one search past a damaged part may read.
constexpr long kLeastRowBytes = 4;
constexpr long kSearchReads = 2 * 64;

struct Tally {
  long rows = 0;
  int tables = 0;
  int unreadable = 0;  // parts of tables (or whole tables) that could not be read
  long unstored = 0;   // rows the new database refused (a key read twice)
};

int primary(int rc) { return rc & 0xff; }

bool run(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

// True, with SQLite's reason, when the open database cannot be read whole:
// its quick check answers anything but one row "ok" (not a database, cut
// short, a page or an index that is not what the file's structure says,
// a format SQLite does not read). A busy or locked database is not damaged.
bool damaged(sqlite3* db, std::string* why) {
  std::vector<std::vector<std::string>> rows;
  int rc;
  // The file's CHECK expressions are its own code, which may take any time
  // on every row: they are left out of the check.
  run(db, "pragma ignore_check_constraints = on");
  bool read = db_rows_of(db, "pragma quick_check", &rows, {}, &rc);
  const std::string said = read ? "" : sqlite3_errmsg(db);
  run(db, "pragma ignore_check_constraints = off");
  if (!read) {
    // A file in use, a short read or a lack of memory pass; anything else
    // (damage, not a database, a format no reader takes) stays.
    for (int passing : {SQLITE_BUSY, SQLITE_LOCKED, SQLITE_NOMEM, SQLITE_IOERR, SQLITE_INTERRUPT, SQLITE_CANTOPEN,
                        SQLITE_FULL, SQLITE_PERM})
      if (primary(rc) == passing) return false;
    *why = said;
  } else if (rows.size() == 1 && rows[0].size() == 1 && rows[0][0] == "ok") {
    return false;
  } else {
    why->clear();
    for (auto& row : rows) *why += (why->empty() ? "" : "; ") + (row.empty() ? std::string() : row[0]);
  }
  for (char& c : *why)
    if (c == '\n') c = ' ';
  why->resize(std::min(why->size(), kWhyMax));
  return true;
}

// Reads from a rowid on: a read that fails at its first row cannot start there.
bool reads_from(sqlite3_stmt* read, sqlite3_int64 from) {
  sqlite3_reset(read);
  sqlite3_bind_int64(read, 1, from);
  int rc = sqlite3_step(read);
  return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

// After a read failed at *from (the first rowid not yet read), finds the
// least rowid past it from which the table reads again: the search doubles its
// stride until a read succeeds, then halves back to the edge of the
// unreadable part. False when nothing past it reads. Rowids are searched
// as offsets from the least one, so that negative ones order right.
bool skip_unreadable(sqlite3_stmt* read, sqlite3_int64* from) {
  constexpr uint64_t kSign = uint64_t{1} << 63;
  auto reads = [&](uint64_t u) { return reads_from(read, static_cast<sqlite3_int64>(u ^ kSign)); };
  uint64_t bad = static_cast<uint64_t>(*from) ^ kSign, good = 0, stride = 1;
  for (;;) {
    good = UINT64_MAX - bad <= stride ? UINT64_MAX : bad + stride;
    if (reads(good)) break;
    if (good == UINT64_MAX) return false;
    bad = good;
    stride *= 2;
  }
  while (good - bad > 1) {
    uint64_t mid = bad + (good - bad) / 2;
    (reads(mid) ? good : bad) = mid;
  }
  *from = static_cast<sqlite3_int64>(good ^ kSign);
  return true;
}

// The columns of a table, in lower case.
std::set<std::string> columns_of(sqlite3* db, const std::string& table) {
  std::vector<std::vector<std::string>> rows;
  db_rows_of(db, "pragma table_info(" + db_quoted(table) + ")", &rows);
  std::set<std::string> out;
  for (auto& r : rows)
    if (r.size() > 1) out.insert(db_lower(r[1]));
  return out;
}

// A row the new database refuses for its own sake: a key the damaged file
// held twice, a value of the wrong kind for its column.
bool refused_row(int rc) { return primary(rc) == SQLITE_CONSTRAINT || primary(rc) == SQLITE_MISMATCH; }

// Copies the readable rows of one table of the game's into the new database,
// by the names of its columns, going past the parts that cannot be read.
// Only an ordinary table of the damaged file is read, and at most reads
// rows of it (a damaged page can make the same bytes read as rows without
// end). False when the new
// database could not be written.
bool copy_rows(sqlite3* from, sqlite3* to, const std::string& table, long reads, Tally& t) {
  std::vector<std::vector<std::string>> kind;
  sqlite3_stmt* look = nullptr;
  // Bound, not spliced: the name is the game's, the answer the file's.
  bool plain = false;
  if (sqlite3_prepare_v2(from, "select sql from sqlite_master where type = 'table' and name = ? collate nocase", -1,
                         &look, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(look, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(look) == SQLITE_ROW) {
      const char* sql = reinterpret_cast<const char*>(sqlite3_column_text(look, 0));
      plain = sql && db_lower(std::string(sql).substr(0, 13)) == "create table ";
    }
  }
  sqlite3_finalize(look);
  t.tables++;
  if (!plain) return true;  // none there (or a view or a virtual table): nothing of it to keep
  std::set<std::string> theirs = columns_of(from, table);
  std::vector<std::string> cols;
  std::vector<std::vector<std::string>> ours;
  db_rows_of(to, "pragma table_info(" + db_quoted(table) + ")", &ours);
  for (auto& r : ours)
    if (r.size() > 1 && theirs.count(db_lower(r[1]))) cols.push_back(r[1]);
  if (cols.empty()) return true;
  std::string names, marks, rowid;
  for (size_t c = 0; c < cols.size(); ++c) {
    names += (c ? ", " : "") + db_quoted(cols[c]);
    marks += c ? ", ?" : "?";
  }
  for (const char* r : kRowidNames)
    if (rowid.empty() && !theirs.count(r)) rowid = r;
  const std::string q = db_quoted(table);
  sqlite3_stmt* read = nullptr;
  bool by_rowid = !rowid.empty() &&
                  sqlite3_prepare_v2(from, ("select " + rowid + ", " + names + " from " + q + " where " + rowid +
                                            " >= ? order by " + rowid).c_str(),
                                     -1, &read, nullptr) == SQLITE_OK;
  if (!by_rowid) {
    sqlite3_finalize(read);
    read = nullptr;
    if (sqlite3_prepare_v2(from, ("select " + names + " from " + q).c_str(), -1, &read, nullptr) != SQLITE_OK) {
      sqlite3_finalize(read);
      t.unreadable++;
      return true;
    }
  }
  sqlite3_stmt* write = nullptr;
  if (sqlite3_prepare_v2(to, ("insert into " + q + " (" + names + ") values (" + marks + ")").c_str(), -1, &write,
                         nullptr) != SQLITE_OK) {
    sqlite3_finalize(write);
    sqlite3_finalize(read);
    return false;
  }
  const int skip = by_rowid ? 1 : 0;
  sqlite3_int64 next = INT64_MIN;  // the first rowid not yet read
  bool last_read = false, written = true;
  long budget = reads;
  if (by_rowid) sqlite3_bind_int64(read, 1, next);
  for (;;) {
    int rc = SQLITE_DONE;
    while (written && budget-- > 0 && (rc = sqlite3_step(read)) == SQLITE_ROW) {
      if (by_rowid) {
        // A damaged tree may give rowids out of order, or the same rows
        // again after a search: the read only ever moves on.
        sqlite3_int64 id = sqlite3_column_int64(read, 0);
        if (id < next || last_read) continue;
        last_read = id == INT64_MAX;
        if (!last_read) next = id + 1;
      }
      for (size_t c = 0; c < cols.size(); ++c)
        sqlite3_bind_value(write, static_cast<int>(c) + 1, sqlite3_column_value(read, static_cast<int>(c) + skip));
      int w = sqlite3_step(write);
      sqlite3_reset(write);
      if (w == SQLITE_DONE)
        t.rows++;
      else if (refused_row(w))
        t.unstored++;
      else
        written = false;
    }
    if (!written || rc == SQLITE_DONE) break;
    t.unreadable++;
    budget -= kSearchReads;
    if (budget <= 0 || !by_rowid || last_read || !skip_unreadable(read, &next)) break;
    sqlite3_reset(read);
    sqlite3_bind_int64(read, 1, next);
  }
  sqlite3_finalize(write);
  sqlite3_finalize(read);
  return written;
}

// Makes the new database from the game's schema alone and copies into each
// of its tables what the damaged file's table of that name still holds, in
// one transaction. False when any of it could not be written.
bool copy_database(sqlite3* from, sqlite3* to, const std::vector<std::string>& schema, long reads, Tally& t) {
  // Lets SQLite read a file cut shorter than its header says, up to where
  // it ends; the connection only reads.
  run(from, "pragma writable_schema = on");
  if (!run(to, "begin")) return false;
  bool ok = true;
  for (const std::string& sql : schema) ok = ok && run(to, sql);
  std::vector<std::vector<std::string>> tables;
  ok = ok && db_rows_of(to, "select name from sqlite_master where type = 'table' and name not like 'sqlite\\_%' escape '\\'",
                        &tables);
  for (auto& table : tables) ok = ok && copy_rows(from, to, table[0], reads, t);
  if (ok && run(to, "commit")) return true;
  run(to, "rollback");
  return false;
}

void remove_with_sidecars(const std::string& path) {
  std::remove(path.c_str());
  for (const std::string& s : kSidecars) std::remove((path + s).c_str());
}

// Takes the flock of fd (LOCK_EX or LOCK_SH) once it is free, or answers
// false when another holds it until the deadline.
bool flock_by(int fd, int op, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (flock(fd, op | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) {
      errno = EWOULDBLOCK;
      return false;
    }
    usleep(kLockPollMs * 1000);
  }
}

// Held while this copy of the game mends a file; another copy waits for it,
// but only within its allowance of waiting: a holder that is stopped or
// hung must not stop every later start. The lock file is removed when the
// mend ends; a holder checks that the file it locked still has the name, so
// that one removed under a waiter is not taken for the lock.
class MendLock {
 public:
  explicit MendLock(const std::string& path) : name_(path + kLockEnding) {
    const auto deadline = db_wait_deadline();
    for (int i = 0; i < kLockTries && fd_ < 0; i++) {
      int fd = open(name_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kKeptMode);
      if (fd < 0) break;
      const auto start = std::chrono::steady_clock::now();
      bool locked = flock_by(fd, LOCK_EX, deadline);
      int saved = errno;
      db_wait_spent(start);
      if (locked && file_still_named(fd, name_))
        fd_ = fd;
      else
        close(fd);
      if (!locked) {
        why_ = saved == EWOULDBLOCK ? "another copy of the game is mending it" : std::strerror(saved);
        return;
      }
    }
    if (fd_ < 0) why_ = std::strerror(errno);
  }
  ~MendLock() {
    if (fd_ < 0) return;
    unlink(name_.c_str());
    close(fd_);
  }
  MendLock(const MendLock&) = delete;
  MendLock& operator=(const MendLock&) = delete;
  bool held() const { return fd_ >= 0; }
  const std::string& why() const { return why_; }

 private:
  std::string name_, why_;
  int fd_ = -1;
};

enum class Fault { kNone, kNotAFile, kDamaged };

// Opens path into db (when it is a file, or none is there) and tells what
// keeps the game from using it as it is; the caller closes db on a fault.
Fault check(DBWrap& db, const std::string& path, const std::vector<std::string>& schema, std::string* why) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    *why = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a file";
    return Fault::kNotAFile;
  }
  if (!db_open(db, path)) return Fault::kNone;
  // One read transaction: the shape is read as the check found the file,
  // and a writer of another copy cannot make a table look like none. A file
  // whose read lock another program holds past the wait is busy, not
  // judged. The shape goes first: a file whose structure would run code in
  // SQLite's check is mended without it.
  run(db.db, "begin");
  int rc = sqlite3_exec(db.db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
  bool hurt = primary(rc) != SQLITE_BUSY && primary(rc) != SQLITE_LOCKED &&
              (db_shape_unusable(db.db, schema, why) || damaged(db.db, why));
  run(db.db, "rollback");
  return hurt ? Fault::kDamaged : Fault::kNone;
}

// Copies what path holds into a new database beside it, then puts that
// copy in its place with the damaged file kept aside. A kill at any moment
// leaves path holding the damaged file or the whole copy. False, with the
// reason in *note, when path is left as it was.
bool mend(const std::string& path, const std::vector<std::string>& schema, Tally& t, std::string* kept,
          std::string* note) {
  const std::string copy = path + kCopyEnding;
  remove_with_sidecars(copy);
  // Writers are held off the damaged file from the first read of it until
  // the copy has its name: a write the copy would miss could land only in
  // the file kept aside. They wait for the mend, then write to the copy;
  // hold is closed on the way out, once the copy has the name or the mend
  // gave up.
  DBWrap hold, from, to;
  if (db_open(hold, path)) {
    hold.writing = true;
    int rc = sqlite3_exec(hold.db, "begin immediate", nullptr, nullptr, nullptr);
    // A file no one can write to holds no writer off.
    if (primary(rc) == SQLITE_BUSY) {
      *note = "another copy of the game is writing to it";
      return false;
    }
  }
  bool ok = db_open(from, path, true);
  if (ok) {
    // The damaged file's schema may name functions; none of them runs.
    sqlite3_db_config(from.db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, static_cast<int*>(nullptr));
    // No table of a sound file holds more rows than its bytes make room for.
    struct stat st;
    long reads = stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size / kLeastRowBytes) + kSearchReads : 0;
    ok = db_open(to, copy) && copy_database(from.db, to.db, schema, reads, t);
    if (!ok) *note = std::string("no new database could be written: ") + (to.db ? sqlite3_errmsg(to.db) : "cannot open it");
  } else {
    *note = "it cannot be read";
  }
  db_close(from);
  db_close(to);
  struct stat st;
  if (ok && stat(path.c_str(), &st) == 0) chmod(copy.c_str(), st.st_mode & 0777);
  // Linked, not moved: the damaged file keeps its name until the copy takes it.
  std::string why;
  if (ok) *kept = file_keep_aside(path, kKeptMode, KeepAside::Link, kSidecars, &why);
  if (ok && kept->empty()) {
    *note = "it cannot be kept aside: " + why;
    ok = false;
  }
  if (ok && rename(copy.c_str(), path.c_str()) != 0) {
    *note = std::string("the new database cannot take its place: ") + std::strerror(errno);
    ok = false;
  }
  if (!ok) {
    remove_with_sidecars(copy);
    return false;
  }
  if (!file_sync_dir(path)) *note = std::string(" (its folder cannot be flushed: ") + std::strerror(errno) + ")";
  if (!why.empty()) *note += " (it cannot be made private: " + why + ")";
  return true;
}
}  // namespace

bool db_open_salvaging(DBWrap& db, const std::string& path, const std::vector<std::string>& schema) {
  std::string why;
  if (check(db, path, schema, &why) == Fault::kNone) return db.db != nullptr;
  db_close(db);
  // Another copy of the game may be mending it: wait, then look again.
  MendLock lock(path);
  Fault fault = lock.held() ? check(db, path, schema, &why) : Fault::kDamaged;
  if (fault == Fault::kNone) return db.db != nullptr;
  db_close(db);
  Tally t;
  std::string kept, note, error;
  bool done = false;
  if (!lock.held()) {
    note = "it cannot be locked for mending (" + lock.why() + ")";
  } else if (fault == Fault::kNotAFile) {
    kept = file_keep_aside(path, kKeptMode, KeepAside::Move, kSidecars, &error);
    done = !kept.empty();
    note = done ? "" : "it cannot be kept aside: " + error;
  } else {
    done = mend(path, schema, t, &kept, &note);
  }
  if (!done) {
    tk_error("DatabaseError: db_open: %s cannot be used as it is (%s); %s, so it is only read until it can be mended",
             path.c_str(), why.c_str(), note.c_str());
    // Nothing is written to a file the game cannot use: its writes fail and
    // say so, and a later start mends it.
    bool opened = db_open(db, path, true);
    db.unmended = opened;
    return opened;
  }
  char what[160];
  if (fault == Fault::kNotAFile)
    snprintf(what, sizeof what, "a new database is made");
  else
    snprintf(what, sizeof what,
             "a new database holds what could be read: %ld rows of %d tables copied, %d unreadable parts left "
             "behind, %ld rows that could not be stored",
             t.rows, t.tables, t.unreadable, t.unstored);
  tk_error("DatabaseError: db_open: %s cannot be used as it is (%s); kept as %s%s, and %s", path.c_str(), why.c_str(),
           kept.c_str(), note.c_str(), what);
  return db_open(db, path);
}
