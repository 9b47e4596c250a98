// What the database wrapper, its mend and its shape check share, and no one else calls.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

// How long a copy of the game waits for another copy's mend of a database,
// at its start or at a statement the mend holds off, before it goes on
// without it. A mend of 100,000 maps takes well under a second.
constexpr int kMendWaitMs = 3000;

std::string db_lower(std::string s);
// A name as an SQL identifier, quoted.
std::string db_quoted(const std::string& name);
// Each row of a query (its arguments bound as text) as its columns' texts;
// false when it fails part way, with SQLite's code in *rc_out.
bool db_rows_of(sqlite3* db, const std::string& sql, std::vector<std::vector<std::string>>* rows,
                const std::vector<std::string>& args = {}, int* rc_out = nullptr);

// True, with the reason in *why, when the game could not write to the
// tables of schema in db as they are: a table of the game's that lacks a
// column the game uses, stores one of them with another affinity, is not an
// ordinary table, or holds what would refuse, alter or run code on a row
// the game writes (a trigger, a CHECK, a unique or computed index or an
// extra column that must be given a value). Extra columns, indexes that
// refuse nothing and another spelling of the same table are usable.
bool db_shape_unusable(sqlite3* db, const std::vector<std::string>& schema, std::string* why);

// When another copy of the game is mending the database at path, waits for
// it to end (at most kMendWaitMs) and answers true; false at once when no
// mend is under way.
bool db_mend_wait(const std::string& path);
