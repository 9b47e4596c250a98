// Any byte string as damage done to a sound database of the player's, which
// is then opened as the game opens it: nothing crashes, the damaged file is
// kept whole, and what opens is sound and holds the game's tables.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scratch.h"
#include "util/db.h"
#include "util/json.h"

namespace {

const std::vector<std::string> kSchema = {
    "create table if not exists events (n text primary key, name text, data blob, ts int)",
    "create index if not exists events_order on events (ts, n)"};
constexpr int kRows = 40;

std::string read_file(const std::string& path) {
  std::string out;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    fclose(f);
  }
  return out;
}

void remove_all(const std::string& path) {
  for (const char* end : {"", "-journal", ".bad", ".bad-journal"}) unlink((path + end).c_str());
}

// The database every input starts from: a few pages of rows, an index.
const std::string& sound() {
  static const std::string bytes = [] {
    std::string path = scratch_dir() + "/sound.db";
    {
      DBWrap db;
      if (!db_open(db, path)) abort();
      for (const std::string& sql : kSchema) db_query(db, sql);
      db_query(db, "begin");
      for (int i = 0; i < kRows; i++)
        db_query(db, "insert into events values (?, 'web', ?, ?)", var_list(std::to_string(i), std::string(200, 'd'), i));
      db_query(db, "commit");
    }
    std::string b = read_file(path);
    remove_all(path);
    return b;
  }();
  return bytes;
}

}  // namespace

// The input is edits of three bytes each (a two-byte offset into the file,
// the byte put there); a last single byte cuts the file to that share of it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 3000) return 0;
  std::string bytes = sound();
  for (size_t i = 0; i + 3 <= size; i += 3) bytes[(data[i] | data[i + 1] << 8) % bytes.size()] = static_cast<char>(data[i + 2]);
  if (size % 3 == 1) bytes.resize(bytes.size() * data[size - 1] / 256);
  const std::string path = scratch_dir() + "/reliable.db";
  put_file(path, bytes.data(), bytes.size());
  {
    DBWrap db;
    if (!db_open_salvaging(db, path, kSchema)) __builtin_trap();
    // As the game does: what the file lacks of the schema is made now.
    for (const std::string& sql : kSchema) db_query(db, sql);
    if (db_query(db, "pragma quick_check")[0L]["quick_check"].str() != "ok") __builtin_trap();
    var rows;
    if (!db_query_checked(db, "insert or replace into events values ('new', 'web', '{}', 0)", var(), rows)) __builtin_trap();
  }
  // A file that was mended is kept aside byte for byte.
  std::string kept = read_file(path + ".bad");
  if (!kept.empty() && kept != bytes) __builtin_trap();
  remove_all(path);
  return 0;
}
