// What the database wrapper, its mend and its shape check share, and no one else calls.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <string>
#include <vector>

struct DBWrap;

// Makes db.db's statements wait for another program's lock out of the
// frame's allowance (see kDbBusyTimeoutMs), tried once when db is held.
void db_arm_waits(DBWrap& db);
// When the frame's allowance of waiting runs out from now on; the time
// since start is taken out of it by db_wait_spent. A mend of 100,000 maps
// by another copy takes well under a second.
std::chrono::steady_clock::time_point db_wait_deadline();
void db_wait_spent(std::chrono::steady_clock::time_point since);

std::string db_lower(std::string s);
// A name as an SQL identifier, quoted.
std::string db_quoted(const std::string& name);
// Each row of a query (its arguments bound as text) as its columns' texts;
// false when it fails part way, with SQLite's code in *rc_out.
bool db_rows_of(sqlite3* db, const std::string& sql, std::vector<std::vector<std::string>>* rows,
                const std::vector<std::string>& args = {}, int* rc_out = nullptr);

// True, with the reason in *why, unless the game can read and write the
// file as it is: only what the check has fully compared with the game's own
// schema, made in memory, passes, and any statement of the check that fails
// makes the file unusable. The file stores its texts as UTF-8, keeps no
// write-ahead log and computes no column in any table; each table of schema
// that the file has is of the game's kind (virtual, without rowid, strict as
// the game's), each of the game's columns in it is as SQLite tells of the
// game's (very name, affinity, collation, NOT NULL, default, place in the
// primary key, the rowid or not), each other column may stay NULL or has a
// constant default of at most a few hundred bytes that is not NULL (or
// numbers the rows), and nothing runs or refuses when the game writes: no
// trigger, CHECK or conflict clause, no partial or expression index but the
// game's own, nor one ordered by a collation SQLite lacks, no unique index
// that does not hold one of the game's keys; each of the game's keys is a
// unique index of its very columns in order. A file without the tables the
// game makes passes. A check that fails on the game's own schema (an
// SQLite without what it reads) passes every file, and says so once.
bool db_shape_unusable(sqlite3* db, const std::vector<std::string>& schema, std::string* why);
