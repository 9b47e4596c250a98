// Prints what due scores cost the outbox: at 500 and 10,000 of 3 KiB the pass's frame, the worst frame after it and
// the memory held; at 100,000 of 400 bytes the worst frame of a whole pass, beside its walk reading the whole table.
#include <malloc.h>
#include "game/headless.h"
#include "game/hooks.h"
#include "online/online.h"
#include "online/reliable.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "util/db.h"
#include "../support/bench_clock.h"

namespace {

// The game started over a temporary directory, its outbox holding that many due scores.
Game* start(bench::TempGame& tmp, DBWrap& db, long entries, size_t bytes) {
  Game* g = game_headless_start(TW_DATA_DIR, tmp.dir);  // opens the outbox; its first frame runs the pass
  db_open(db, std::string(tmp.dir) + "/reliable.db");
  db_query(db, "begin");
  for (long i = 0; i < entries; i++)
    db_query(db, "insert into events values (?, 'web', ?, 0)", var_list(i, "[\"" + std::string(bytes, 't') + "\"]"));
  db_query(db, "commit");
  return g;
}

}  // namespace

int main() {
  setenv("TUNNELWICK_SERVICE", "127.0.0.1:1", 1);  // nothing listens: each send fails at once, freeing its slot
  online_install_hooks(&game_hooks);
  if (!freopen("/dev/null", "w", stderr)) return 1;  // the outbox's lines would drown the figures
  for (long entries : {500, 10000}) {
    bench::TempGame tmp;
    DBWrap db;
    Game* g = start(tmp, db, entries, 3072);
    long before = mallinfo2().uordblks;
    double t = bench::wall(), worst = 0, worst_cpu = 0;
    game_reliable_frame(g);
    double pass = bench::wall() - t, held = (long(mallinfo2().uordblks) - before) / 1024.0;
    for (int i = 0; i < 600; i++, web_loop(g)) {
      double w = bench::wall(), c = bench::cpu();
      game_reliable_frame(g);
      worst = std::max(worst, bench::wall() - w), worst_cpu = std::max(worst_cpu, bench::cpu() - c);
    }
    game_headless_stop();
    std::printf("%6ld entries: pass frame %7.2f ms, worst frame after %5.2f ms (cpu %5.2f ms), held %7.0f KiB\n",
                entries, 1e3 * pass, 1e3 * worst, 1e3 * worst_cpu, held);
  }
  // A whole pass, to the frame that ends it after the last entry went out: that frame walks the rows the (ts, n)
  // order cannot hold, through their index; the reference is that walk as it read the whole table without one.
  bench::TempGame tmp;
  DBWrap db;
  const long entries = 100000;
  Game* g = start(tmp, db, entries, 400);
  bench::Figures frame;
  long frames = 0;
  double last = 0;
  for (bool sending = true; sending && frames < entries; frames++, web_loop(g)) {
    double w = bench::wall(), c = bench::cpu();
    game_reliable_frame(g);
    frame.add(last = bench::wall() - w, bench::cpu() - c);
    sending = !web_requests.empty();
  }
  game_headless_stop();
  const long now = game_reliable_now();
  double t = bench::wall();
  db_query(db,
           "select rowid as r, n, name from events where rowid > ? and not (typeof(ts) = 'integer' and typeof(n) = "
           "'text') and not (ts > ? and ts <= ?) order by rowid limit 8",
           var_list("-1e19", std::to_string(now - RELIABLE_RESEND_AGE), std::to_string(now)));
  double whole = bench::wall() - t;
  std::printf("%6ld entries: a whole pass of %ld frames, the last %5.2f ms, worst %5.2f ms (cpu %5.2f), median %5.2f ms\n",
              entries, frames, 1e3 * last, bench::Figures::pct(frame.wall_ms, 1), bench::Figures::pct(frame.cpu_ms, 1),
              bench::Figures::pct(frame.wall_ms, 0.5));
  std::printf("%6s  reference: the last frame's walk reading the whole table, %5.2f ms\n", "", 1e3 * whole);
}
