// Tallies cartridges per sector to unlock levels and the next sector, and picks the next level.
#include "game/sector.h"

#include <cstdio>

#include "game/game.h"

void sector_tally(Game* g) {
  Progress& p = g->progress;
  if (p.current_level < 0 || p.current_level >= PROGRESS_LEVELS) p.current_level = 0;
  const LevelInfo& current = p.levels[p.current_level];
  int best_y = 0;      // kept across sectors
  int remembered = -1;
  for (int s = 1; s <= PROGRESS_SECTORS; s++) {
    int levels = 0, has_count = 0, counted = 0, won = 0, carts = 0, total = 0;
    for (int i = 0; i < PROGRESS_LEVELS; i++) {
      const LevelInfo& l = p.levels[i];
      if (!l.in_use || l.sector != s) continue;
      levels++;
      if (l.has_count) has_count++;
      if (l.has_lock && !l.unlocked) continue;
      counted++;
      total += l.total_carts;
      carts += l.best_carts;
      if (l.plays) {
        won++;
      } else if (l.sector >= current.sector && l.map_y > best_y) {
        best_y = l.map_y;
        remembered = i;
      }
    }
    for (int i = 0; i < PROGRESS_LEVELS; i++) {
      LevelInfo& l = p.levels[i];
      if (!l.in_use || l.sector != s || !l.has_lock || l.unlocked) continue;
      l.sector_carts = carts;
      if (carts >= l.lock_total) {
        l.unlocked = 1;
        remembered = i;
      }
    }
    fprintf(stderr, "sector: [%d/%d] %d / %d / %d\n", carts, total, won, counted, levels);
    if (won != 0 && won >= has_count && s + 1 != p.max_sector) {
      p.max_sector = s + 1;
      p.current_sector = s + 1;
    }
  }
  if (current.plays == 1 && remembered >= 0) p.current_level = remembered;
  fprintf(stderr, "sectors: max:%d cur:%d\n", p.max_sector, p.current_sector);
  g->save();
}
