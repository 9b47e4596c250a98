// Prints what opening My maps costs in a real window with 1,000 and with
// 20,000 maps, side by side: the switch from the main menu as its "Build"
// makes it (the zoom paints both screens), the first frame and the first
// paint; with a plain switch beside it; and the memory the process holds
// once it is open. A benchmark: it
// measures and prints, it does not judge.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "game/hooks.h"
#include "game/levels_db.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "util/db.h"
#include "../support/bench_clock.h"

namespace {

// Replaces the player's maps by n maps, one saved each second.
void store_maps(int n) {
  DBWrap& db = game_db(GAME_DB_USER);
  db_query(db, "begin");
  db_query(db, "delete from levels");
  for (int i = 0; i < n; i++)
    db_query(db, "insert into levels (id, data, ts, title) values (?, 'x', ?, ?)",
             var_list(std::to_string(i + 1), std::to_string(1000 + i), "My tunnel number " + std::to_string(i)));
  db_query(db, "commit");
}

// The best open times of a few (the machine may be busy), zoomed and
// plain, and the memory held with the screen open.
void open_maps(Game* g, int n, double ms[2], double* mib) {
  store_maps(n);
  ms[0] = ms[1] = 1e9;
  for (int run = 0; run < 6; run++) {
    game_switch(g, TRANS_NONE, STATE_MENUS_MAIN);
    game_frame(g, 20);
    double t = bench::wall();
    game_switch(g, run % 2 ? TRANS_NONE : TRANS_ZOOM, STATE_MENUS_EDIT);
    game_frame(g, 1);
    g->paint();
    ms[run % 2] = std::min(ms[run % 2], 1e3 * (bench::wall() - t));
  }
  *mib = bench::resident_mib();
}

}  // namespace

int main() {
  if (!getenv("DISPLAY")) {
    std::printf("bench_my_maps: no DISPLAY, nothing measured\n");
    return 0;
  }
  bench::TempGame run;
  if (!run.made) return 1;
  game_hooks.register_menu_states = register_menu_states;
  run.start();
  double ms[2][2], mib[2];
  open_maps(run.g, 1000, ms[0], &mib[0]);
  open_maps(run.g, 20000, ms[1], &mib[1]);
  for (int k = 0; k < 2; k++)
    std::printf("open My maps, %6s maps: zoomed %7.1f ms, plain %7.1f ms, resident %5.0f MiB\n",
                k ? "20,000" : "1,000", ms[k][0], ms[k][1], mib[k]);
  std::printf("20,000 against 1,000: zoomed %.1f times, plain %.1f times the time, %+.0f MiB\n",
              ms[1][0] / ms[0][0], ms[1][1] / ms[0][1], mib[1] - mib[0]);
  return 0;
}
