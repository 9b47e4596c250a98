// Prints what 500 and 10,000 due scores of 3 KiB cost: the pass's frame, the worst frame after it, the memory held.
#include <malloc.h>
#include "game/headless.h"
#include "game/hooks.h"
#include "online/online.h"
#include "online/reliable.h"
#include "online/web_loop.h"
#include "util/db.h"
#include "../support/bench_clock.h"

int main() {
  setenv("TUNNELWICK_SERVICE", "127.0.0.1:1", 1);  // nothing listens: each send fails at once, freeing its slot
  online_install_hooks(&game_hooks);
  if (!freopen("/dev/null", "w", stderr)) return 1;  // the outbox's lines would drown the figures
  for (long entries : {500, 10000}) {
    bench::TempGame tmp;
    Game* g = game_headless_start(TW_DATA_DIR, tmp.dir);  // opens the outbox; its first frame runs the pass
    DBWrap db;
    db_open(db, std::string(tmp.dir) + "/reliable.db");
    db_query(db, "begin");
    for (long i = 0; i < entries; i++)
      db_query(db, "insert into events values (?, 'web', ?, 0)", var_list(i, "[\"" + std::string(3072, 't') + "\"]"));
    db_query(db, "commit");
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
    std::printf("%5ld entries: pass frame %7.2f ms, worst frame after %5.2f ms (cpu %5.2f ms), held %7.0f KiB\n",
                entries, 1e3 * pass, 1e3 * worst, 1e3 * worst_cpu, held);
  }
}
