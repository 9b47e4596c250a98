// Writes and reads the save files, moving unusable ones aside and repairing what a file may hold.
#include "game/save_files.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "game/game.h"
#include "game/paths.h"
#include "game/state_table.h"
#include "game/tile_info.h"
#include "util/atomic_file.h"

static std::string join(const std::string& dir, const char* name) {
  if (dir.empty()) return name;
  return dir + "/" + name;
}

bool game_write_file(const std::string& path, const void* data, size_t len, mode_t mode) {
  return atomic_write_file(path, data, len, mode);
}

// Moves a save file that cannot be used aside, so that the next save does
// not destroy what the player had; why names the fault for the log line.
// The copy may hold the account password: it is the player's only.
static void keep_unusable(const std::string& path, const std::string& why) {
  std::string error;
  std::string bad = file_keep_aside(path, SAVE_PRIVATE_MODE, KeepAside::Move, {}, &error);
  if (bad.empty())
    fprintf(stderr, "game_read_block: %s %s; using defaults (cannot keep it aside: %s)\n", path.c_str(), why.c_str(),
            error.c_str());
  else if (!error.empty())
    fprintf(stderr, "game_read_block: %s %s; kept as %s, using defaults (cannot make it private: %s)\n", path.c_str(),
            why.c_str(), bad.c_str(), error.c_str());
  else
    fprintf(stderr, "game_read_block: %s %s; kept as %s, using defaults\n", path.c_str(), why.c_str(), bad.c_str());
}

bool game_read_block(const std::string& path, void* block, size_t size, int32_t version) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    if (errno != ENOENT) keep_unusable(path, std::string("cannot be read (") + strerror(errno) + ")");
    return false;
  }
  std::vector<uint8_t> buf(size + 1);
  size_t n = fread(buf.data(), 1, buf.size(), f);
  bool failed = ferror(f) != 0;
  fclose(f);
  char why[128];
  if (failed) {
    snprintf(why, sizeof why, "cannot be read");
    keep_unusable(path, why);
    return false;
  }
  if (n != size) {
    if (n > size)
      snprintf(why, sizeof why, "is longer than %zu bytes", size);
    else
      snprintf(why, sizeof why, "has %zu bytes, not %zu", n, size);
    keep_unusable(path, why);
    return false;
  }
  int32_t v;
  memcpy(&v, buf.data(), sizeof v);
  if (v != version) {
    snprintf(why, sizeof why, "has version %d, not %d", v, version);
    keep_unusable(path, why);
    return false;
  }
  memcpy(block, buf.data(), size);
  return true;
}

bool game_save_to(Game* g, const std::string& dir) {
  g->version = GAME_VERSION;
  g->settings.version = SETTINGS_VERSION;
  g->lsettings.version = LSETTINGS_VERSION;
  g->progress.version = PROGRESS_VERSION;
  // Each file is tried whatever became of the others: one that cannot be
  // written must not keep the rest from being saved.
  bool ok = game_write_file(join(dir, "lsettings.dat"), &g->lsettings, sizeof g->lsettings);
  // Both hold the account password: the player's eyes only.
  ok = game_write_file(join(dir, "settings.dat"), &g->settings, sizeof g->settings, SAVE_PRIVATE_MODE) && ok;
  ok = game_write_file(join(dir, "progress.dat"), &g->progress, sizeof g->progress) && ok;
  ok = game_write_file(join(dir, "state.dat"), g, sizeof *g, SAVE_PRIVATE_MODE) && ok;
  return ok;
}

// Counts shown to the player or summed by the game: never negative, and
// small enough that adding them up cannot overflow.
enum { SAVE_COUNT_MAX = 1 << 24 };

static void bound_count(int32_t* v) {
  if (*v < 0) *v = 0;
  if (*v > SAVE_COUNT_MAX) *v = SAVE_COUNT_MAX;
}

static void bound_flags(uint8_t* flags, size_t n) {
  for (size_t i = 0; i < n; i++) flags[i] = flags[i] ? 1 : 0;
}

static bool finite_in(float v, float lo, float hi) { return std::isfinite(v) && v >= lo && v <= hi; }

// The entity and effect records and the run statistics of a stored level:
// a record that names no kind, or stands off the map, is freed; counts are
// bounded; a path never runs past its array.
static void sanitize_level(Level* l) {
  for (Entity& e : l->entities) {
    bool known = e.kind >= ENT_PLAYER && e.kind <= ENT_SPIDER;
    if (!known || !finite_in(e.x, 0, MAP_W) || !finite_in(e.y, 0, MAP_H)) {
      memset(static_cast<void*>(&e), 0, sizeof e);
      continue;
    }
    e.tile &= 0xff;
    for (float* f : {&e.vx, &e.vy, &e.angle, &e.speed})
      if (!std::isfinite(*f)) *f = 0;
    if (e.path_len < 0 || e.path_len > ENTITY_PATH_MAX) e.path_len = 0;
    if (e.path_pos < 0 || e.path_pos > e.path_len) e.path_pos = 0;
  }
  for (Effect& f : l->effects) {
    bool ok = f.life >= 0 && f.max_life >= 0 && f.img >= 0;
    for (float v : {f.x, f.y, f.vx, f.vy, f.size, f.angle, f.spin, f.alpha}) ok = ok && std::isfinite(v);
    if (!ok) memset(static_cast<void*>(&f), 0, sizeof f);
  }
  game_text_terminate(l->notice.text, sizeof l->notice.text);
  bound_count(&l->notice.timer);
  RunStats& s = l->stats;
  for (int32_t* v : {&s.steps, &s.time_cs, &s.deaths, &s.carts, &s.total_carts, &s.jewels, &s.total_jewels,
                     &s.bombs, &s.exit_countdown})
    bound_count(v);
  s.keycards &= 0xe;  // the three keycard colours, bits 1 to 3
  s.won = s.won ? 1 : 0;
  bound_flags(s.ach, sizeof s.ach);
}

// The player's results in the level records.
static void sanitize_progress_counts(Progress* p) {
  for (LevelInfo& l : p->levels) {
    for (int32_t* v : {&l.total_carts, &l.best_carts, &l.plays, &l.sector_carts, &l.lock_total, &l.best_crystal_pct})
      bound_count(v);
    l.unlocked = l.unlocked ? 1 : 0;
    bound_flags(l.earned, sizeof l.earned);
    for (RunRecord& r : l.history)
      for (int32_t* v : {&r.time_cs, &r.deaths, &r.carts, &r.jewels, &r.crystal_pct}) bound_count(v);
  }
}

static int known_state(int id) {
  return state_get(id) ? id : STATE_MENUS_MAIN;
}

void game_sanitize_image(Game* g) {
  g->quit = 0;
  memset(&g->run, 0, sizeof g->run);
  g->state = known_state(g->state);
  g->return_menu = known_state(g->return_menu);
  g->settings_return_state = known_state(g->settings_return_state);
  g->error_return_state = known_state(g->error_return_state);
  g->popup_return_state = known_state(g->popup_return_state);
  g->help_return_state = known_state(g->help_return_state);
  level_map_sanitize(&g->level.map, false);
  sanitize_level(&g->level);
  game_text_terminate(g->current_level_id, sizeof g->current_level_id);
  game_text_terminate(g->level_title, sizeof g->level_title);
  game_text_terminate(g->level_intro, sizeof g->level_intro);
  game_text_terminate(g->map_id, sizeof g->map_id);
  game_text_terminate(g->error_text, sizeof g->error_text);
  game_text_terminate(g->popup_text, sizeof g->popup_text);
  if (g->last_record < 0 || g->last_record >= PROGRESS_LEVELS) g->last_record = 0;
  bound_count(&g->last_time_cs);
  bound_count(&g->last_deaths);
  bound_flags(g->last_ach, sizeof g->last_ach);
  for (SaveSlot& s : g->slots)
    if (s.len < 0 || s.len > (int32_t)sizeof s.data) s.len = 0;
  Replay& r = g->replay;
  if (r.len < 0 || r.len > (int32_t)sizeof r.data) r.len = 0;
  if (r.pos < 0 || r.pos > r.len) r.pos = 0;
  progress_sanitize(&g->progress);
  sanitize_progress_counts(&g->progress);
  settings_sanitize(&g->settings);
}

bool game_load_state(Game* g, const std::string& dir) {
  std::vector<uint8_t> buf(sizeof(Game));
  if (!game_read_block(join(dir, "state.dat"), buf.data(), buf.size(), GAME_VERSION)) return false;
  memcpy(static_cast<void*>(g), buf.data(), sizeof(Game));
  game_sanitize_image(g);
  return true;
}

void game_load_settings(Game* g, const std::string& dir) {
  Settings s;
  if (game_read_block(join(dir, "settings.dat"), &s, sizeof s, SETTINGS_VERSION)) {
    settings_sanitize(&s);
    g->settings = s;
  }
  LocalSettings l;
  if (game_read_block(join(dir, "lsettings.dat"), &l, sizeof l, LSETTINGS_VERSION)) g->lsettings = l;
}

bool game_load_progress(Game* g, const std::string& dir) {
  std::vector<uint8_t> buf(sizeof(Progress));
  if (!game_read_block(join(dir, "progress.dat"), buf.data(), buf.size(), PROGRESS_VERSION)) return false;
  memcpy(&g->progress, buf.data(), sizeof(Progress));
  progress_sanitize(&g->progress);
  sanitize_progress_counts(&g->progress);
  return true;
}

bool Game::save() { return game_save_to(this, game_user_dir()); }
