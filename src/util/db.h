// The SQLite wrapper: one open database per DBWrap, queries in and rows of
// var out.
#pragma once

#include <string>
#include <vector>

#include "util/var.h"

struct sqlite3;

struct DBWrap {
  sqlite3* db = nullptr;
  std::string path;
  // The folder of a path too long for SQLite, held open while the database
  // is, which is then opened through this descriptor; -1 otherwise.
  int held_dir = -1;
  bool read_only = false;
  // Opened read only because the file cannot be used as it is and could
  // not be mended yet: another copy's mend that puts a new file in its
  // place is opened read-write.
  bool unmended = false;
  // Another program held the file past a wait: statements of that kind
  // (writes; or reads, and writes with them) are tried once, without
  // waiting, until one of them finds it free.
  bool held_writes = false, held_reads = false;
  bool writing = false;  // the statement running may take the write lock

  DBWrap() = default;
  DBWrap(const DBWrap&) = delete;
  DBWrap& operator=(const DBWrap&) = delete;
  ~DBWrap();  // closes the database
};

// While another program holds a lock, a statement, a read as a write,
// waits for it; a frame of the game waits kDbBusyTimeoutMs at most in all,
// over all its statements on every database: long enough for another
// copy's commit or mend on a loaded machine, short enough that a database
// browser's open transaction never freezes play. A statement whose wait
// runs out fails, and the file counts as held (see DBWrap); a start and a
// quit each have an allowance of their own.
constexpr int kDbBusyTimeoutMs = 2000;
// Gives a new frame its allowance of waiting.
void db_waits_new_frame();

// Opens the database read-write, creating the file when missing (or, with
// read_only, only reads an existing one); a DBWrap that was open is closed
// first. Answers false, with an error line, when the
// database cannot be opened. A path longer
// than SQLite takes (its unix limit is 512 bytes) is opened through its
// folder, held open for as long as the database is.
bool db_open(DBWrap& db, const std::string& path, bool read_only = false);
void db_close(DBWrap& db);

// db_open for a database of the player's, whose tables and indexes the
// game makes with schema (its own "create ... if not exists" statements,
// which the caller still runs after the open). A file the game can use as
// it is stays as it is, with whatever else it holds (columns, indexes and
// tables of its own). A file the game cannot use is mended first, one copy
// of the game at a time; another copy waits for it within its allowance,
// then only reads the file until a later start:
// - not a regular file (a folder, a device, a link to one): kept aside and a
//   new database made;
// - damaged (anything but "ok" from SQLite's quick check: not a database,
//   cut short, a damaged page or index, a format SQLite refuses), or with
//   anything the game cannot read and write as it is (see db_shape_unusable):
//   every row SQLite can still read of every table of schema is copied, by
//   column name, into a new database made from schema alone. Nothing of the
//   file's own schema text is ever run. Writers are held off the file while
//   it is read; once the copy is whole and on the disk it takes the file's
//   place, and the file is kept aside.
// A file kept aside keeps its journal beside it, is the player's eyes only,
// and takes the first free name of "<path>.bad", "<path>.bad.1", ...; none
// is ever replaced. One line on stderr says what was kept and what could not
// be read or stored. A mend that cannot be finished (a full disk, a
// read-only folder, another copy's mend or another program's write that
// goes on too long) leaves the file as it is, opened read only, so that
// nothing is written to what the game cannot use: every write fails and
// says so, and the next open tries again. A database that is only busy or
// locked is left alone.
// False, as db_open answers, when no database could be opened at path.
bool db_open_salvaging(DBWrap& db, const std::string& path, const std::vector<std::string>& schema);

// Runs one statement; text holding a second statement is refused, with an
// error line, and nothing of it runs. A database that another copy of the
// game mended meanwhile (its file kept aside, a new one at its path) is
// opened again at its path first, outside a transaction; a statement that
// another copy's mend held off runs once more, in the new file. Every argument (the items of a list,
// or a single non-list value; none means no arguments) is bound as text
// with its exact byte length. Answers the rows as a list of dicts of column
// name to value: NULL reads as none, anything else as the string of its
// bytes. On any error it logs SQLite's message, the statement and the
// database's path, and answers an empty list.
var db_query(DBWrap& db, const std::string& sql, const var& args = var());

// db_query that tells an error from no rows: false on any error (logged as
// db_query logs it), rows then an empty list.
bool db_query_checked(DBWrap& db, const std::string& sql, const var& args, var& rows);

// The rows that the last insert, update or delete of db changed.
int db_changes(DBWrap& db);
