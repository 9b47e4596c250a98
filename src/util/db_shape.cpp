// Tells by their structure whether a database's tables can take the game's writes as they are.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <initializer_list>
#include <map>

#include "util/db_internal.h"
#include "util/error.h"

namespace {
typedef std::vector<std::vector<std::string>> Rows;
// An index's key columns as (name, collation), in lower case, in the order
// the index takes them; the rowid's name is "rowid", an expression's empty.
typedef std::vector<std::pair<std::string, std::string>> Key;

// Collations every SQLite has; an index ordered by any other refuses every
// write when the game's connection lacks it.
const char* const kBuiltInCollations[] = {"binary", "nocase", "rtrim"};
// The one text encoding whose texts the game stores as it binds them.
constexpr char kEncoding[] = "UTF-8";
// The longest default, as the file states it, of a column the game does
// not know: it is stored in every row the game writes.
constexpr size_t kFreeDefaultMax = 256;

// What SQLite said when a statement of the check failed: a structure that
// cannot be read whole is not known to work.
struct Unreadable {
  std::string said;
};

// The rows of one statement of the check; any failure throws Unreadable,
// which ends the check.
Rows rows_of(sqlite3* db, const std::string& sql, const std::vector<std::string>& args = {}) {
  Rows rows;
  if (!db_rows_of(db, sql, &rows, args)) throw Unreadable{sqlite3_errmsg(db)};
  return rows;
}

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
  std::string name, sql;  // sql: as sqlite_master holds it, empty for one SQLite makes for a constraint
  bool unique = false, runs = false;  // runs: partial, or keyed on an expression
  bool of_key = false;                // made for the table's primary key
  Key key;
};

std::vector<Index> indexes_of(sqlite3* db, const std::string& table) {
  std::vector<Index> out;
  for (auto& l : rows_of(db,
                         "select l.name, m.sql, l.\"unique\", l.partial, l.origin from pragma_index_list(?) l left "
                         "join sqlite_master m on m.type = 'index' and m.name = l.name order by l.seq",
                         {table})) {
    Index ix{l[0], l[1], l[2] == "1", l[3] == "1", l[4] == "pk", {}};
    for (auto& c : rows_of(db, "select cid, name, coll from pragma_index_xinfo(?) where key order by seqno", {l[0]})) {
      ix.runs = ix.runs || c[0] == "-2";
      ix.key.emplace_back(c[0] == "-1" ? "rowid" : db_lower(c[1]), db_lower(c[2]));
    }
    out.push_back(ix);
  }
  return out;
}

// A column as pragma_table_xinfo tells it, with its collation.
struct Column {
  std::string name, type, dflt, coll;  // dflt: as the file states it, empty for none
  bool notnull = false;
  int pk = 0, hidden = 0;  // pk: its place in the primary key, 0 for none
};
typedef std::map<std::string, Column> Columns;  // by lower-case name

Columns columns_of(sqlite3* db, const std::string& table) {
  Columns out;
  for (auto& r :
       rows_of(db, "select name, type, \"notnull\", dflt_value, pk, hidden from pragma_table_xinfo(?)", {table})) {
    const char* coll = nullptr;
    if (sqlite3_table_column_metadata(db, "main", table.c_str(), r[0].c_str(), nullptr, &coll, nullptr, nullptr,
                                      nullptr) != SQLITE_OK)
      throw Unreadable{sqlite3_errmsg(db)};
    out[db_lower(r[0])] = {r[0], r[1], r[3], db_lower(coll ? coll : ""), r[2] == "1", std::atoi(r[4].c_str()),
                           std::atoi(r[5].c_str())};
  }
  return out;
}

// The column (by lower-case name) that SQLite makes the table's rowid,
// empty for none: the one column of the primary key when no index keeps
// that key.
std::string rowid_alias(const Columns& cols, const std::vector<Index>& indexes) {
  std::string alias;
  int pks = 0;
  for (auto& [name, c] : cols)
    if (c.pk > 0) {
      pks++;
      alias = name;
    }
  const bool kept = std::any_of(indexes.begin(), indexes.end(), [](const Index& ix) { return ix.of_key; });
  return pks == 1 && !kept ? alias : "";
}

// A column of the game's as the game reads and writes it: all SQLite tells
// of it is the game's own but for the spelling of its type, which only
// names its affinity; its very name (rows are read by name, and SQLite
// names a column as its table does), the game's collation, what the game
// declares of a missing value, its place in the primary key, and not
// computed.
bool as_the_game_has_it(const Column& c, const Column& ours) {
  return c.name == ours.name && affinity(c.type) == affinity(ours.type) && c.coll == ours.coll &&
         c.notnull == ours.notnull && c.dflt == ours.dflt && c.pk == ours.pk && c.hidden == ours.hidden;
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

std::string key_names(const Key& key) {
  std::string out;
  for (auto& col : key) out += (out.empty() ? "" : ", ") + col.first;
  return out;
}

// The first reason the file's table of the game's cannot take the game's
// writes and reads as it is; empty when it can, or when the file has none
// (the game makes it). It is compared with the game's own table in own, as
// SQLite tells both: only what is known to work passes.
std::string table_fault(sqlite3* db, sqlite3* own, const std::string& table) {
  Rows object = rows_of(db, "select type, sql from sqlite_master where name = ? collate nocase", {table});
  if (object.empty()) return "";
  if (object[0][0] != "table") return "its " + object[0][0] + " " + table + " is not a table";
  // Virtual or not, without rowid or not, strict in the types it takes or
  // not, as the game's.
  const std::string kind = "select type, wr, strict from pragma_table_list(?)";
  if (rows_of(db, kind, {table}) != rows_of(own, kind, {table}))
    return "its table " + table + " is not of the game's kind";
  const Columns ours = columns_of(own, table), theirs = columns_of(db, table);
  const std::vector<Index> our_indexes = indexes_of(own, table), indexes = indexes_of(db, table);
  // The rowid stands for a column exactly where the game's does: a column
  // made the rowid takes no two rows of one value.
  const std::string our_rowid = rowid_alias(ours, our_indexes), rowid = rowid_alias(theirs, indexes);
  for (auto& [name, col] : ours) {
    auto it = theirs.find(name);
    if (it == theirs.end() || !as_the_game_has_it(it->second, col) || (name == rowid) != (name == our_rowid))
      return "its column " + table + "." + col.name + " is not the game's";
  }
  for (auto& [name, col] : theirs) {
    if (ours.count(name)) continue;
    const bool numbers_rows = !rowid.empty() && name == rowid;
    if (!takes_no_value(col, numbers_rows))
      return "its column " + table + "." + col.name + " takes a value the game does not give";
    // A default is copied into every row the game writes.
    if (!numbers_rows && col.dflt.size() > kFreeDefaultMax)
      return "its column " + table + "." + col.name + " copies a default of " + std::to_string(col.dflt.size()) +
             " bytes into every row";
  }
  // Checks and conflict clauses (the game's tables have none) refuse or
  // drop the game's rows in ways of their own.
  if (has_word(object[0][1], {"check", "conflict"})) return "its table " + table + " refuses rows in ways of its own";
  Rows triggers =
      rows_of(db, "select name from sqlite_master where type = 'trigger' and tbl_name = ? collate nocase", {table});
  if (!triggers.empty()) return "its trigger " + triggers[0][0] + " runs when the game writes";
  // The game's keys: its unique indexes, each column in its place.
  std::vector<Key> keys;
  for (const Index& ix : our_indexes)
    if (ix.unique) keys.push_back(ix.key);
  for (const Index& ix : indexes) {
    const bool the_games = std::any_of(our_indexes.begin(), our_indexes.end(),
                                       [&](const Index& o) { return o.name == ix.name && o.sql == ix.sql; });
    if (ix.runs && !the_games) return "its index " + ix.name + " runs an expression of its own";
    for (auto& col : ix.key)
      if (std::find(std::begin(kBuiltInCollations), std::end(kBuiltInCollations), col.second) ==
          std::end(kBuiltInCollations))
        return "its index " + ix.name + " orders by a collation the game does not have";
    // Refuses nothing the game's own keys would not: it holds all the
    // columns of one of them.
    bool weaker = std::any_of(keys.begin(), keys.end(), [&](const Key& k) {
      return std::all_of(k.begin(), k.end(),
                         [&](const Key::value_type& col) { return std::count(ix.key.begin(), ix.key.end(), col) > 0; });
    });
    if (ix.unique && !weaker) return "its index " + ix.name + " refuses rows the game would store";
  }
  // The game's own keys keep its rows apart and name the conflicts it
  // resolves: a conflict target matches a key of its very columns.
  for (const Key& k : keys)
    if (std::none_of(indexes.begin(), indexes.end(), [&](const Index& ix) { return ix.unique && ix.key == k; }))
      return "its table " + table + " lacks the game's key (" + key_names(k) + ")";
  return "";
}

// The first row's first column of a statement, empty for no row.
std::string one(sqlite3* db, const std::string& sql) {
  Rows rows = rows_of(db, sql);
  return rows.empty() || rows[0].empty() ? "" : rows[0][0];
}

// What makes the whole file unusable as it is, whatever tables the game
// has in it: texts SQLite would turn into another encoding as the game
// stores them, a write-ahead log (a repair cannot hold its writers off),
// and a computed column anywhere, which SQLite's own check would compute
// for every row at each start. Every table's columns are listed: one that
// cannot be (a virtual table of a module the game lacks) may hide one.
std::string file_fault(sqlite3* db) {
  const std::string encoding = one(db, "pragma encoding");
  if (encoding != kEncoding) return "it stores its texts as " + encoding;
  if (db_lower(one(db, "pragma journal_mode")) == "wal") return "it keeps a write-ahead log";
  for (auto& t : rows_of(db, "select name from sqlite_master where type = 'table'"))
    if (!rows_of(db, "select 1 from pragma_table_xinfo(?) where hidden in (2, 3)", {t[0]}).empty())
      return "its table " + t[0] + " computes a column";
  return "";
}

// The first fault of db, its tables of the game's compared with own's when
// tables; throws Unreadable.
std::string fault_of(sqlite3* db, sqlite3* own, bool tables) {
  std::string fault = file_fault(db);
  if (tables)
    for (auto& t : rows_of(own, "select name from sqlite_master where type = 'table'"))
      if (fault.empty()) fault = table_fault(db, own, t[0]);
  return fault;
}
}  // namespace

bool db_shape_unusable(sqlite3* db, const std::vector<std::string>& schema, std::string* why) {
  sqlite3* own = nullptr;
  int rc = sqlite3_open_v2(":memory:", &own, SQLITE_OPEN_READWRITE, nullptr);
  bool made = rc == SQLITE_OK;
  for (const std::string& sql : schema)
    made = made && sqlite3_exec(own, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  // The game's own schema at fault is no fault of the file's: its tables are
  // then left uncompared.
  std::string self, fault;
  // The check first runs on the game's own schema against itself: one that
  // this SQLite cannot run sets no file aside, at every start, for it.
  try {
    self = rc == SQLITE_OK ? fault_of(own, own, made) : sqlite3_errstr(rc);
  } catch (const Unreadable& u) {
    self = u.said;
  }
  try {
    if (self.empty()) fault = fault_of(db, own, made);
  } catch (const Unreadable& u) {
    fault = "its structure cannot be read: " + u.said;
  }
  sqlite3_close_v2(own);
  if (!self.empty()) {
    static std::atomic<bool> told{false};
    if (!told.exchange(true))
      tk_error("DatabaseError: the structure of databases cannot be checked in SQLite %s (%s); files are used as "
               "they are",
               sqlite3_libversion(), self.c_str());
    return false;
  }
  if (fault.empty()) return false;
  *why = fault;
  return true;
}
