// Tests of the database wrapper: text binding, binary round trips, errors, one statement, locks.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "util/db.h"
#include "util/error.h"

namespace {
class DbTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tw_db_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/test.db";
  }
  void TearDown() override {
    db_close(db_);
    std::remove(path_.c_str());
    rmdir(dir_.c_str());
  }
  var quiet_query(const std::string& sql, const var& args = var()) {
    testing::internal::CaptureStderr();
    var rows = db_query(db_, sql, args);
    last_err_ = testing::internal::GetCapturedStderr();
    return rows;
  }
  std::string dir_, path_, last_err_;
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
  EXPECT_FALSE(db_open(db_, dir_ + "/missing/dir/x.db"));
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
