// Opens database files and runs one bound statement at a time, returning its rows as vars.
#include "util/db.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <utility>

#include "util/db_internal.h"
#include "util/error.h"

DBWrap::~DBWrap() { db_close(*this); }

void db_close(DBWrap& db) {
  if (db.db) sqlite3_close_v2(db.db);
  db.db = nullptr;
  if (db.held_dir >= 0) close(db.held_dir);
  db.held_dir = -1;
}

namespace {
constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
constexpr int kReadOnlyFlags = SQLITE_OPEN_READONLY;
constexpr char kHeldDirVfs[] = "tw-held-dir";

// SQLite's unix files resolve every symbolic link in a path, which would
// turn /proc/self/fd/N back into the long path it stands for; this copy of
// the default file system takes such a path as it is given.
int path_as_given(sqlite3_vfs*, const char* name, int room, char* out) {
  size_t len = std::strlen(name);
  if (len + 1 > static_cast<size_t>(room)) return SQLITE_CANTOPEN;
  std::memcpy(out, name, len + 1);
  return SQLITE_OK;
}

bool held_dir_vfs_ready() {
  static sqlite3_vfs vfs;
  static const bool ready = [] {
    sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
    if (!base) return false;
    vfs = *base;
    vfs.pNext = nullptr;
    vfs.zName = kHeldDirVfs;
    vfs.xFullPathname = path_as_given;
    return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK;
  }();
  return ready;
}

// A descriptor of the folder, found step by step when its path is longer
// than the kernel takes in one call; -1 when it cannot be opened.
int open_folder(const std::string& dir) {
  int fd = dir[0] == '/' ? open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : AT_FDCWD;
  size_t at = dir.find_first_not_of('/');
  while (at != std::string::npos && at < dir.size()) {
    size_t end = at + PATH_MAX / 2 < dir.size() ? dir.rfind('/', at + PATH_MAX / 2) : dir.size();
    if (end == std::string::npos || end <= at) end = dir.size();  // one name past the kernel's limit
    int next = openat(fd, dir.substr(at, end - at).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) close(fd);
    if (next < 0) return -1;
    fd = next;
    at = dir.find_first_not_of('/', end);
  }
  return fd == AT_FDCWD ? open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : fd;
}

// Opens path; one SQLite cannot open by name (a path past its length limit)
// is opened again as /proc/self/fd/N/<name> through a descriptor of its
// folder that the DBWrap keeps.
int open_path(DBWrap& db, const std::string& path, int flags) {
  int rc = sqlite3_open_v2(path.c_str(), &db.db, flags, nullptr);
  size_t slash = path.rfind('/');
  if (rc != SQLITE_CANTOPEN || slash == std::string::npos || slash + 1 == path.size() || !held_dir_vfs_ready())
    return rc;
  int fd = open_folder(slash == 0 ? "/" : path.substr(0, slash));
  if (fd < 0) return rc;
  sqlite3_close_v2(db.db);
  db.db = nullptr;
  std::string held = "/proc/self/fd/" + std::to_string(fd) + path.substr(slash);
  rc = sqlite3_open_v2(held.c_str(), &db.db, flags, kHeldDirVfs);
  if (rc == SQLITE_OK)
    db.held_dir = fd;
  else
    close(fd);
  return rc;
}
}  // namespace

bool db_open(DBWrap& db, const std::string& path, bool read_only) {
  db_close(db);
  db.path = path;
  db.read_only = read_only;
  db.unmended = db.held_writes = db.held_reads = false;
  int rc = open_path(db, path, read_only ? kReadOnlyFlags : kOpenFlags);
  if (rc != SQLITE_OK) {
    tk_error("DatabaseError: db_open: %s: %s", path.c_str(),
             db.db ? sqlite3_errmsg(db.db) : sqlite3_errstr(rc));
    db_close(db);
    return false;
  }
  db_arm_waits(db);
  return true;
}

namespace {
bool bind_text(sqlite3_stmt* st, int index, const var& v) {
  std::string text = var_str(v);
  return sqlite3_bind_text64(st, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) ==
         SQLITE_OK;
}

// True when the text after the first statement holds another one (blanks,
// comments and semicolons do not count).
bool second_statement(sqlite3* db, const char* tail, const char* end) {
  while (tail < end) {
    sqlite3_stmt* next = nullptr;
    const char* after = nullptr;
    int rc = sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &next, &after);
    sqlite3_finalize(next);
    if (rc != SQLITE_OK || next) return true;
    if (!after || after <= tail) return false;
    tail = after;
  }
  return false;
}

// A statement that did not run, with SQLite's code and what to log.
struct Failure {
  int rc = SQLITE_OK;
  std::string said;
};

// Runs the statement once; false, with the failure, on any error.
bool run_once(DBWrap& db, const std::string& sql, const var& args, var& rows, Failure* f) {
  rows = var::new_list();
  f->rc = SQLITE_ERROR;
  if (!db.db) {
    f->said = "database not open: " + sql + " (" + db.path + ")";
    return false;
  }
  auto fail = [&](sqlite3_stmt* st, const char* what) {
    f->rc = sqlite3_extended_errcode(db.db);
    f->said = std::string(what ? what : sqlite3_errmsg(db.db)) + ": " + sql + " (" + db.path + ")";
    sqlite3_finalize(st);
    rows = var::new_list();
    return false;
  };
  sqlite3_stmt* st = nullptr;
  const char* tail = nullptr;
  const char* end = sql.c_str() + sql.size();
  if (sqlite3_prepare_v2(db.db, sql.c_str(), static_cast<int>(sql.size()), &st, &tail) != SQLITE_OK)
    return fail(st, nullptr);
  if (!st) return true;  // blank or comment-only SQL: nothing to run
  if (tail && second_statement(db.db, tail, end)) return fail(st, "more than one statement, none run");

  bool ok = true;
  if (args.is_list()) {
    for (size_t i = 0; ok && i < args.len(); ++i) ok = bind_text(st, static_cast<int>(i) + 1, args[i]);
  } else if (!args.is_none()) {
    ok = bind_text(st, 1, args);
  }
  if (!ok) return fail(st, nullptr);

  // Inside a transaction even a read may be the commit, which writes.
  db.writing = !sqlite3_stmt_readonly(st) || !sqlite3_get_autocommit(db.db);
  const sqlite3_int64 changed = sqlite3_total_changes64(db.db);
  int cols = sqlite3_column_count(st);
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    var row = var::new_dict();
    for (int c = 0; c < cols; ++c) {
      const char* name = sqlite3_column_name(st, c);
      if (sqlite3_column_type(st, c) == SQLITE_NULL) {
        row.set(name ? name : "", var());
        continue;
      }
      // The bytes first, then the length, as SQLite asks; numbers come back
      // as their text, and texts as UTF-8 whatever the file stores them as.
      const void* bytes = sqlite3_column_type(st, c) == SQLITE_TEXT ? sqlite3_column_text(st, c) : sqlite3_column_blob(st, c);
      int len = sqlite3_column_bytes(st, c);
      row.set(name ? name : "", var(static_cast<const char*>(bytes), bytes ? static_cast<size_t>(len) : 0));
    }
    rows.append(row);
  }
  if (rc != SQLITE_DONE) return fail(st, nullptr);
  sqlite3_finalize(st);
  // Whatever held the file lets this kind of statement through again; a
  // write that needed no lock ("create ... if not exists" of what is there,
  // say) tells nothing of it.
  db.held_reads = false;
  if (sqlite3_total_changes64(db.db) != changed) db.held_writes = false;
  return true;
}

// Opens the database again at its path when another file has taken it
// (another copy of the game mended the database and kept this file aside);
// never inside a transaction, which the new file does not hold. A file
// that is gone with nothing in its place (its folder moved, say) stays
// open as it is, as does this one when the new file cannot be opened.
// True when it was opened again.
bool reopen_if_moved(DBWrap& db) {
  int moved = 0;
  struct stat st;
  if (!db.db || !sqlite3_get_autocommit(db.db) ||
      sqlite3_file_control(db.db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || !moved ||
      stat(db.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return false;
  DBWrap now;
  // The file that took this one's place is whole: one only read because it
  // awaited its mend takes writes again.
  if (!db_open(now, db.path, db.read_only && !db.unmended)) return false;
  std::swap(db.db, now.db);
  std::swap(db.held_dir, now.held_dir);
  db.read_only = now.read_only;
  db.unmended = db.held_writes = db.held_reads = false;
  db_arm_waits(db);
  return true;
}
}  // namespace

bool db_query_checked(DBWrap& db, const std::string& sql, const var& args, var& rows) {
  reopen_if_moved(db);
  Failure f;
  if (run_once(db, sql, args, rows, &f)) return true;
  // Moved under the statement (another copy's mend held it off until its
  // new file took the name): once more, in the file the player has now.
  if (f.rc == SQLITE_READONLY_DBMOVED && reopen_if_moved(db) && run_once(db, sql, args, rows, &f)) return true;
  tk_error("DatabaseError: db_query: %s", f.said.c_str());
  return false;
}

int db_changes(DBWrap& db) { return db.db ? sqlite3_changes(db.db) : 0; }

var db_query(DBWrap& db, const std::string& sql, const var& args) {
  var rows;
  db_query_checked(db, sql, args, rows);
  return rows;
}
