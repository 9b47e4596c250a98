// Tells by their structure whether a database's tables can take the game's writes as they are.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "util/db_internal.h"

namespace {
typedef std::vector<std::vector<std::string>> Rows;
// An index's key columns as (name, collation), in lower case; an
// expression's name is empty.
typedef std::set<std::pair<std::string, std::string>> Keys;

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

// True when a CREATE statement holds the word CHECK outside its quoted
// names, texts and comments: a constraint, since the bare word names
// nothing else.
bool has_check(const std::string& sql) {
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
      if (db_lower(sql.substr(from, i - from)) == "check") return true;
    } else {
      i++;
    }
  }
  return false;
}

struct Index {
  std::string name;
  bool unique = false, runs = false;  // runs: partial, or keyed on an expression
  Keys keys;
};

std::vector<Index> indexes_of(sqlite3* db, const std::string& table) {
  Rows list;
  db_rows_of(db, "select name, \"unique\", partial from pragma_index_list(?)", &list, {table});
  std::vector<Index> out;
  for (auto& l : list) {
    Index ix{l[0], l[1] == "1", l[2] == "1", {}};
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

// Columns by lower-case name: declared type, not-null flag, whether a
// default is given, primary-key place and hidden flag (computed columns).
std::map<std::string, std::vector<std::string>> columns_of(sqlite3* db, const std::string& table) {
  Rows rows;
  db_rows_of(db, "select name, type, \"notnull\", dflt_value is not null, pk, hidden from pragma_table_xinfo(?)", &rows,
             {table});
  std::map<std::string, std::vector<std::string>> out;
  for (auto& r : rows) out[db_lower(r[0])] = {r[1], r[2], r[3], r[4], r[5]};
  return out;
}

// The first reason the file's table of the game's cannot take the game's
// writes as it is; empty when it can, or when the file has none (the game
// makes it).
std::string table_fault(sqlite3* db, sqlite3* own, const std::string& table) {
  Rows object;
  db_rows_of(db, "select type, sql from sqlite_master where name = ? collate nocase", &object, {table});
  if (object.empty()) return "";
  if (object[0][0] != "table") return "its " + object[0][0] + " " + table + " is not a table";
  Rows kind;
  db_rows_of(db, "select type, wr, strict from pragma_table_list(?)", &kind, {table});
  if (kind.empty() || kind[0][0] != "table") return "its table " + table + " is not an ordinary table";
  if (kind[0][2] == "1") return "its table " + table + " refuses values of another type";
  const bool rowid = kind[0][1] == "0";
  auto ours = columns_of(own, table), theirs = columns_of(db, table);
  for (auto& [name, col] : ours) {
    auto it = theirs.find(name);
    if (it == theirs.end() || it->second[4] != "0") return "its table " + table + " has no column " + name;
    if (affinity(it->second[0]) != affinity(col[0]))
      return "its column " + table + "." + name + " stores values of another kind";
  }
  for (auto& [name, col] : theirs) {
    if (ours.count(name)) continue;
    if (col[4] != "0") return "its column " + table + "." + name + " is computed";
    // A rowid of its own is given a value by SQLite; any other must be
    // given one by the game, which does not know it.
    bool own_rowid = rowid && col[3] != "0" && db_lower(col[0]) == "integer";
    if (col[1] == "1" && col[2] == "0" && !own_rowid) return "its column " + table + "." + name + " must be given a value";
  }
  Rows ours_sql;
  db_rows_of(own, "select sql from sqlite_master where name = ?", &ours_sql, {table});
  if (has_check(object[0][1]) && !(ours_sql.size() == 1 && has_check(ours_sql[0][0])))
    return "its table " + table + " checks what it stores";
  Rows triggers;
  db_rows_of(db, "select name from sqlite_master where type = 'trigger' and tbl_name = ? collate nocase", &triggers,
             {table});
  if (!triggers.empty()) return "its trigger " + triggers[0][0] + " runs when the game writes";
  std::vector<Keys> unique_ours;
  for (const Index& ix : indexes_of(own, table))
    if (ix.unique) unique_ours.push_back(ix.keys);
  std::vector<Index> indexes = indexes_of(db, table);
  for (const Index& ix : indexes) {
    if (ix.runs) return "its index " + ix.name + " runs an expression of its own";
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
}  // namespace

bool db_shape_unusable(sqlite3* db, const std::vector<std::string>& schema, std::string* why) {
  if (schema.empty()) return false;
  sqlite3* own = nullptr;
  bool made = sqlite3_open_v2(":memory:", &own, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
  for (const std::string& sql : schema)
    made = made && sqlite3_exec(own, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  Rows tables;
  // The game's own schema at fault is no fault of the file's.
  if (made) db_rows_of(own, "select name from sqlite_master where type = 'table'", &tables);
  std::string fault;
  for (size_t i = 0; fault.empty() && i < tables.size(); i++) fault = table_fault(db, own, tables[i][0]);
  sqlite3_close_v2(own);
  if (fault.empty()) return false;
  *why = fault;
  return true;
}
