// Prints the time to open My maps with 1,000 and with 20,000 maps side by side (switch from the main menu,
// first step, first picture drawn; best of three) and the process's peak memory after each.
#include <sys/resource.h>

#include "game/hooks.h"
#include "game/levels_db.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "util/db.h"
#include "../support/bench_clock.h"

int main() {
  if (!getenv("DISPLAY")) return std::printf("bench_my_maps: no DISPLAY, nothing measured\n") * 0;
  bench::TempGame run;
  game_hooks.register_menu_states = register_menu_states;
  run.start();
  for (int n : {1000, 20000}) {
    db_query(game_db(GAME_DB_USER), "with recursive k(i) as (select 1 union all select i + 1 from k where i < cast(? as integer)) "
             "insert or ignore into levels (id, data, ts, title) select i, 'x', i, 'My tunnel ' || i from k", n);
    double best = 1e9;
    for (int k = 0; k < 3; k++) {
      game_switch(run.g, TRANS_NONE, STATE_MENUS_MAIN);
      game_frame(run.g, 20);
      run.g->paint();  // the main menu is the picture shown, so that My maps is drawn anew
      double t = bench::wall();
      game_switch(run.g, TRANS_NONE, STATE_MENUS_EDIT);
      game_frame(run.g, 1);
      run.g->paint();
      glFinish();  // the picture drawn, not only queued
      best = std::min(best, 1e3 * (bench::wall() - t));
    }
    rusage use;
    getrusage(RUSAGE_SELF, &use);
    std::printf("open My maps with %5d maps: %7.1f ms, peak resident %4ld MiB\n", n, best, use.ru_maxrss >> 10);
  }
}
