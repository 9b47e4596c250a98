#include "game/save_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "game/game.h"
#include "game/paths.h"
#include "game/state_table.h"

static std::string join(const std::string& dir, const char* name) {
  if (dir.empty()) return name;
  return dir + "/" + name;
}

bool game_write_file(const std::string& path, const void* data, size_t len) {
  std::string tmp = path + ".tmp";
  FILE* f = fopen(tmp.c_str(), "wb");
  if (!f) {
    fprintf(stderr, "game_write_file: cannot write %s\n", tmp.c_str());
    return false;
  }
  bool ok = fwrite(data, 1, len, f) == len;
  ok = (fflush(f) == 0) && ok;
  ok = (fclose(f) == 0) && ok;
  if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
    fprintf(stderr, "game_write_file: failed writing %s\n", path.c_str());
    unlink(tmp.c_str());
    return false;
  }
  return true;
}

bool game_read_block(const std::string& path, void* block, size_t size, int32_t version) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> buf(size + 1);
  size_t n = fread(buf.data(), 1, buf.size(), f);
  fclose(f);
  if (n != size) {
    fprintf(stderr, "game_read_block: %s has %s%zu bytes, not %zu; keeping defaults\n",
            path.c_str(), n > size ? "more than " : "", n > size ? size : n, size);
    return false;
  }
  int32_t v;
  memcpy(&v, buf.data(), sizeof v);
  if (v != version) {
    fprintf(stderr, "game_read_block: %s has version %d, not %d; keeping defaults\n",
            path.c_str(), v, version);
    return false;
  }
  memcpy(block, buf.data(), size);
  return true;
}

void game_save_to(Game* g, const std::string& dir) {
  g->version = GAME_VERSION;
  g->settings.version = SETTINGS_VERSION;
  g->lsettings.version = LSETTINGS_VERSION;
  g->progress.version = PROGRESS_VERSION;
  game_write_file(join(dir, "lsettings.dat"), &g->lsettings, sizeof g->lsettings);
  game_write_file(join(dir, "settings.dat"), &g->settings, sizeof g->settings);
  game_write_file(join(dir, "progress.dat"), &g->progress, sizeof g->progress);
  game_write_file(join(dir, "state.dat"), g, sizeof *g);
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
  game_text_terminate(g->level.notice.text, sizeof g->level.notice.text);
  game_text_terminate(g->current_level_id, sizeof g->current_level_id);
  game_text_terminate(g->level_title, sizeof g->level_title);
  game_text_terminate(g->level_intro, sizeof g->level_intro);
  game_text_terminate(g->map_id, sizeof g->map_id);
  game_text_terminate(g->error_text, sizeof g->error_text);
  game_text_terminate(g->popup_text, sizeof g->popup_text);
  if (g->last_record < 0 || g->last_record >= PROGRESS_LEVELS) g->last_record = 0;
  for (SaveSlot& s : g->slots)
    if (s.len < 0 || s.len > (int32_t)sizeof s.data) s.len = 0;
  Replay& r = g->replay;
  if (r.len < 0 || r.len > (int32_t)sizeof r.data) r.len = 0;
  if (r.pos < 0 || r.pos > r.len) r.pos = 0;
  progress_sanitize(&g->progress);
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
  return true;
}

void Game::save() { game_save_to(this, game_user_dir()); }
