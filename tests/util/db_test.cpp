// Tests of the database wrapper: text binding, binary round trips, errors, one statement, locks.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "util/db.h"
#include "support/temp_dir.h"
#include "util/error.h"
#include "util/json.h"

namespace {
const std::vector<std::string> kSchema = {"create table if not exists events (n text primary key, data blob)",
                                          "create table if not exists other (k text)"};
// Watches every mend through SQLite's file layer: while its copy waits for
// the file's name, no writer may start on the file (what it wrote would
// land only in the file kept aside).
namespace watch {
std::string target;
int faults = 0, copies = 0;
bool probing = false;
std::map<sqlite3_file*, std::string> names;
sqlite3_vfs vfs, *real;
sqlite3_io_methods methods;
const sqlite3_io_methods* base;
void probe() {
  sqlite3* w = nullptr;
  if (probing || access((target + ".salvage").c_str(), F_OK) != 0) return;
  probing = true;
  faults += sqlite3_open(target.c_str(), &w) == SQLITE_OK && sqlite3_exec(w, "begin immediate", 0, 0, 0) == SQLITE_OK;
  sqlite3_close(w);
  probing = false;
}
int open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out) {
  int rc = real->xOpen(real, name, f, flags, out);
  if (rc != SQLITE_OK || !name || !f->pMethods || (base && f->pMethods != base)) return rc;
  base = f->pMethods;
  methods = *base;
  methods.xUnlock = [](sqlite3_file* f, int to) { int rc = base->xUnlock(f, to); if (names[f] == target) probe(); return rc; };
  methods.xClose = [](sqlite3_file* f) {
    const std::string name = names[f];
    copies += names.erase(f) && name == target + ".salvage";
    int rc = base->xClose(f);
    if (name.rfind(target, 0) == 0) probe();  // the file or its copy
    return rc;
  };
  names[f] = name;
  f->pMethods = &methods;
  return rc;
}
}  // namespace watch

class DbTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(tmp_.path().empty()); }
  void TearDown() override { db_close(db_); }
  TempDir tmp_;
  std::string path_ = tmp_.file("test.db"), last_err_;
  var quiet_query(const std::string& sql, const var& args = var()) {
    testing::internal::CaptureStderr();
    var rows = db_query(db_, sql, args);
    last_err_ = testing::internal::GetCapturedStderr();
    return rows;
  }
  DBWrap db_;
};
}  // namespace

TEST_F(DbTest, OpenCreatesTheFileAndRowsComeBackAsDicts) {
  ASSERT_TRUE(db_open(db_, path_));
  EXPECT_EQ(access(path_.c_str(), F_OK), 0);
  EXPECT_EQ(db_query(db_, "create table events (n text primary key, name text, data blob, ts int)").len(), 0u);
  db_query(db_, "insert into events (n,name,data,ts) values (?,?,?,?)", var_list("id1", "web", "{}", 1700000000L));
  db_query(db_, "insert into events (n,name,data,ts) values (?,?,?,?)", var_list("id2", "echo", var(), 5));
  var rows = db_query(db_, "select * from events order by n");
  ASSERT_EQ(rows.len(), 2u);
  EXPECT_TRUE(rows[0]["n"] == "id1");
  EXPECT_TRUE(rows[0]["name"] == "web");
  // Every argument is bound as text and read back as text.
  EXPECT_TRUE(rows[0]["ts"].is_string());
  EXPECT_EQ(rows[0]["ts"].num(), 1700000000);
  EXPECT_TRUE(rows[1]["data"] == "");
  var one = db_query(db_, "select name from events where n = ?", var("id2"));
  ASSERT_EQ(one.len(), 1u);
  EXPECT_TRUE(one[0]["name"] == "echo");
  EXPECT_TRUE(db_query(db_, "select null as x")[0]["x"].is_none());
}

TEST_F(DbTest, PackedMapWithNulBytesSurvivesARoundTrip) {
  ASSERT_TRUE(db_open(db_, path_));
  db_query(db_, "create table levels (id integer primary key, title text, data blob)");
  std::string map(65536, '\0');
  for (size_t i = 0; i < map.size(); i += 3) map[i] = static_cast<char>(i * 31);
  db_query(db_, "insert into levels (title, data) values (?, ?)", var_list("t", var(map)));
  // Reopen, so the bytes come from the file.
  ASSERT_TRUE(db_open(db_, path_));
  var rows = db_query(db_, "select id, data from levels");
  ASSERT_EQ(rows.len(), 1u);
  EXPECT_EQ(rows[0]["data"].str().size(), map.size());
  EXPECT_TRUE(rows[0]["data"].str() == map);
  EXPECT_TRUE(rows[0]["id"] == "1");
}

TEST_F(DbTest, ErrorsLogSqliteMessageAndAnswerEmptyList) {
  var rows = quiet_query("select * from nowhere");
  EXPECT_TRUE(rows.is_list());
  EXPECT_EQ(rows.len(), 0u);
  EXPECT_NE(last_err_.find("not open"), std::string::npos);

  ASSERT_TRUE(db_open(db_, path_));
  db_query(db_, "create table t (a text primary key)");
  rows = quiet_query("create table t (a text primary key)");
  EXPECT_TRUE(rows.is_list());
  EXPECT_EQ(rows.len(), 0u);
  EXPECT_NE(last_err_.find("DatabaseError: db_query: table t already exists"), std::string::npos);
  EXPECT_EQ(tk_last_error().rfind("DatabaseError", 0), 0u);

  // Every failure is one line that names the database's file.
  auto expect_said = [&](const char* what) {
    EXPECT_NE(last_err_.find(what), std::string::npos) << last_err_;
    EXPECT_NE(last_err_.find(path_), std::string::npos) << last_err_;
    EXPECT_EQ(last_err_.find('\n'), last_err_.size() - 1) << last_err_;
  };
  expect_said("already exists");  // prepare fails
  db_query(db_, "insert into t values (?)", var_list("x"));
  quiet_query("insert into t values (?)", var_list("x"));  // step fails: constraint
  expect_said("UNIQUE constraint failed");
  quiet_query("insert into t values (?)", var_list("y", "z"));  // too many arguments
  expect_said("DatabaseError");
  quiet_query("select 1; select 2");
  expect_said("more than one statement");
  // A statement that fails part way answers no rows, not the first few.
  rows = quiet_query("select 1 union all select abs(-9223372036854775807 - 1)");
  expect_said("integer overflow");
  EXPECT_EQ(rows.len(), 0u);
  EXPECT_EQ(db_query(db_, "select * from t").len(), 1u);
}

TEST_F(DbTest, OpenFailureIsReported) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(db_open(db_, tmp_.file("missing/dir/x.db")));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("DatabaseError: db_open"), std::string::npos);
  EXPECT_EQ(db_.db, nullptr);
}

TEST_F(DbTest, ErrorsToldFromNoRowsAndSecondStatementsRefused) {
  ASSERT_TRUE(db_open(db_, path_));
  var rows;
  EXPECT_TRUE(db_query_checked(db_, "create table t (a text)", var(), rows));
  EXPECT_TRUE(db_query_checked(db_, "select * from t", var(), rows));
  EXPECT_EQ(rows.len(), 0u);  // no rows, no error
  testing::internal::CaptureStderr();
  EXPECT_FALSE(db_query_checked(db_, "select * from missing", var(), rows));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(rows.is_list());
  EXPECT_EQ(rows.len(), 0u);

  // Nothing of a two-statement text runs; a trailing semicolon or comment
  // is still one statement.
  rows = quiet_query("insert into t values ('x'); drop table t");
  EXPECT_NE(last_err_.find("more than one statement"), std::string::npos);
  EXPECT_EQ(db_query(db_, "select * from t").len(), 0u);
  EXPECT_TRUE(db_query_checked(db_, "insert into t values ('z'); -- done", var(), rows));
  EXPECT_EQ(db_query(db_, "select * from t").len(), 1u);
}

// A frame waits for other programs' locks kDbBusyTimeoutMs at most in all,
// over every statement of every database; a lock let go within it is waited
// for. A file whose wait ran out is then tried once, never waited for, by
// each statement of the kind that waited, until one finds it free.
TEST_F(DbTest, AFrameWaitsForLocksOnceInAllAndAHeldFileIsOnlyTried) {
  DBWrap b, hold_a, hold_b;
  const std::string b_path = tmp_.file("b.db");
  ASSERT_TRUE(db_open(db_, path_) && db_open(b, b_path) && db_open(hold_a, path_) && db_open(hold_b, b_path));
  db_query(db_, "create table t (a text)");
  db_query(b, "create table t (a text)");
  const char *w = "insert into t values ('x')", *r = "select * from t";
  // A new frame or not, the database, the statement, whether it runs, and
  // whether it waits the whole allowance (else it answers at once).
  struct Step { bool frame; DBWrap* d; const char* sql; bool ok, waits; };
  const Step steps[] = {{false, &hold_a, "begin immediate", true, false},  // a browser's open write transaction
                        {false, &hold_b, "begin immediate", true, false},
                        {true, &db_, w, false, true}, {false, &b, w, false, false},  // the frame's allowance is spent
                        {false, &db_, r, true, false},
                        {true, &db_, "create table if not exists t (a text)", true, false},  // needs no lock, frees nothing
                        {false, &db_, w, false, false}, {false, &b, w, false, false},
                        {false, &hold_a, "commit", true, false}, {false, &db_, w, true, false},
                        {false, &hold_a, "begin exclusive", true, false},  // held for reads too
                        {true, &db_, r, false, true}, {true, &db_, r, false, false},
                        {false, &hold_a, "commit", true, false}, {false, &hold_b, "commit", true, false},
                        {false, &db_, r, true, false}, {false, &hold_a, "begin exclusive", true, false}};
  var rows;
  for (const Step& s : steps) {
    if (s.frame) db_waits_new_frame();
    const auto start = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    EXPECT_EQ(db_query_checked(*s.d, s.sql, var(), rows), s.ok) << s.sql;
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("locked") != std::string::npos, !s.ok) << s.sql;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(s.waits ? ms >= kDbBusyTimeoutMs * 0.9 : ms < kDbBusyTimeoutMs / 4) << s.sql << " " << ms;
  }
  // Another copy's commit is waited for; a held file whose holder let go
  // takes the next write.
  std::thread commit([&] { usleep(300000); db_query(hold_a, "commit"); });
  EXPECT_TRUE(db_query_checked(db_, w, var(), rows) && db_query_checked(b, w, var(), rows));
  commit.join();
}

// A damaged database, or one the game cannot write to as it is, is kept
// aside whole under a name of its own, private; every row still readable by
// rowid goes into a new database made from the game's schema alone (nothing
// of the file's schema runs), which takes writes; one line says so. One the
// game can use is left as it is, byte for byte, whatever else it holds; so
// is a merely locked one.
TEST_F(DbTest, DamagedDatabasesAreKeptAsideAndTheirReadableRowsCarriedOn) {
  const int kRows = 600;
  long root = 0, events = 0;  // the pages of the index on events and of the table
  auto make = [&](size_t len) {
    std::remove(path_.c_str());
    EXPECT_TRUE(db_open(db_, path_));
    for (const std::string& sql : kSchema) db_query(db_, sql);
    db_query(db_, "insert into other values ('kept')");
    db_query(db_, "begin");
    for (int i = 0; i < kRows; i++)
      db_query(db_, "insert into events values (?, ?)", var_list(std::to_string(i), std::string(len, 'a' + i % 26)));
    db_query(db_, "commit");
    root = db_query(db_, "select rootpage from sqlite_master where type = 'index'")[0]["rootpage"].lnum();
    events = db_query(db_, "select rootpage from sqlite_master where name = 'events'")[0]["rootpage"].lnum();
    db_close(db_);
    return tmp_.read("test.db");
  };
  const std::string sound = make(300), owned = tmp_.file("owned.db");
  // Runs SQL on the bytes, as a hostile or broken writer would.
  auto edit = [&](std::string& b, const std::string& sql) {
    tmp_.write("edit.db", b);
    DBWrap e;
    EXPECT_TRUE(db_open(e, tmp_.file("edit.db")) && sqlite3_exec(e.db, sql.c_str(), nullptr, nullptr, nullptr) == 0);
    db_close(e);
    b = tmp_.read("edit.db");
  };
  // The events table made again as another definition, its rows (and rowids) kept.
  auto remade = [&](const std::string& def, const std::string& cols, const std::string& from = "n, data") {
    return [=](std::string& b) {
      edit(b, "create table e2 " + def + "; insert into e2 (rowid, " + cols + ") select rowid, " + from +
                  " from events; drop table events; alter table e2 rename to events");
    };
  };
  auto zero_page = [](std::string& b, long page) { b.replace((page - 1) * 4096, 4096, 4096, '\0'); };
  // Points every child of an interior page at one page: a chain of copies of
  // the events root, each so pointed at the next, is a tree of more paths
  // than any start can walk.
  auto point_all = [](std::string& b, long page, long to) {
    auto u16 = [&](size_t i) { return static_cast<unsigned char>(b[i]) << 8 | static_cast<unsigned char>(b[i + 1]); };
    for (size_t at = (page - 1) * 4096, i = 0; i <= static_cast<size_t>(u16(at + 3)); i++)
      for (int k = 0; k < 4; k++) b[(i ? at + u16(at + 10 + 2 * i) : at + 8) + k] = static_cast<char>(to >> (24 - 8 * k));
  };
  struct Case { std::string what; std::function<void(std::string&)> damage; bool hurt; int least_kept; };
  std::vector<Case> cases = {
      {"sound", [](std::string&) {}, false, kRows},
      {"extra column of values", [&](std::string& b) { edit(b, "alter table events add stars; update events set stars = 3"); }, false, kRows},
      {"another spelling", remade("( n  TEXT Primary Key,\n\"data\" Blob )", "n, data"), false, kRows},
      {"other column order", remade("(data blob, n text primary key)", "n, data"), false, kRows},
      {"other column order, the key not the primary one", remade("(data blob, n text unique, x integer primary key not null)", "data, n", "data, n"), true, kRows},
      {"indexes of its own", [&](std::string& b) { edit(b, "create index i on events (data); create unique index u on events (data, n)"); }, false, kRows},
      {"words in texts, names and comments; constant defaults", remade("(n text primary key, -- a check\n\"conflict\" default 'check', data, "
         "x not null default (-1.5e3), y default x'00ff' /* check */)", "n, data"), false, kRows},
      {"UTF-16", [&](std::string& b) {
         DBWrap e;  // made anew: a file's encoding is set before its first table
         EXPECT_TRUE(db_open(e, owned) && sqlite3_exec(e.db, "pragma encoding = 'UTF-16le'; create table events (n text primary key, data blob); "
           "create table other (k text); insert into events values ('\u00f1', 'd\u00fc'), ('b', x'00')", 0, 0, 0) == 0);
         b = tmp_.read("owned.db"); std::remove(owned.c_str()); }, true, 2},
      {"a write-ahead log", [&](std::string& b) { edit(b, "pragma journal_mode = wal"); }, true, kRows},
      {"a column computed anywhere", [&](std::string& b) { edit(b, "create table g (a, b as (a || a) not null)"); }, true, kRows},
      {"strict", [&](std::string& b) { edit(b, "create table o (k text) strict; insert into o select k from other; drop table other; alter table o rename to other"); }, true, kRows},
      {"a stored computed column", [&](std::string& b) { edit(b, "create table g (a, b as (a || a) stored)"); }, true, kRows},
      {"a table of a module the game lacks", [&](std::string& b) { edit(b, "create virtual table v using fts5(a); pragma writable_schema = on; update sqlite_master set sql = 'CREATE VIRTUAL TABLE v USING lacking(a)' where name = 'v'"); }, true, kRows},
      {"a trigger on EVENTS", [&](std::string& b) { edit(b, "create trigger t after insert on EVENTS begin select 1; end"); }, true, kRows},
      {"the key only in a plain index", [&](std::string& b) { remade("(n text, data blob, x default 0, primary key (n, x))", "n, data")(b); edit(b, "create index i on events (n)"); }, true, kRows},
      {"the key (n, n)", remade("(n text, data blob, primary key (n, n))", "n, data"), true, kRows},
      {"a game column the rowid", remade("(n integer primary key, data blob)", "n, data", "n + 1, data"), true, kRows},
      {"a default of 256 bytes", remade("(n text primary key, data blob, z default '" + std::string(254, 'z') + "')", "n, data"), false, kRows},
      {"a default of 257 bytes", remade("(n text primary key, data blob, z default '" + std::string(255, 'z') + "')", "n, data"), true, kRows},
      {"a check after a comment", remade("(n text primary key, -- note\n data blob check (1))", "n, data"), true, kRows},
      {"a partial index", [&](std::string& b) { edit(b, "create index p on events (data) where n > '5'"); }, true, kRows},
      {"a key not kept unique", remade("(n text, data blob)", "n, data"), true, kRows},
      {"a name in another case", remade("(N text primary key, data blob)", "n, data"), true, kRows},
      {"a collation", remade("(n text primary key, data blob collate nocase)", "n, data"), true, kRows},
      {"not null, default null", remade("(n text primary key, data blob, z not null default null)", "n, data, z", "n, data, 1"), true, kRows},
      {"a default that runs", remade("(n text primary key, data blob, z default (zeroblob(9)))", "n, data"), true, kRows},
      {"an integer in a composite key", remade("(n text unique, data blob, x integer not null, primary key (n, x))", "n, data, x", "n, data, rowid"), true, kRows},
      {"random bytes", [](std::string& b) { for (size_t i = 0; i < b.size(); i++) b[i] = static_cast<char>(i * 7919 % 251); }, true, 0},
      {"cut to 100 bytes", [](std::string& b) { b.resize(100); }, true, 0},
      {"a format SQLite refuses", [](std::string& b) { b[47] = 9; }, true, 0},
      {"zeroed index root", [&](std::string& b) { zero_page(b, root); }, true, kRows},
      {"a tree of endless paths", [&](std::string& b) {
         const long last = static_cast<long>(b.size() / 4096);
         for (long i = 0; i < 12; i++) b.append(b, (events - 1) * 4096, 4096);
         for (int k = 0; k < 4; k++) b[28 + k] = static_cast<char>((last + 12) >> (24 - 8 * k));  // the page count
         for (long i = 0; i < 12; i++) point_all(b, i ? last + i : events, last + i + 1); }, true, 0},
      {"schema text that runs", [&](std::string& b) {
         edit(b, "create view v as select 1; create trigger t after insert on events begin insert into other "
                 "values ('ran'); end; pragma writable_schema = on; update sqlite_master set sql = 'CREATE TABLE "
                 "other (k text); ATTACH DATABASE ''" + owned + "'' AS u; CREATE TABLE u.t (x)' where name = 'other'"); }, true, kRows},
      {"another affinity", remade("(n text primary key, data text)", "n, data"), true, kRows},
      {"a value it must be given", remade("(n text primary key, data blob, must not null)", "n, data, must", "n, data, 1"), true, kRows},
      {"a key of its own", remade("(n text primary key, data blob, k unique)", "n, data, k", "n, data, rowid"), true, kRows},
      {"an index on an expression", [&](std::string& b) { edit(b, "create index x on events (substr(data, 2))"); }, true, kRows}};
  for (long page = 2; page <= static_cast<long>(sound.size() / 4096); page++)
    cases.push_back({"zeroed page " + std::to_string(page), [&, page](std::string& b) { zero_page(b, page); }, true, 0});
  std::vector<std::pair<std::string, std::string>> kept;
  watch::target = path_, watch::real = sqlite3_vfs_find(nullptr), watch::vfs = *watch::real;
  watch::vfs.zName = "watch", watch::vfs.xOpen = watch::open;
  sqlite3_vfs_register(&watch::vfs, 1);
  for (const Case& c : cases) {
    std::string before = sound;
    c.damage(before);
    tmp_.write("test.db", before);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(db_open_salvaging(db_, path_, kSchema)) << c.what;
    std::string err = testing::internal::GetCapturedStderr();
    const std::string bad = path_ + ".bad" + (kept.empty() ? "" : "." + std::to_string(kept.size()));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), c.hurt) << c.what << err;
    EXPECT_EQ(err.find("kept as " + bad + ","), c.hurt ? err.find("kept as ") : std::string::npos) << c.what << err;
    struct stat st;
    EXPECT_EQ(stat(bad.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600, c.hurt) << c.what;
    if (c.hurt) {
      kept.emplace_back(bad, before);
      EXPECT_EQ(json_dump(quiet_query("select name from sqlite_master order by name")),
                R"([{"name":"events"},{"name":"other"},{"name":"sqlite_autoindex_events_1"}])") << c.what;
    } else {
      EXPECT_EQ(tmp_.read("test.db"), before) << c.what;
    }
    EXPECT_EQ(quiet_query("pragma quick_check")[0]["quick_check"].str(), "ok") << c.what;
    // Every row the damaged file gives up by its rowid is in the copy as it
    // was stored, and nothing else; the copy takes new rows.
    DBWrap probe;
    tmp_.write("probe.db", before);  // the file as it was, apart from what the open did
    ASSERT_TRUE(db_open(probe, tmp_.file("probe.db"), true));
    int readable = 0;
    testing::internal::CaptureStderr();
    for (int id = 1; id <= kRows; id++) {
      var r = db_query(probe, "select n as n, data as data from events where rowid = ?", var(id));
      if (r.len() == 0) continue;
      readable++;
      EXPECT_EQ(db_query(db_, "select data from events where n = ?", r[0]["n"])[0]["data"].str(), r[0]["data"].str())
          << c.what << id;
    }
    EXPECT_EQ(json_dump(db_query(db_, "select k from other")), json_dump(db_query(probe, "select k from other")))
        << c.what;
    testing::internal::GetCapturedStderr();
    EXPECT_GE(readable, c.least_kept) << c.what;
    EXPECT_EQ(quiet_query("select count(*) as c from events")[0]["c"].lnum(), readable) << c.what;
    var rows;
    EXPECT_TRUE(db_query_checked(db_, "insert into events (n, data) values ('new', 'x')", var(), rows)) << c.what;
    db_close(db_);
    // The file the game has is used as it is at the next start.
    const std::string mended = tmp_.read("test.db");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(db_open_salvaging(db_, path_, kSchema)) << c.what;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.what;
    db_close(db_);
    EXPECT_EQ(tmp_.read("test.db"), mended) << c.what;
  }
  // Every mend held writers off the file until its copy took the name.
  EXPECT_EQ(watch::copies, std::count_if(cases.begin(), cases.end(), [](const Case& c) { return c.hurt; }));
  EXPECT_EQ(watch::faults, 0);
  sqlite3_vfs_unregister(&watch::vfs);
  // An SQLite that cannot run the check (here its table list is denied)
  // sets no file aside and says so once.
  int (*deny)(sqlite3*, char**, const sqlite3_api_routines*) = [](sqlite3* d, char**, const sqlite3_api_routines*) {
    return sqlite3_set_authorizer(d, [](void*, int what, const char* a, const char*, const char*, const char*) {
      return what == SQLITE_PRAGMA && sqlite3_stricmp(a, "table_list") == 0 ? SQLITE_DENY : SQLITE_OK; }, nullptr); };
  std::string faulty = sound, said;
  edit(faulty, "create trigger t after insert on events begin select 1; end");
  sqlite3_auto_extension(reinterpret_cast<void (*)()>(deny));
  for (int start = 0; start < 2; start++, db_close(db_)) {
    tmp_.write("test.db", faulty);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(db_open_salvaging(db_, path_, kSchema) && tmp_.read("test.db") == faulty);
    said += testing::internal::GetCapturedStderr();
  }
  sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(deny));
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("checked in SQLite " + std::string(sqlite3_libversion()) + " (not authorized)"), std::string::npos) << said;
  // Nothing of a file's schema text ran; no kept file was replaced.
  EXPECT_NE(access(owned.c_str(), F_OK), 0);
  for (auto& [name, bytes] : kept) EXPECT_EQ(tmp_.read(name.substr(tmp_.path().size() + 1)), bytes) << name;

  // A copy that cannot be written whole (a statement that fails, a disk that
  // fills) or a mend another copy never ends leaves the damaged file as it
  // is, only read; the next open (2: another copy's) mends it. One that
  // ends within the wait is waited for, at the start (3) or at a write it
  // holds off (4).
  std::string big = make(4096);
  zero_page(big, root);
  std::vector<std::string> failing = kSchema;
  failing.push_back("create index if not exists i on nowhere (x)");
  struct rlimit was, small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  signal(SIGXFSZ, SIG_IGN);
  for (int full = 0; full < 5; full++) {
    tmp_.write("test.db", big);
    small = was;
    small.rlim_cur = full == 1 ? 1 << 20 : was.rlim_cur;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int mending = full == 2 ? open((path_ + ".salvage-lock").c_str(), O_RDWR | O_CREAT, 0600) : -1;
    EXPECT_EQ(full == 2 ? flock(mending, LOCK_EX) : 0, 0);
    int ready[2], status = 0;
    ASSERT_EQ(pipe(ready), 0);
    pid_t kid = full >= 3 ? fork() : -1;
    if (kid == 0) {
      DBWrap h;
      bool held = flock(open((path_ + ".salvage-lock").c_str(), O_RDWR | O_CREAT, 0600), LOCK_EX) == 0 &&
                  (full == 3 || (db_open(h, path_) && sqlite3_exec(h.db, "begin immediate", 0, 0, 0) == 0));
      _exit(held && write(ready[1], "r", 1) == 1 && poll(nullptr, 0, 1000) == 0 ? 0 : 1);
    }
    char c;
    EXPECT_TRUE(kid < 0 || read(ready[0], &c, 1) == 1);
    DBWrap w;
    var rows;
    db_waits_new_frame();  // the write's, then the start's
    EXPECT_TRUE(full < 4 || (db_open(w, path_) && db_query_checked(w, "insert into other values ('w')", var(), rows)));
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(db_open_salvaging(db_, path_, full ? kSchema : failing));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << full;  // a wait of seconds, never more
    setrlimit(RLIMIT_FSIZE, &was);
    if (mending >= 0) close(mending);
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("so it is only read") == std::string::npos, full >= 3);
    EXPECT_EQ(db_query_checked(db_, "insert into other values ('n')", var(), rows), full >= 3) << full;
    DBWrap m;  // another copy's mend: the file it puts in place takes writes
    EXPECT_TRUE(full != 2 || (db_open_salvaging(m, path_, kSchema) && db_query_checked(db_, "insert into other values ('n')", var(), rows)));
    EXPECT_TRUE(kid < 0 || (waitpid(kid, &status, 0) == kid && status == 0));
    for (int end : ready) close(end);
    EXPECT_EQ(quiet_query("select data from events").len(), static_cast<size_t>(kRows)) << full;
    db_close(db_);
    EXPECT_EQ(tmp_.read("test.db") == big, full < 2) << full;
  }

  // Two copies mend one file at once while a third writes to it all along:
  // one whole copy takes its place, the file as it was is kept once, and
  // every write reported done is in the file the player has.
  std::string hooked = sound;
  edit(hooked, "create trigger t after insert on events begin select 1; end");
  for (int round = 0; round < 3; round++) {
    const std::string race = tmp_.file("race" + std::to_string(round) + ".db");
    tmp_.write(race.substr(tmp_.path().size() + 1), hooked);
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    for (int kid = 0; kid < 2; kid++)
      if (fork() == 0) {
        char c;
        DBWrap m;
        _exit(read(go[0], &c, 1) == 1 && db_open_salvaging(m, race, kSchema) ? 0 : 1);
      }
    DBWrap w, r;  // r reads only after the mends, the file the player has then
    var rows;
    ASSERT_TRUE(db_open(r, race) && db_open(w, race) && db_query_checked(w, "insert into events values ('w0', 'x')", var(), rows));
    ASSERT_EQ(write(go[1], "gg", 2), 2);
    int written = 0, running = 2, status;
    for (int after = 20; after > 0; after -= running == 0) {
      db_waits_new_frame();
      EXPECT_TRUE(db_query_checked(w, "insert into events values (?, 'x')", var("w" + std::to_string(++written)), rows));
      usleep(2000);  // a save now and then, not one after another
      for (; running > 0 && waitpid(-1, &status, WNOHANG) > 0; running--) EXPECT_EQ(status, 0);
    }
    for (int end : go) close(end);
    DBWrap now;
    ASSERT_TRUE(db_open(now, race, true));
    EXPECT_EQ(db_query(now, "select count(*) as c from events where n like 'w%'")[0]["c"].lnum(), written + 1);
    EXPECT_EQ(db_query(now, "select name from sqlite_master where type = 'trigger'").len(), 0u);
    EXPECT_EQ(db_query(r, "select name from sqlite_master where type = 'trigger'").len(), 0u);
    EXPECT_TRUE(access((race + ".bad").c_str(), F_OK) == 0 && access((race + ".bad.1").c_str(), F_OK) != 0);
  }

  // A database another connection holds locked is busy, not damaged: it
  // takes writes once let go.
  DBWrap other;
  var rows;
  ASSERT_TRUE(db_open(other, path_) && db_query(other, "begin exclusive").is_list());
  EXPECT_TRUE(db_open_salvaging(db_, path_, kSchema));
  EXPECT_NE(access((path_ + ".bad." + std::to_string(kept.size() + 3)).c_str(), F_OK), 0);
  db_query(other, "commit");
  EXPECT_TRUE(db_query_checked(db_, "insert into other values ('n')", var(), rows));
}

// A folder path longer than SQLite takes by name still holds a database
// that opens, takes rows and keeps them across a reopen.
TEST_F(DbTest, APathPastSqlitesLengthLimitOpens) {
  std::string dir = tmp_.path();
  while (dir.size() < 700) ASSERT_EQ(mkdir((dir += "/" + std::string(60, 'd')).c_str(), 0700), 0);
  ASSERT_TRUE(db_open_salvaging(db_, dir + "/long.db", {}));
  db_query(db_, "create table t (a text)");
  db_query(db_, "insert into t values ('x')");
  auto fds = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
  const auto open_before = fds();
  ASSERT_TRUE(db_open(db_, dir + "/long.db"));
  EXPECT_EQ(db_query(db_, "select a from t").len(), 1u);
  db_close(db_);
  EXPECT_EQ(fds(), open_before - 2);  // the database and its folder
}
