// Any byte string as damage done to a sound outbox database, then opened as
// the game opens it: nothing crashes, the damaged file is kept whole, and
// what opens is sound and takes the game's rows.
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "scratch.h"
#include "util/db.h"

namespace {
const std::vector<std::string> kSchema = {
    "create table if not exists events (n text primary key, name text, data blob, ts int)",
    "create index if not exists events_order on events (ts, n)"};

std::string read_file(const std::string& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

// Every input starts from a few pages of rows and an index.
std::string make_sound(const std::string& path) {
  DBWrap db;
  if (!db_open(db, path)) abort();
  for (const std::string& sql : kSchema) db_query(db, sql);
  db_query(db, "begin");
  for (int i = 0; i < 40; i++) db_query(db, "insert into events values (?, 'web', ?, ?)", var_list(i, std::string(200, 'd'), i));
  db_query(db, "commit");
  db_close(db);
  return read_file(path);
}
}  // namespace

// The input is edits of three bytes each (a two-byte offset into the file,
// the byte put there); a last single byte cuts the file to that share of it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = scratch_dir() + "/reliable.db";
  static const std::string sound = make_sound(path);
  if (size > 3000) return 0;
  std::string bytes = sound;
  for (size_t i = 0; i + 3 <= size; i += 3) bytes[(data[i] | data[i + 1] << 8) % bytes.size()] = static_cast<char>(data[i + 2]);
  if (size % 3 == 1) bytes.resize(bytes.size() * data[size - 1] / 256);
  put_file(path, bytes.data(), bytes.size());
  DBWrap db;
  if (!db_open_salvaging(db, path, kSchema)) __builtin_trap();
  for (const std::string& sql : kSchema) db_query(db, sql);  // what the file lacks, as the game does
  // Damage the quick check cannot see stays in use; a mended file is kept
  // whole and its copy is sound.
  std::string kept = read_file(path + ".bad");
  var rows;
  if (!kept.empty() && (kept != bytes || db_query(db, "pragma integrity_check")[0L]["integrity_check"].str() != "ok" ||
                        !db_query_checked(db, "insert or replace into events values ('new', 'web', '{}', 0)", var(), rows)))
    __builtin_trap();
  db_close(db);
  for (const char* end : {"", "-journal", ".bad", ".bad-journal"}) unlink((path + end).c_str());
  return 0;
}
