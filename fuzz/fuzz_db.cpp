// Any byte string as damage done to the player's sound map database and
// outbox, then opened, listed and passed over as the game does: nothing
// crashes or hangs, the damaged file is kept whole, and what opens is sound
// and takes the game's rows.
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "game/headless.h"
#include "game/levels_db.h"
#include "game/paths.h"
#include "online/reliable.h"
#include "online/web_request.h"
#include "scratch.h"
#include "util/db.h"

namespace {
const char* const kNames[] = {"userns.db", "reliable.db"};
// Rows of every kind of value, among them a stamp whose text reads back as
// less than it is, and the statement that shows a mended copy takes rows.
const char* const kSeeds[] = {
    "insert into levels (id, data, ts, title) values ('1', x'00ff', '9', 't'), ('2', 'm', x'31', 7), ('3', null, 1.5, 'u')",
    "insert into events values ('a', 'echo', '{}', 0), ('b', 'web', '{}', x'00'), ('c', 'web', '{}', 4102444800.0000005), "
    "('d', 'gone', '{}', 'soon'), (x'65', 'echo', '{}', null), (null, 'web', '{}', 1), ('e', 'web', 'x', -1e300)"};
const char* const kWrites[] = {"insert or replace into levels (id, data) values ('new', 'm')",
                               "insert or replace into events values ('new', 'web', '{}', 0)"};

std::string read_file(const std::string& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

void remove_files(const std::string& path) {
  for (const char* end : {"", "-journal", ".bad", ".bad-journal"}) unlink((path + end).c_str());
}

// A headless game over the scratch folder, with the files as its own open made them.
struct Run {
  Game* g;
  std::string paths[2], sound[2];
  Run() {
    setenv("TUNNELWICK_SERVICE", "127.0.0.1:9", 1);  // nothing listens
    g = game_headless_start(scratch_dir(), scratch_dir() + "/user");
    game_reliable_init(g);
    for (int k = 0; k < 2; k++) {
      DBWrap db;
      paths[k] = game_user_path(kNames[k]);
      if (!db_open(db, paths[k]) || db_query(db, kSeeds[k]).len()) abort();
      sound[k] = read_file(paths[k]);
    }
    game_db_close();
  }
};
}  // namespace

// The input is edits of three bytes each (a two-byte offset into each file,
// the byte put there); a last single byte cuts the files to that share of them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Run run;
  if (size > 3000) return 0;
  std::string bytes[2] = {run.sound[0], run.sound[1]};
  for (int k = 0; k < 2; k++) {
    for (size_t i = 0; i + 3 <= size; i += 3) bytes[k][(data[i] | data[i + 1] << 8) % bytes[k].size()] = static_cast<char>(data[i + 2]);
    if (size % 3 == 1) bytes[k].resize(bytes[k].size() * data[size - 1] / 256);
    remove_files(run.paths[k]);  // a new file: the outbox still holds the last one open
    put_file(run.paths[k], bytes[k].data(), bytes[k].size());
  }
  game_db_open(false);
  game_reliable_init(run.g);
  levels_list();
  game_reliable_loop();
  web_requests_clear();
  // Damage the quick check cannot see stays in use; a mended file is kept
  // whole and its copy is sound.
  for (int k = 0; k < 2; k++) {
    std::string kept = read_file(run.paths[k] + ".bad");
    DBWrap db;
    var rows;
    if (!kept.empty() && (kept != bytes[k] || !db_open(db, run.paths[k]) ||
                          db_query(db, "pragma integrity_check")[0L]["integrity_check"].str() != "ok" ||
                          !db_query_checked(db, kWrites[k], var(), rows)))
      __builtin_trap();
  }
  game_db_close();
  for (const std::string& p : run.paths) remove_files(p);
  return 0;
}
