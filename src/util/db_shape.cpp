// Tells by their structure whether a database's tables can take the game's writes as they are.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <set>

#include "util/db_internal.h"

namespace {
typedef std::vector<std::vector<std::string>> Rows;
// An index's key columns as (name, collation), in lower case; an
// expression's name is empty.
typedef std::set<std::pair<std::string, std::string>> Keys;

// Collations every SQLite has; an index ordered by any other refuses every
// write when the game's connection lacks it.
const char* const kBuiltInCollations[] = {"binary", "nocase", "rtrim"};
// The one text encoding whose texts the game stores as it binds them.
constexpr char kEncoding[] = "UTF-8";

// SQLite's affinity of a declared type: the letter of the first rule that
// takes it.
char affinity(const std::string& declared) {
  std::string t = db_lower(declared);
  auto has = [&](const char* s) { return t.find(s) != std::string::npos; };
  if (has("int")) return 'i';
  if (has("char") || has("clob") || has("text")) return 't';
  if (t.empty() || has("blob")) return 'b';
  if (has("real") || has("floa") || has("doub")) return 'r';
  return 'n';
}

// True when a CREATE statement holds one of words (in lower case) outside
// its quoted names, texts and comments: a constraint, since the bare words
// name nothing else.
bool has_word(const std::string& sql, std::initializer_list<const char*> words) {
  for (size_t i = 0; i < sql.size();) {
    char c = sql[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      char end = c == '[' ? ']' : c;
      size_t close = sql.find(end, i + 1);
      i = close == std::string::npos ? sql.size() : close + 1;  // a doubled quote reopens at once
    } else if (sql.compare(i, 2, "--") == 0) {
      size_t nl = sql.find('\n', i);
      i = nl == std::string::npos ? sql.size() : nl + 1;
    } else if (sql.compare(i, 2, "/*") == 0) {
      size_t close = sql.find("*/", i + 2);
      i = close == std::string::npos ? sql.size() : close + 2;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t from = i;
      while (i < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '_' || sql[i] == '$')) i++;
      const std::string word = db_lower(sql.substr(from, i - from));
      for (const char* w : words)
        if (word == w) return true;
    } else {
      i++;
    }
  }
  return false;
}

// True when w, from at on, is one quoted text (its quotes doubled) to its end.
bool quoted_to_end(const std::string& w, size_t at) {
  for (size_t i = at + 1; i < w.size(); i++) {
    if (w[i] != '\'') continue;
    if (i + 1 < w.size() && w[i + 1] == '\'') {
      i++;
      continue;
    }
    return i + 1 == w.size();
  }
  return false;
}

// True when w (in lower case) is a number as SQL writes one.
bool number(const std::string& w) {
  auto digit = [&](size_t i) { return i < w.size() && std::isdigit(static_cast<unsigned char>(w[i])); };
  size_t i = w[0] == '+' || w[0] == '-' ? 1 : 0, digits = 0;
  if (w.compare(i, 2, "0x") == 0)
    return w.size() > i + 2 && w.find_first_not_of("0123456789abcdef", i + 2) == std::string::npos;
  for (; digit(i); i++) digits++;
  if (i < w.size() && w[i] == '.')
    for (i++; digit(i); i++) digits++;
  if (digits == 0) return false;
  if (i < w.size() && w[i] == 'e') {
    i += i + 1 < w.size() && (w[i + 1] == '+' || w[i + 1] == '-') ? 2 : 1;
    if (!digit(i)) return false;
    while (digit(i)) i++;
  }
  return i == w.size();
}

// True when a column's default, as the file states it, is a literal that
// costs nothing to store (a number, a text, a blob, NULL, TRUE or FALSE,
// perhaps in parentheses); *null tells whether it is NULL. Anything else is
// an expression that runs on every row the game writes.
bool constant_default(std::string d, bool* null) {
  auto trim = [&] {
    size_t a = d.find_first_not_of(" \t\r\n"), b = d.find_last_not_of(" \t\r\n");
    d = a == std::string::npos ? "" : d.substr(a, b - a + 1);
  };
  for (trim(); d.size() >= 2 && d.front() == '(' && d.back() == ')'; trim()) d = d.substr(1, d.size() - 2);
  const std::string w = db_lower(d);
  *null = w == "null";
  if (w.empty()) return false;
  if (*null || w == "true" || w == "false" || (w[0] == '\'' && quoted_to_end(w, 0))) return true;
  if (w[0] == 'x' && w.size() > 1 && w[1] == '\'' && quoted_to_end(w, 1))
    return w.size() % 2 == 1 && w.find_first_not_of("0123456789abcdef", 2) == w.size() - 1;
  return number(w);
}

struct Index {
  std::string name;
  bool unique = false, runs = false;  // runs: partial, or keyed on an expression
  bool of_key = false;                // made for the table's primary key
  Keys keys;
};

std::vector<Index> indexes_of(sqlite3* db, const std::string& table) {
  Rows list;
  db_rows_of(db, "select name, \"unique\", partial, origin from pragma_index_list(?)", &list, {table});
  std::vector<Index> out;
  for (auto& l : list) {
    Index ix{l[0], l[1] == "1", l[2] == "1", l[3] == "pk", {}};
    Rows cols;
    db_rows_of(db, "select cid, name, coll from pragma_index_xinfo(?) where key", &cols, {l[0]});
    for (auto& c : cols) {
      ix.runs = ix.runs || c[0] == "-2";
      ix.keys.insert({db_lower(c[0] == "-1" ? "rowid" : c[1]), db_lower(c[2])});
    }
    out.push_back(ix);
  }
  return out;
}

struct Column {
  std::string name, type, dflt, coll;  // dflt: as the file states it, empty for none
  bool notnull = false;
  int pk = 0;
};

// Columns by lower-case name, as the file declares them.
std::map<std::string, Column> columns_of(sqlite3* db, const std::string& table) {
  Rows rows;
  db_rows_of(db, "select name, type, \"notnull\", dflt_value, pk from pragma_table_xinfo(?)", &rows, {table});
  std::map<std::string, Column> out;
  for (auto& r : rows) {
    const char* coll = nullptr;
    sqlite3_table_column_metadata(db, "main", table.c_str(), r[0].c_str(), nullptr, &coll, nullptr, nullptr, nullptr);
    out[db_lower(r[0])] = {r[0], r[1], r[3], db_lower(coll ? coll : ""), r[2] == "1", std::atoi(r[4].c_str())};
  }
  return out;
}

// A column of the game's as the game reads and writes it: its very name
// (rows are read by name, and SQLite names a column as its table does), the
// game's affinity and collation, and what the game declares of a missing
// value. No column is computed (file_fault).
bool as_the_game_has_it(const Column& c, const Column& ours) {
  return c.name == ours.name && affinity(c.type) == affinity(ours.type) && c.coll == ours.coll &&
         c.notnull == ours.notnull && c.dflt == ours.dflt;
}

// A column the game does not know takes a row without a value of its own:
// it may stay NULL, or its default is a constant that is not NULL; SQLite
// numbers a rowid of the table's own.
bool takes_no_value(const Column& c, bool rowid_alias) {
  bool null = false;
  if (rowid_alias) return true;
  if (c.dflt.empty()) return !c.notnull;
  return constant_default(c.dflt, &null) && !(c.notnull && null);
}

// The first reason the file's table of the game's cannot take the game's
// writes and reads as it is; empty when it can, or when the file has none
// (the game makes it). Only what is known to work passes.
std::string table_fault(sqlite3* db, sqlite3* own, const std::string& table) {
  Rows object;
  db_rows_of(db, "select type, sql from sqlite_master where name = ? collate nocase", &object, {table});
  if (object.empty()) return "";
  if (object[0][0] != "table") return "its " + object[0][0] + " " + table + " is not a table";
  Rows kind;
  db_rows_of(db, "select type, wr, strict from pragma_table_list(?)", &kind, {table});
  // Not virtual, not without rowid, not strict in the types it takes.
  if (kind.size() != 1 || kind[0] != std::vector<std::string>{"table", "0", "0"})
    return "its table " + table + " is not an ordinary table";
  auto ours = columns_of(own, table), theirs = columns_of(db, table);
  for (auto& [name, col] : ours) {
    auto it = theirs.find(name);
    if (it == theirs.end() || !as_the_game_has_it(it->second, col))
      return "its column " + table + "." + col.name + " is not the game's";
  }
  std::vector<Index> indexes = indexes_of(db, table);
  const bool pk_index = std::any_of(indexes.begin(), indexes.end(), [](const Index& ix) { return ix.of_key; });
  const long pks = std::count_if(theirs.begin(), theirs.end(), [](const auto& c) { return c.second.pk > 0; });
  for (auto& [name, col] : theirs)
    if (!ours.count(name) && !takes_no_value(col, col.pk == 1 && pks == 1 && !pk_index))
      return "its column " + table + "." + col.name + " takes a value the game does not give";
  // Checks and conflict clauses (the game's tables have none) refuse or
  // drop the game's rows in ways of their own.
  if (has_word(object[0][1], {"check", "conflict"})) return "its table " + table + " refuses rows in ways of its own";
  Rows triggers;
  db_rows_of(db, "select name from sqlite_master where type = 'trigger' and tbl_name = ? collate nocase", &triggers,
             {table});
  if (!triggers.empty()) return "its trigger " + triggers[0][0] + " runs when the game writes";
  std::vector<Keys> unique_ours;
  for (const Index& ix : indexes_of(own, table))
    if (ix.unique) unique_ours.push_back(ix.keys);
  for (const Index& ix : indexes) {
    if (ix.runs) return "its index " + ix.name + " runs an expression of its own";
    for (auto& key : ix.keys)
      if (std::find(std::begin(kBuiltInCollations), std::end(kBuiltInCollations), key.second) ==
          std::end(kBuiltInCollations))
        return "its index " + ix.name + " orders by a collation the game does not have";
    // Refuses nothing the game's own keys would not: it holds one of them.
    bool weaker = std::any_of(unique_ours.begin(), unique_ours.end(), [&](const Keys& k) {
      return std::includes(ix.keys.begin(), ix.keys.end(), k.begin(), k.end());
    });
    if (ix.unique && !weaker) return "its index " + ix.name + " refuses rows the game would store";
  }
  // The game's own keys keep its rows apart and name the conflicts it
  // resolves.
  for (const Keys& k : unique_ours)
    if (std::none_of(indexes.begin(), indexes.end(), [&](const Index& ix) { return ix.unique && ix.keys == k; }))
      return "its table " + table + " does not keep the game's key unique";
  return "";
}

// What makes the whole file unusable as it is, whatever tables the game
// has in it: texts SQLite would turn into another encoding as the game
// stores them, a write-ahead log (a repair cannot hold its writers off),
// and a computed column anywhere, which SQLite's own check would compute
// for every row at each start.
std::string file_fault(sqlite3* db) {
  Rows rows;
  if (db_rows_of(db, "pragma encoding", &rows) && rows.size() == 1 && rows[0][0] != kEncoding)
    return "it stores its texts as " + rows[0][0];
  rows.clear();
  if (db_rows_of(db, "pragma journal_mode", &rows) && rows.size() == 1 && db_lower(rows[0][0]) == "wal")
    return "it keeps a write-ahead log";
  rows.clear();
  db_rows_of(db,
             "select m.name from sqlite_master m, pragma_table_xinfo(m.name) c where m.type = 'table' and c.hidden "
             "in (2, 3) limit 1",
             &rows);
  return rows.empty() ? "" : "its table " + rows[0][0] + " computes a column";
}
}  // namespace

bool db_shape_unusable(sqlite3* db, const std::vector<std::string>& schema, std::string* why) {
  std::string fault = file_fault(db);
  sqlite3* own = nullptr;
  bool made = fault.empty() && !schema.empty() && sqlite3_open_v2(":memory:", &own, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
  for (const std::string& sql : schema)
    made = made && sqlite3_exec(own, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  Rows tables;
  // The game's own schema at fault is no fault of the file's.
  if (made) db_rows_of(own, "select name from sqlite_master where type = 'table'", &tables);
  for (size_t i = 0; fault.empty() && i < tables.size(); i++) fault = table_fault(db, own, tables[i][0]);
  sqlite3_close_v2(own);
  if (fault.empty()) return false;
  *why = fault;
  return true;
}
