// Tests of the database wrapper: text binding, binary round trips, errors, one statement, locks.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "util/db.h"
#include "support/temp_dir.h"
#include "util/error.h"
#include "util/json.h"

namespace {
const std::vector<std::string> kSchema = {"create table if not exists events (n text primary key, data blob)",
                                          "create table if not exists other (k text)"};
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

TEST_F(DbTest, ALockedDatabaseWaitsBrieflyThenReportsTheError) {
  ASSERT_TRUE(db_open(db_, path_));
  db_query(db_, "create table t (a text)");
  DBWrap other;
  ASSERT_TRUE(db_open(other, path_));
  ASSERT_TRUE(db_query(other, "begin exclusive").is_list());
  var rows;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(db_query_checked(db_, "select * from t", var(), rows));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("locked"), std::string::npos);
  db_query(other, "commit");
  EXPECT_TRUE(db_query_checked(db_, "select * from t", var(), rows));
}

// A damaged database, or one of another shape, is kept aside whole under a
// name of its own, private; every row still readable by rowid goes into a
// new database made from the game's schema alone (nothing of the file's
// schema runs), which takes writes; one line says so. A sound or merely
// locked one is left be.
TEST_F(DbTest, DamagedDatabasesAreKeptAsideAndTheirReadableRowsCarriedOn) {
  const int kRows = 600;
  long root = 0;  // the page of the index on events
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
  auto zero_page = [](std::string& b, long page) { b.replace((page - 1) * 4096, 4096, 4096, '\0'); };
  struct Case { const char* what; std::function<void(std::string&)> damage; int least_kept; } const cases[] = {
      {"sound", [](std::string&) {}, kRows},
      {"random bytes", [](std::string& b) { for (size_t i = 0; i < b.size(); i++) b[i] = static_cast<char>(i * 7919 % 251); }, 0},
      {"cut to 100 bytes", [](std::string& b) { b.resize(100); }, 0},
      {"zeroed leaf", [&](std::string& b) { zero_page(b, static_cast<long>(b.size() / 8192 + 1)); }, kRows - 20},
      {"zeroed index root", [&](std::string& b) { zero_page(b, root); }, kRows},
      {"schema text that runs", [&](std::string& b) {
         edit(b, "create view v as select 1; create trigger t after insert on events begin insert into other "
                 "values ('ran'); end; pragma writable_schema = on; update sqlite_master set sql = 'CREATE TABLE "
                 "other (k text); ATTACH DATABASE ''" + owned + "'' AS u; CREATE TABLE u.t (x)' where name = 'other'"); }, kRows},
      {"other columns", [&](std::string& b) { edit(b, "alter table events add column extra"); }, kRows}};
  std::vector<std::pair<std::string, std::string>> kept;
  for (const Case& c : cases) {
    std::string before = sound;
    c.damage(before);
    tmp_.write("test.db", before);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(db_open_salvaging(db_, path_, kSchema)) << c.what;
    std::string err = testing::internal::GetCapturedStderr();
    const bool hurt = c.what != std::string("sound");
    const std::string bad = path_ + ".bad" + (kept.empty() ? "" : "." + std::to_string(kept.size()));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), hurt) << c.what << err;
    EXPECT_EQ(err.find("kept as " + bad + ","), hurt ? err.find("kept as ") : std::string::npos) << c.what << err;
    struct stat st;
    EXPECT_EQ(stat(bad.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600, hurt) << c.what;
    if (hurt) kept.emplace_back(bad, before);
    EXPECT_EQ(json_dump(quiet_query("select name from sqlite_master order by name")),
              R"([{"name":"events"},{"name":"other"},{"name":"sqlite_autoindex_events_1"}])") << c.what;
    EXPECT_EQ(quiet_query("pragma quick_check")[0]["quick_check"].str(), "ok") << c.what;
    // Every row the damaged file gives up by its rowid is copied as it was
    // stored; the copy takes new rows.
    DBWrap probe;
    ASSERT_TRUE(db_open(probe, hurt ? bad : path_));
    int readable = 0;
    testing::internal::CaptureStderr();
    for (int id = 1; id <= kRows; id++) {
      var r = db_query(probe, "select n from events where rowid = ?", var(id));
      if (r.len() == 0) continue;
      readable++;
      EXPECT_EQ(db_query(db_, "select data from events where n = ?", r[0]["n"])[0]["data"].str(),
                std::string(300, 'a' + (id - 1) % 26)) << c.what << id;
    }
    testing::internal::GetCapturedStderr();
    EXPECT_GE(readable, c.least_kept) << c.what;
    EXPECT_EQ(json_dump(quiet_query("select k from other")), c.least_kept ? R"([{"k":"kept"}])" : "[]") << c.what;
    var rows;
    EXPECT_TRUE(db_query_checked(db_, "insert into events values ('new', 'x')", var(), rows)) << c.what;
    db_close(db_);
  }
  // Nothing of a file's schema text ran; no kept file was replaced.
  EXPECT_NE(access(owned.c_str(), F_OK), 0);
  for (auto& [name, bytes] : kept) EXPECT_EQ(tmp_.read(name.substr(tmp_.path().size() + 1)), bytes) << name;

  // A copy that cannot be written whole (a statement that fails, a disk that
  // fills) leaves the damaged file in use as it is; the next open mends it.
  std::string big = make(4096);
  zero_page(big, root);
  std::vector<std::string> failing = kSchema;
  failing.push_back("create index if not exists i on nowhere (x)");
  struct rlimit was, small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  signal(SIGXFSZ, SIG_IGN);
  for (int full = 0; full < 3; full++) {
    tmp_.write("test.db", big);
    small = was;
    small.rlim_cur = full == 1 ? 1 << 20 : was.rlim_cur;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(db_open_salvaging(db_, path_, full ? kSchema : failing));
    setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("so it is used as it is") == std::string::npos, full == 2);
    EXPECT_EQ(quiet_query("select data from events").len(), static_cast<size_t>(kRows)) << full;
    db_close(db_);
    EXPECT_EQ(tmp_.read("test.db") == big, full < 2) << full;
  }

  // A database another connection holds locked is busy, not damaged.
  DBWrap other;
  ASSERT_TRUE(db_open(other, path_) && db_query(other, "begin exclusive").is_list());
  EXPECT_TRUE(db_open_salvaging(db_, path_, kSchema));
  EXPECT_NE(access((path_ + ".bad." + std::to_string(kept.size() + 1)).c_str(), F_OK), 0);
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
