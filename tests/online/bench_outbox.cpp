// Prints what 500, 10,000 (of 3 KiB) and 100,000 (of 400 bytes) due scores cost: the pass's frame, the worst frame
// after it, the memory held, and the frame that ends the pass beside its walk reading the whole table.
#include <malloc.h>
#include "game/headless.h"
#include "game/hooks.h"
#include "online/online.h"
#include "online/reliable.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "util/db.h"
#include "../support/bench_clock.h"

int main() {
  setenv("TUNNELWICK_SERVICE", "127.0.0.1:1", 1);  // nothing listens: each send fails at once, freeing its slot
  online_install_hooks(&game_hooks);
  if (!freopen("/dev/null", "w", stderr)) return 1;  // the outbox's lines would drown the figures
  for (long entries : {500, 10000, 100000}) {
    bench::TempGame tmp;
    Game* g = game_headless_start(TW_DATA_DIR, tmp.dir);  // opens the outbox; its first frame runs the pass
    DBWrap db;
    db_open(db, std::string(tmp.dir) + "/reliable.db");
    db_query(db, "begin");
    for (long i = 0; i < entries; i++)
      db_query(db, "insert into events values (?, 'web', ?, 0)",
               var_list(i, "[\"" + std::string(entries > 10000 ? 400 : 3072, 't') + "\"]"));
    db_query(db, "commit");
    long before = mallinfo2().uordblks;
    double t = bench::wall(), worst = 0, worst_cpu = 0, last = 0;
    game_reliable_frame(g);
    double pass = bench::wall() - t, held = (long(mallinfo2().uordblks) - before) / 1024.0;
    // On to the frame that ends the pass, which walks the rows the (ts, n) order cannot hold, through their index.
    bool sending = true;
    for (int i = 0; i < 600 || sending; i++, web_loop(g)) {
      double w = bench::wall(), c = bench::cpu();
      game_reliable_frame(g);
      if (i < 600) worst = std::max(worst, bench::wall() - w), worst_cpu = std::max(worst_cpu, bench::cpu() - c);
      if (sending) last = bench::wall() - w;
      sending = sending && !web_requests.empty();
    }
    game_headless_stop();
    t = bench::wall();  // the reference: that walk as it read the whole table
    db_query(db, "select rowid from events where rowid > -1e19 and not (typeof(ts) = 'integer' and typeof(n) = 'text') "
                 "order by rowid limit 8");
    std::printf("%6ld entries: pass frame %7.2f ms, worst frame after %5.2f ms (cpu %5.2f ms), held %7.0f KiB, "
                "last frame %5.2f ms (whole-table walk %5.2f ms)\n",
                entries, 1e3 * pass, 1e3 * worst, 1e3 * worst_cpu, held, 1e3 * last, 1e3 * (bench::wall() - t));
  }
}
