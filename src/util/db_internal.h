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

// True, with the reason in *why, unless the game can read and write the
// file as it is: only what is known to work passes. The file stores its
// texts as UTF-8, keeps no write-ahead log and computes no column; each
// table of schema that the file has is an ordinary rowid table, each of the
// game's columns in it has the game's very name, affinity, collation and
// default and is not computed, each other column may stay NULL or has a
// constant default that is not NULL (or numbers the rows), and nothing runs
// or refuses when the game writes: no trigger, CHECK or conflict clause, no
// partial or expression index nor one ordered by a collation SQLite lacks,
// no unique index the game's keys do not imply; the game's keys stay unique.
// A file without the tables the game makes passes.
bool db_shape_unusable(sqlite3* db, const std::vector<std::string>& schema, std::string* why);

// When another copy of the game is mending the database at path, waits for
// it to end (at most kMendWaitMs) and answers true; false at once when no
// mend is under way.
bool db_mend_wait(const std::string& path);
