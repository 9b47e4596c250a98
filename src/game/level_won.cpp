// Records a won run: best results, achievements, the last-run summary and a proven play-test.
#include "game/level_won.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "game/game.h"
#include "game/hooks.h"
#include "game/levels_db.h"
#include "game/world.h"
#include "gfx/transition.h"

const char* const LEVEL_ACH_NODEATHS = "nodeaths";
const char* const LEVEL_ACH_CARTRIDGES = "cartridges";
const char* const LEVEL_ACH_JEWELS = "jewels";

int level_record_index(Game* g) {
  for (int i = 1; i < PROGRESS_LEVELS; i++) {
    const LevelInfo& l = g->progress.levels[i];
    if (!l.in_use || !l.name[0]) continue;
    char file[64];
    snprintf(file, sizeof file, "%s.map", l.name);
    if (strcmp(file, g->current_level_id) == 0) return i;
  }
  return 0;
}

static void flag_ach(Game* g, const char* name) {
  if (int idx = g->progress.find_ach(name)) g->last_ach[idx] = 1;
}

static void copy_last_run(Game* g) {
  const RunStats& s = g->level.stats;
  g->last_time_cs = s.time_cs;
  g->last_deaths = s.deaths;
  memset(g->last_ach, 0, sizeof g->last_ach);
  for (int i = 1; i < PROGRESS_ACHS; i++)
    if (s.ach[i]) g->last_ach[i] = 1;
  if (s.deaths == 0) flag_ach(g, LEVEL_ACH_NODEATHS);
  if (s.total_carts > 0 && s.carts >= s.total_carts) flag_ach(g, LEVEL_ACH_CARTRIDGES);
  if (s.total_jewels > 0 && s.jewels >= s.total_jewels) flag_ach(g, LEVEL_ACH_JEWELS);
}

static void record_run(Game* g, int index) {
  const RunStats& s = g->level.stats;
  LevelInfo& l = g->progress.levels[index];
  memmove(&l.history[1], &l.history[0], sizeof l.history - sizeof l.history[0]);
  RunRecord& r = l.history[0];
  r.valid = 1;
  r.time_cs = s.time_cs;
  r.deaths = s.deaths;
  r.carts = s.carts;
  r.jewels = s.jewels;
  r.crystal_pct = s.total_jewels > 0 ? s.jewels * 100 / s.total_jewels : 0;
  r.cheat = s.cheat;
  r.when = static_cast<int32_t>(time(nullptr));
  l.plays++;
  if (s.carts > l.best_carts) l.best_carts = s.carts;
  if (r.crystal_pct > l.best_crystal_pct) l.best_crystal_pct = r.crystal_pct;
  for (const char* name : l.ach) {
    int idx = g->progress.find_ach(name);
    if (idx && g->last_ach[idx]) l.earned[idx] = 1;
  }
}

// A play-test is proven once won with every cartridge and jewel.
static void mark_play_test(Game* g) {
  RunStats s = g->level.stats;
  if (!level_restore_edited_map(g)) return;
  if (s.carts < s.total_carts || s.jewels < s.total_jewels) return;
  LevelMap& m = g->level.map;
  m.win_changes = m.changes;
  // The mark lives in the Level too: when the table refuses it, the editor
  // keeps the map unsaved rather than reading the old row back over it.
  if (!levels_save(g) && game_hooks.edit_map_unsaved) game_hooks.edit_map_unsaved();
}

void level_won(Game* g) {
  RunStats& s = g->level.stats;
  if (s.won) return;
  s.won = 1;
  copy_last_run(g);
  g->last_record = 0;
  if (!s.replaying) {
    bool clean = !s.cheat;
    if (g->return_menu == STATE_MENUS_PLAY) {
      int index = level_record_index(g);
      if (index) {
        g->last_record = index;
        record_run(g, index);
      } else {
        fprintf(stderr, "level_won: no level record for %s\n", g->current_level_id);
      }
      g->save();
      if (clean && game_hooks.submit_scores) game_hooks.submit_scores(g);
    } else if (g->return_menu == STATE_MENUS_COMMUNITY) {
      if (clean && game_hooks.submit_uscores) game_hooks.submit_uscores(g);
    } else if (g->return_menu == STATE_EDIT_MAIN) {
      mark_play_test(g);
    }
  }
  g->transition(TRANS_ZOOM, STATE_PLAY_WIN);
}
