// Tests of the database wrapper: text binding, binary round trips, errors, one statement, locks.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "util/db.h"
#include "support/temp_dir.h"
#include "util/error.h"

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

// A damaged database is kept aside whole as "<name>.bad", private; every row
// that can still be read goes into a new database at the old path, which
// takes writes; one line says so. A sound or merely locked one is left be.
TEST_F(DbTest, DamagedDatabasesAreKeptAsideAndTheirReadableRowsCarriedOn) {
  const int kRows = 600;
  ASSERT_TRUE(db_open(db_, path_));
  db_query(db_, "create table events (n text primary key, data blob)");
  db_query(db_, "create table other (k text)");
  db_query(db_, "insert into other values ('kept')");
  db_query(db_, "begin");
  for (int i = 0; i < kRows; i++)
    db_query(db_, "insert into events values (?, ?)", var_list(std::to_string(i), std::string(300, 'a' + i % 26)));
  db_query(db_, "commit");
  db_close(db_);
  const std::string sound = tmp_.read("test.db");
  struct Case { const char* what; void (*damage)(std::string&); int least_kept; } const cases[] = {
      {"sound", [](std::string&) {}, kRows},
      {"random bytes", [](std::string& b) { for (size_t i = 0; i < b.size(); i++) b[i] = static_cast<char>(i * 7919 % 251); }, 0},
      {"cut to 100 bytes", [](std::string& b) { b.resize(100); }, 0},
      {"zeroed page", [](std::string& b) { b.replace(b.size() / 8192 * 4096, 4096, 4096, '\0'); }, kRows - 20}};
  for (const Case& c : cases) {
    std::remove((path_ + ".bad").c_str());
    std::string before = sound;
    c.damage(before);
    tmp_.write("test.db", before);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(db_open_salvaging(db_, path_, kSchema)) << c.what;
    std::string err = testing::internal::GetCapturedStderr();
    const bool hurt = c.least_kept < kRows;
    EXPECT_EQ(err.empty(), !hurt) << c.what << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), hurt) << c.what << err;
    EXPECT_EQ(err.find("kept as " + path_ + ".bad") != std::string::npos, hurt) << c.what << err;
    struct stat st;
    EXPECT_EQ(stat((path_ + ".bad").c_str(), &st) == 0 && (st.st_mode & 0777) == 0600 && tmp_.read("test.db.bad") == before,
              hurt) << c.what;
    EXPECT_EQ(quiet_query("pragma quick_check")[0]["quick_check"].str(), "ok") << c.what;
    // Whatever was copied is what was stored, and the copy takes new rows.
    var events = quiet_query("select n, data from events");
    EXPECT_GE(static_cast<int>(events.len()), c.least_kept) << c.what;
    for (size_t i = 0; i < events.len(); i++)
      EXPECT_EQ(events[i]["data"].str(), std::string(300, 'a' + static_cast<int>(events[i]["n"].num()) % 26)) << c.what;
    EXPECT_EQ(quiet_query("select k from other").len(), c.least_kept ? 1u : 0u) << c.what;
    var rows;
    EXPECT_TRUE(db_query_checked(db_, "create table if not exists fresh (a text)", var(), rows) &&
                db_query_checked(db_, "insert into fresh values ('x')", var(), rows)) << c.what;
    db_close(db_);
  }
  // A database another connection holds locked is busy, not damaged.
  std::remove((path_ + ".bad").c_str());
  DBWrap other;
  ASSERT_TRUE(db_open(other, path_) && db_query(other, "begin exclusive").is_list());
  EXPECT_TRUE(db_open_salvaging(db_, path_, kSchema));
  EXPECT_NE(access((path_ + ".bad").c_str(), F_OK), 0);
}

// A folder path longer than SQLite takes by name still holds a database
// that opens, takes rows and keeps them across a reopen.
TEST_F(DbTest, APathPastSqlitesLengthLimitOpens) {
  std::string dir = tmp_.path();
  while (dir.size() < 700) ASSERT_EQ(mkdir((dir += "/" + std::string(60, 'd')).c_str(), 0700), 0);
  ASSERT_TRUE(db_open_salvaging(db_, dir + "/long.db", {}));
  db_query(db_, "create table t (a text)");
  db_query(db_, "insert into t values ('x')");
  ASSERT_TRUE(db_open(db_, dir + "/long.db"));
  EXPECT_EQ(db_query(db_, "select a from t").len(), 1u);
}
