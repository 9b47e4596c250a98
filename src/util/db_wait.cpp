// The time a frame may spend waiting for other programs' locks on the player's databases, shared by all its statements.
#include <sqlite3.h>
#include <time.h>

#include <algorithm>

#include "util/db.h"
#include "util/db_internal.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr Clock::duration kAllowance = std::chrono::milliseconds(kDbBusyTimeoutMs);
// Short naps at first, so that another copy's commit of a few milliseconds
// costs about as much; longer ones while a lock stays.
constexpr int kLongestNapMs = 16;

// What the frame has waited so far; one process runs one game.
Clock::duration g_spent{};

Clock::duration left() { return std::max(kAllowance - g_spent, Clock::duration::zero()); }

// SQLite's busy handler: true to try again after a nap, false to fail with
// SQLITE_BUSY. A held file is tried once; one whose wait runs out counts as
// held for statements of the kind that waited.
int wait_for_lock(void* arg, int tries) {
  DBWrap& db = *static_cast<DBWrap*>(arg);
  bool& held = db.writing ? db.held_writes : db.held_reads;
  if (held || db.held_reads) return 0;
  const Clock::duration rest = left();
  if (rest <= Clock::duration::zero()) {
    held = true;
    return 0;
  }
  const auto start = Clock::now();
  auto nap = std::min<Clock::duration>(std::chrono::milliseconds(std::min(1 << std::min(tries, 4), kLongestNapMs)), rest);
  struct timespec ts = {0, static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(nap).count())};
  nanosleep(&ts, nullptr);
  db_wait_spent(start);
  return 1;
}
}  // namespace

void db_waits_new_frame() { g_spent = Clock::duration::zero(); }

void db_arm_waits(DBWrap& db) { sqlite3_busy_handler(db.db, wait_for_lock, &db); }

Clock::time_point db_wait_deadline() { return Clock::now() + left(); }

void db_wait_spent(Clock::time_point since) { g_spent += Clock::now() - since; }
