// Keeps submissions in the per-user outbox database and resends them until a receipt removes them.
#include "online/reliable.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <set>

#include "game/game.h"
#include "game/paths.h"
#include "game/save_files.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "util/db.h"
#include "util/encode.h"
#include "util/error.h"
#include "util/json.h"

namespace {

const char* const kCreate = "create table if not exists events (n text primary key, name text, data blob, ts int)";
// The order a pass sends in, so that a pass walks it a few rows at a time.
const char* const kIndex = "create index if not exists events_order on events (ts, n)";
// The rows that order cannot hold, so that the walk after it finds them
// without reading the whole table: it names these very terms.
const char* const kOddIndex =
    "create index if not exists events_odd on events ((typeof(ts) = 'integer' and typeof(n) = 'text')) "
    "where not (typeof(ts) = 'integer' and typeof(n) = 'text')";
// The rows a pass still has to look at: due (an age outside
// [0, RELIABLE_RESEND_AGE) or no number at all), first those with an
// integer stamp and a text id, after the pass's cursor in (ts, n) order:
// only such values, bound back as text, are the very values read (the
// integer through the column's affinity), so the cursor moves on.
const char* const kDueFrom =
    "select n, name, ts from events where (ts, n) > (?, ?) and typeof(ts) = 'integer' and typeof(n) = 'text' "
    "and not (ts > ? and ts <= ?) order by ts, n limit 8";
// Then every other row, through events_odd, after a cursor of exact rowids,
// whatever its values read back as: a stamp that is no integer (NULL too)
// counts as no time at all, so due, and after every entry held in memory.
const char* const kDueUntimedFrom =
    "select rowid as r, n, name from events where (typeof(ts) = 'integer' and typeof(n) = 'text') = 0 "
    "and not (typeof(ts) = 'integer' and typeof(n) = 'text') and rowid > ? and (ts > ? and ts <= ?) is not 1 "
    "order by rowid limit 8";
// The cursors of a new pass: a number below every integer, so before every
// integer stamp and every rowid.
const char* const kBeforeEveryInteger = "-1e19";

struct Unstored {
  std::string name;
  var payload;
  long ts;
};

// An entry waiting for a slot: only its id and name, and the rowid of one
// its id may not find; the payload is read when it goes out.
struct Waiting {
  std::string id, name, rowid;
};

// A stored entry the pass has read, with what places it among those held
// in memory.
struct Row {
  std::string id, name;
  double ts;
  std::string rowid;  // read by rowid: no stamp to place it by
};

// Where an entry stands in the order a pass sends in.
typedef std::pair<long, std::string> Place;

struct Outbox {
  DBWrap db;
  long seq = 0;
  long last_loop = 0;
  bool looped = false;
  // What the last pass counted, and whether an entry came since: a pass
  // is due only when either says something is pending.
  int counted = 0;
  bool added = false;
  // Entries whose insert failed: carried for the run and stored later;
  // held_order holds the same entries by (ts, id) for the passes.
  std::map<std::string, Unstored> unstored;
  std::set<Place> held_order;
  // The player was told in this run that an entry is held only in memory.
  bool told = false;
  // Entries with a live request: a pass does not send them a second time.
  std::set<std::string> in_flight;
  // Entries due while every slot was taken, in the order they came.
  std::deque<Waiting> waiting;
  std::set<std::string> waiting_ids;
  // Entries the service took whose delete failed: never sent again; each
  // pass tries the delete again.
  std::set<std::string> delivered;
  // A pass sends only as slots free, over many frames: it walks the stored
  // entries and those held in memory together in (ts, n) order, each from a
  // cursor of its own. The first `ahead` waiting entries were queued before
  // the pass and go first.
  bool sweeping = false, stored_seen = false, by_rowid = false;
  var cursor_ts, cursor_n, cursor_rowid;
  Place memory_cursor;
  size_t ahead = 0;
  std::deque<Row> batch;
  // What this frame may still look at without taking a slot: entries
  // carried out without one (removed) and rows passed over.
  int spare = 0;
};

Outbox& box() {
  static Outbox b;
  return b;
}

reliable_clock_fn g_clock = nullptr;

static_assert(sizeof RELIABLE_UNSTORED_TEXT <= sizeof(Game::popup_text), "the notice fits the popup screen");

void hold(const std::string& id, const std::string& name, const var& payload, long ts) {
  Outbox& b = box();
  if (b.unstored.count(id)) return;
  b.unstored[id] = {name, payload, ts};
  b.held_order.insert({ts, id});
}

// Whether the notice of an entry held in memory still tells the truth; a
// notice dropped as untrue leaves the next such entry of the run to tell.
bool any_held() {
  Outbox& b = box();
  if (b.unstored.empty()) b.told = false;
  return !b.unstored.empty();
}

void unhold(std::map<std::string, Unstored>::iterator it) {
  Outbox& b = box();
  b.held_order.erase({it->second.ts, it->first});
  b.unstored.erase(it);
}

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

bool create_table() {
  var rows;
  if (!db_query_checked(box().db, kCreate, var(), rows)) {
    fprintf(stderr, "game_reliable_init: cannot create the outbox table in %s: %s\n", box().db.path.c_str(),
            tk_last_error().c_str());
    return false;
  }
  // Neither is needed to store an entry (a database that takes no writes
  // refuses both, and db_query says so): without them a pass walks slower.
  db_query_checked(box().db, kIndex, var(), rows);
  db_query_checked(box().db, kOddIndex, var(), rows);
  return true;
}

// Opens the outbox's database, a broken one salvaged, keeps it private and
// makes its table.
void open_db(const std::string& path) {
  Outbox& b = box();
  if (!db_open_salvaging(b.db, path, {kCreate, kIndex, kOddIndex})) return;
  // Entries carry the player's login token: the player's eyes only.
  if (chmod(path.c_str(), SAVE_PRIVATE_MODE) != 0)
    fprintf(stderr, "game_reliable_init: cannot make %s private: %s\n", path.c_str(), strerror(errno));
  create_table();
}

// An outbox whose database could not be opened tries again: the path may
// be usable by now.
void reopen() {
  Outbox& b = box();
  if (!b.db.db && !b.db.path.empty()) open_db(b.db.path);
}

void retry_unstored() {
  Outbox& b = box();
  if (b.unstored.empty()) return;
  reopen();
  if (!b.db.db || !create_table()) return;
  for (auto it = b.unstored.begin(); it != b.unstored.end();) {
    auto at = it++;
    if (insert(at->first, at->second.name, at->second.payload, at->second.ts)) unhold(at);
  }
}

bool delete_row(const std::string& id) {
  var rows;
  return !box().db.db || db_query_checked(box().db, "delete from events where n in (?1, cast(?1 as blob))", var_list(id), rows);
}

void retry_deletes() {
  Outbox& b = box();
  for (auto it = b.delivered.begin(); it != b.delivered.end();) {
    if (delete_row(*it))
      it = b.delivered.erase(it);
    else
      ++it;
  }
}

// Due: old enough to send again, or stamped ahead of the clock (a clock
// set forward when it was added and corrected since), or a stamp that is
// no time at all.
bool due(double ts, long now) {
  double age = static_cast<double>(now) - ts;
  return !(age >= 0 && age < RELIABLE_RESEND_AGE);
}

void reliable_echo(const std::string& id, const std::string& name, const var& payload) {
  fprintf(stderr, "_game_reliable_echo: %s,%s,%s\n", id.c_str(), name.c_str(), var_str(payload).c_str());
  game_reliable_remove(id);
}

bool slot_free() { return box().in_flight.size() < static_cast<size_t>(RELIABLE_MAX_IN_FLIGHT); }

// Not to be sent now: in flight, taken by the service, or queued already.
bool busy(const std::string& id) {
  Outbox& b = box();
  return b.in_flight.count(id) || b.delivered.count(id) || b.waiting_ids.count(id);
}

// The one place that sends: never a second request for an entry in
// flight, nor one for an entry the service has taken.
void reliable_web(const std::string& id, const var& payload) {
  Outbox& b = box();
  if (b.in_flight.count(id) || b.delivered.count(id)) return;
  if (!slot_free()) {
    if (b.waiting_ids.insert(id).second) b.waiting.push_back({id, "web", ""});
    return;
  }
  fprintf(stderr, "_game_reliable_web ...\n");
  if (!game_current) return;  // no run to send from: the entry waits
  std::string body;
  var post = payload["post"];
  for (const std::string& key : post.keys()) web_form_add(&body, key.c_str(), var_str(post[key]));
  WebIdentity as;
  bool signed_for = web_identity_from_var(payload["identity"], &as);
  WebRequest* r =
      web_request_new(game_current, var_str(payload["action"]), body, "&_receipt=" + id, signed_for ? &as : nullptr);
  r->receipt = id;
  r->max_response = RELIABLE_MAX_REPLY;
  b.in_flight.insert(id);
  web_request_go(r);
}

// Carries out an entry by its id, its payload read from memory or from the
// database; one that is neither (removed meanwhile) is passed over.
void carry_out(const Waiting& e) {
  Outbox& b = box();
  auto held = b.unstored.find(e.id);
  if (held != b.unstored.end()) {
    game_reliable_do(e.id, e.name, held->second.payload);
    return;
  }
  if (!b.db.db) return;
  var rows = e.rowid.empty() ? db_query(b.db, "select data from events where n = ?", var_list(e.id))
                             : db_query(b.db, "select data from events where rowid = ?", var_list(e.rowid));
  if (rows.len() > 0) game_reliable_do(e.id, e.name, json_load(rows[0L]["data"].str()));
}

// Reads the next stored rows the pass has to look at; none left marks the
// stored entries seen. A row without an id could never be named by a
// receipt: it is passed over, and counts toward the frame's share.
void read_due_rows(long now) {
  Outbox& b = box();
  var old = std::to_string(now - RELIABLE_RESEND_AGE), at = std::to_string(now);
  var rows = b.db.db && !b.by_rowid ? db_query(b.db, kDueFrom, var_list(b.cursor_ts, b.cursor_n, old, at)) : var();
  if (b.db.db && rows.len() == 0) {
    b.by_rowid = true;
    rows = db_query(b.db, kDueUntimedFrom, var_list(b.cursor_rowid, old, at));
  }
  for (size_t i = 0; i < rows.len(); i++) {
    var r = rows[i];
    if (!var_str(r["n"]).empty()) {
      b.batch.push_back({var_str(r["n"]), var_str(r["name"]), r["ts"].num(), var_str(r["r"])});
      continue;
    }
    b.spare--;
    fprintf(stderr, "game_reliable_loop: a stored entry without an id is passed over\n");
  }
  if (rows.len() == 0) {
    b.stored_seen = true;
  } else if (b.by_rowid) {
    b.cursor_rowid = rows[rows.len() - 1]["r"];
  } else {
    b.cursor_ts = rows[rows.len() - 1]["ts"];
    b.cursor_n = rows[rows.len() - 1]["n"];
  }
}

// Whether the held entry goes before the stored row in (ts, n) order.
bool held_first(const Place& held, const Row& row) {
  if (!row.rowid.empty()) return true;
  double ts = static_cast<double>(held.first);
  return ts < row.ts || (ts == row.ts && held.second < row.id);
}

// The pass's next entry to carry out, the stored and the held in one
// order. False when the pass has seen every entry it had to, which ends it,
// or when the frame's share of rows looked at without a slot is spent: the
// pass goes on from there next frame.
bool sweep_next(Waiting* next) {
  Outbox& b = box();
  long now = game_reliable_now();
  for (;;) {
    if (b.spare <= 0) return false;
    // A batch that rows passed over left empty is no end: read on.
    if (b.batch.empty() && !b.stored_seen) {
      read_due_rows(now);
      continue;
    }
    // Held entries not yet due are passed over once, as stored ones are.
    auto held = b.held_order.upper_bound(b.memory_cursor);
    while (held != b.held_order.end() && !due(static_cast<double>(held->first), now)) b.memory_cursor = *held++;
    bool from_memory = held != b.held_order.end() && (b.batch.empty() || held_first(*held, b.batch.front()));
    if (from_memory) {
      b.memory_cursor = *held;
      auto entry = b.unstored.find(held->second);
      if (entry == b.unstored.end()) continue;
      *next = {held->second, entry->second.name, ""};
    } else if (!b.batch.empty()) {
      *next = {b.batch.front().id, b.batch.front().name, b.batch.front().rowid};
      b.batch.pop_front();
    } else {
      b.sweeping = false;
      b.batch.clear();
      return false;
    }
    if (!busy(next->id)) return true;
    b.spare--;
  }
}

// Sends entries that waited for a slot, then the pass's, while slots are
// free; entries that were removed or sent meanwhile are passed over.
// Without a run to send from, or a free slot, it does nothing at all.
void fill_slots() {
  Outbox& b = box();
  while (game_current && slot_free()) {
    Waiting e;
    if (!b.waiting.empty() && (b.ahead > 0 || !b.sweeping)) {
      e = b.waiting.front();
      b.waiting.pop_front();
      b.waiting_ids.erase(e.id);
      if (b.ahead > 0) b.ahead--;
    } else if (!b.sweeping || !sweep_next(&e)) {
      if (b.sweeping || b.waiting.empty()) return;  // the pass goes on next frame, or nothing is left
      continue;
    }
    size_t flying = b.in_flight.size();
    carry_out(e);
    if (b.in_flight.size() == flying) b.spare--;  // no slot taken: removed, or gone meanwhile
  }
}

// A new pass: what waits now goes first, then every due entry in order.
void start_sweep() {
  Outbox& b = box();
  b.sweeping = true;
  b.stored_seen = b.by_rowid = false;
  b.cursor_ts = b.cursor_rowid = kBeforeEveryInteger;
  b.cursor_n = "";
  b.memory_cursor = {LONG_MIN, std::string()};
  b.batch.clear();
  b.ahead = b.waiting.size();
}

// game_reliable_loop within the frame's share of rows looked at without a slot.
int run_pass() {
  Outbox& b = box();
  reopen();
  retry_unstored();
  retry_deletes();
  start_sweep();
  fill_slots();
  b.added = false;
  b.counted = game_reliable_pending();
  return b.counted;
}

}  // namespace

void game_reliable_set_clock(reliable_clock_fn clock) { g_clock = clock; }

long game_reliable_now() { return g_clock ? g_clock() : static_cast<long>(time(nullptr)); }

void game_reliable_init(Game*) {
  Outbox& b = box();
  std::string path = game_user_path("reliable.db");
  // Another per-user directory: a new outbox altogether. In the same one,
  // entries held in memory stay for a pass to store.
  if (b.db.path != path) {
    b.unstored.clear();
    b.held_order.clear();
    b.delivered.clear();
    b.seq = 0;
  }
  // Each run opens the file afresh: it may have been replaced or put aside
  // since, and a broken one is salvaged.
  open_db(path);
  // A new run: no request of an earlier one is still waiting for its reply.
  b.in_flight.clear();
  b.waiting.clear();
  b.waiting_ids.clear();
  b.sweeping = false;
  b.batch.clear();
  b.looped = false;
  b.last_loop = 0;
  b.told = false;
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
    hold(id, name, payload, now);
    // Every such entry is logged; the player hears of it once a run (again
    // only after a notice dropped because nothing was held any more).
    if (game_current && !box().told) {
      box().told = true;
      web_notice(game_current, RELIABLE_UNSTORED_TEXT, any_held);
    }
  }
  box().added = true;
  fprintf(stderr, "game_reliable_add: %s,%s\n", id.c_str(), name.c_str());
  game_reliable_do(id, name, payload);
  return id;
}

void game_reliable_remove(const std::string& id) {
  Outbox& b = box();
  auto held = b.unstored.find(id);
  if (held != b.unstored.end()) unhold(held);
  if (!delete_row(id)) {
    b.delivered.insert(id);
    fprintf(stderr, "game_reliable_remove: %s was taken but cannot be deleted (%s); it is not sent again\n",
            id.c_str(), tk_last_error().c_str());
    return;
  }
  fprintf(stderr, "game_reliable_remove: %s\n", id.c_str());
}

void game_reliable_request_ended(const std::string& id) { box().in_flight.erase(id); }

void game_reliable_do(const std::string& id, const std::string& name, const var& payload) {
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
  box().spare = RELIABLE_MAX_UNSLOTTED;
  return run_pass();
}

void game_reliable_quit() {
  Outbox& b = box();
  retry_unstored();
  retry_deletes();
  if (b.unstored.empty() && b.delivered.empty()) return;
  std::string lost, kept;
  for (const auto& u : b.unstored) lost += (lost.empty() ? "" : ",") + u.first;
  for (const std::string& id : b.delivered) kept += (kept.empty() ? "" : ",") + id;
  fprintf(stderr, "game_reliable_quit: cannot write %s (%s): lost entries [%s]; taken entries sent again next run [%s]\n",
          b.db.path.c_str(), tk_last_error().c_str(), lost.c_str(), kept.c_str());
}

int game_reliable_frame(Game*) {
  Outbox& b = box();
  b.spare = RELIABLE_MAX_UNSLOTTED;
  fill_slots();
  long now = game_reliable_now();
  // A clock set back counts as time passed rather than as a long wait.
  bool period = now - b.last_loop >= RELIABLE_RESEND_AGE || now < b.last_loop;
  if (b.looped && !(period && (b.counted > 0 || b.added))) return -1;
  b.looped = true;
  b.last_loop = now;
  return run_pass();
}
