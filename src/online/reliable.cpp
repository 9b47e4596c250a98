#include "online/reliable.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <set>

#include "game/game.h"
#include "game/paths.h"
#include "online/web_request.h"
#include "util/db.h"
#include "util/encode.h"
#include "util/json.h"

namespace {

const char* const kCreate = "create table if not exists events (n text primary key, name text, data blob, ts int)";

struct Unstored {
  std::string name;
  var payload;
  long ts;
};

struct Outbox {
  DBWrap db;
  long seq = 0;
  long last_loop = 0;
  bool looped = false;
  // What the last pass counted, and whether an entry came since: a pass
  // is due only when either says something is pending.
  int counted = 0;
  bool added = false;
  // Entries whose insert failed: carried for the run and stored later.
  std::map<std::string, Unstored> unstored;
  // Entries with a live request: a pass does not send them a second time.
  std::set<std::string> in_flight;
};

Outbox& box() {
  static Outbox b;
  return b;
}

reliable_clock_fn g_clock = nullptr;

bool insert(const std::string& id, const std::string& name, const var& payload, long ts) {
  if (!box().db.db) return false;
  var rows;
  return db_query_checked(box().db, "insert into events (n,name,data,ts) values (?,?,?,?)",
                          var_list(id, name, json_dump(payload), std::to_string(ts)), rows);
}

bool stored(const std::string& id) {
  if (box().unstored.count(id)) return true;
  if (!box().db.db) return false;
  return db_query(box().db, "select n from events where n = ?", var_list(id)).len() > 0;
}

void retry_unstored() {
  Outbox& b = box();
  if (b.unstored.empty() || !b.db.db) return;
  db_query(b.db, kCreate);
  for (auto it = b.unstored.begin(); it != b.unstored.end();) {
    if (insert(it->first, it->second.name, it->second.payload, it->second.ts))
      it = b.unstored.erase(it);
    else
      ++it;
  }
}

void reliable_echo(const std::string& id, const std::string& name, const var& payload) {
  fprintf(stderr, "_game_reliable_echo: %s,%s,%s\n", id.c_str(), name.c_str(), var_str(payload).c_str());
  game_reliable_remove(id);
}

void reliable_web(const std::string& id, const var& payload) {
  fprintf(stderr, "_game_reliable_web ...\n");
  if (!game_current) return;  // no run to send from: the entry waits
  std::string body;
  var post = payload["post"];
  for (const std::string& key : post.keys()) web_form_add(&body, key.c_str(), var_str(post[key]));
  WebRequest* r = web_send(game_current, var_str(payload["action"]), body, "&_receipt=" + id);
  r->receipt = id;
  box().in_flight.insert(id);
}

}  // namespace

void game_reliable_set_clock(reliable_clock_fn clock) { g_clock = clock; }

long game_reliable_now() { return g_clock ? g_clock() : static_cast<long>(time(nullptr)); }

void game_reliable_init(Game*) {
  Outbox& b = box();
  std::string path = game_user_path("reliable.db");
  if (!b.db.db || b.db.path != path) {
    // Another per-user directory: a new outbox altogether.
    b.unstored.clear();
    b.seq = 0;
    db_open(b.db, path);
  }
  // A new run: no request of an earlier one is still waiting for its reply.
  b.in_flight.clear();
  b.looped = false;
  b.last_loop = 0;
  if (b.db.db) db_query(b.db, kCreate);
}

std::string game_reliable_id(const std::string& name, const var& payload, long time) {
  box().seq++;
  var d = var_dict("name", name, "data", payload, "ts", time, "n", box().seq);
  return md5_hex(json_dump(d));
}

std::string game_reliable_add(const std::string& name, const var& payload) {
  long now = game_reliable_now();
  std::string id = game_reliable_id(name, payload, now);
  // The same entry made twice in one second by two runs: a fresh id, so a
  // service that drops repeated ids does not drop this one.
  while (stored(id)) id = game_reliable_id(name, payload, now);
  if (!insert(id, name, payload, now)) {
    fprintf(stderr, "game_reliable_add: %s kept in memory until it can be stored\n", id.c_str());
    box().unstored[id] = {name, payload, now};
  }
  box().added = true;
  fprintf(stderr, "game_reliable_add: %s,%s\n", id.c_str(), name.c_str());
  _game_reliable_do(id, name, payload);
  return id;
}

void game_reliable_remove(const std::string& id) {
  Outbox& b = box();
  b.unstored.erase(id);
  b.in_flight.erase(id);
  if (b.db.db) db_query(b.db, "delete from events where n = ?", var_list(id));
  fprintf(stderr, "game_reliable_remove: %s\n", id.c_str());
}

void game_reliable_request_ended(const std::string& id) { box().in_flight.erase(id); }

void _game_reliable_do(const std::string& id, const std::string& name, const var& payload) {
  fprintf(stderr, "_game_reliable_do: %s,%s\n", id.c_str(), name.c_str());
  if (name == "echo") {
    reliable_echo(id, name, payload);
  } else if (name == "web") {
    reliable_web(id, payload);
  } else {
    fprintf(stderr, "_game_reliable_do: action not found\n");
    game_reliable_remove(id);
  }
}

int game_reliable_pending() {
  Outbox& b = box();
  long rows = 0;
  if (b.db.db) rows = db_query(b.db, "select count(*) as c from events")[0L]["c"].lnum();
  return static_cast<int>(rows + static_cast<long>(b.unstored.size()));
}

int game_reliable_loop() {
  Outbox& b = box();
  long now = game_reliable_now();
  retry_unstored();
  struct Due {
    std::string id, name;
    var payload;
  };
  std::vector<Due> due;
  if (b.db.db) {
    var rows = db_query(b.db, "select * from events order by ts, n");
    for (size_t i = 0; i < rows.len(); i++) {
      var row = rows[i];
      if (now - row["ts"].lnum() < RELIABLE_RESEND_AGE) continue;
      due.push_back({var_str(row["n"]), var_str(row["name"]), json_load(row["data"].str())});
    }
  }
  for (const auto& u : b.unstored)
    if (now - u.second.ts >= RELIABLE_RESEND_AGE) due.push_back({u.first, u.second.name, u.second.payload});
  for (const Due& d : due)
    if (!b.in_flight.count(d.id)) _game_reliable_do(d.id, d.name, d.payload);
  b.added = false;
  b.counted = game_reliable_pending();
  return b.counted;
}

int game_reliable_frame(Game*) {
  Outbox& b = box();
  long now = game_reliable_now();
  // A clock set back counts as time passed rather than as a long wait.
  bool period = now - b.last_loop >= RELIABLE_RESEND_AGE || now < b.last_loop;
  if (b.looped && !(period && (b.counted > 0 || b.added))) return -1;
  b.looped = true;
  b.last_loop = now;
  return game_reliable_loop();
}
