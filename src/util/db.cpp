// Opens database files and runs one bound statement at a time, returning its rows as vars.
#include "util/db.h"

#include <sqlite3.h>

#include "util/error.h"

DBWrap::~DBWrap() { db_close(*this); }

void db_close(DBWrap& db) {
  if (db.db) sqlite3_close_v2(db.db);
  db.db = nullptr;
}

bool db_open(DBWrap& db, const std::string& path) {
  db_close(db);
  db.path = path;
  int rc = sqlite3_open_v2(path.c_str(), &db.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    tk_error("DatabaseError: db_open: %s: %s", path.c_str(),
             db.db ? sqlite3_errmsg(db.db) : sqlite3_errstr(rc));
    db_close(db);
    return false;
  }
  sqlite3_busy_timeout(db.db, kDbBusyTimeoutMs);
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
}  // namespace

bool db_query_checked(DBWrap& db, const std::string& sql, const var& args, var& rows) {
  rows = var::new_list();
  if (!db.db) {
    tk_error("DatabaseError: db_query: database not open: %s (%s)", sql.c_str(), db.path.c_str());
    return false;
  }
  sqlite3_stmt* st = nullptr;
  const char* tail = nullptr;
  const char* end = sql.c_str() + sql.size();
  if (sqlite3_prepare_v2(db.db, sql.c_str(), static_cast<int>(sql.size()), &st, &tail) != SQLITE_OK) {
    tk_error("DatabaseError: db_query: %s: %s (%s)", sqlite3_errmsg(db.db), sql.c_str(), db.path.c_str());
    sqlite3_finalize(st);
    return false;
  }
  if (!st) return true;  // blank or comment-only SQL: nothing to run
  if (tail && second_statement(db.db, tail, end)) {
    tk_error("DatabaseError: db_query: more than one statement, none run: %s (%s)", sql.c_str(), db.path.c_str());
    sqlite3_finalize(st);
    return false;
  }

  bool ok = true;
  if (args.is_list()) {
    for (size_t i = 0; ok && i < args.len(); ++i) ok = bind_text(st, static_cast<int>(i) + 1, args[i]);
  } else if (!args.is_none()) {
    ok = bind_text(st, 1, args);
  }
  if (!ok) {
    tk_error("DatabaseError: db_query: %s: %s (%s)", sqlite3_errmsg(db.db), sql.c_str(), db.path.c_str());
    sqlite3_finalize(st);
    return false;
  }

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
      // Blob access first, then the length, as SQLite asks; numbers come
      // back as their text.
      const void* bytes = sqlite3_column_blob(st, c);
      int len = sqlite3_column_bytes(st, c);
      row.set(name ? name : "", var(static_cast<const char*>(bytes), bytes ? static_cast<size_t>(len) : 0));
    }
    rows.append(row);
  }
  if (rc != SQLITE_DONE) {
    tk_error("DatabaseError: db_query: %s: %s (%s)", sqlite3_errmsg(db.db), sql.c_str(), db.path.c_str());
    sqlite3_finalize(st);
    rows = var::new_list();
    return false;
  }
  sqlite3_finalize(st);
  return true;
}

int db_changes(DBWrap& db) { return db.db ? sqlite3_changes(db.db) : 0; }

var db_query(DBWrap& db, const std::string& sql, const var& args) {
  var rows;
  db_query_checked(db, sql, args, rows);
  return rows;
}
