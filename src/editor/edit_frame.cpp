// What the editor screens share: the dirty flag, saving, the state switch,
// the play-test and the save-and-switch operations.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "driver/audio.h"
#include "driver/driver.h"
#include "editor/edit_limits.h"
#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/state.h"
#include "game/world.h"
#include "gfx/transition.h"
#include "util/db.h"
#include "online/web_config.h"

static bool g_dirty;
// Set while the editor switches to the error screen after a failed save:
// the screen it leaves must not try the same save again on the way out.
static bool g_reporting;

bool edit_dirty() { return g_dirty; }
void edit_mark_dirty() { g_dirty = true; }
void edit_mark_clean() { g_dirty = false; }

// The editor keeps entities and the object layer empty; play fills both.
static bool laid_out_for_play(const Game* g) {
  for (const Entity& e : g->level.entities)
    if (e.kind) return true;
  for (uint8_t o : g->level.objects)
    if (o) return true;
  return false;
}

bool edit_save(Game* g) {
  if (laid_out_for_play(g)) {
    fprintf(stderr, "edit_save: the level is laid out for play, %s not saved\n", g->current_level_id);
    return false;
  }
  // A map the database lacks stays dirty, so that the next chance (the
  // autosave, leaving a screen, quitting) tries again.
  g_dirty = !levels_save(g);
  return !g_dirty;
}

bool edit_save_if_dirty(Game* g) {
  if (!g_dirty) return true;
  if (g_reporting) return false;
  return edit_save(g);
}

bool edit_load_or_restore(Game* g, const char* before) {
  // Whatever the Level holds afterwards, it is not an edited map waiting
  // for its save: the caller has just replaced it.
  g_dirty = false;
  if (levels_load(g, game_db(GAME_DB_USER))) return true;
  game_text_set(g->current_level_id, sizeof g->current_level_id, before);
  return false;
}

void edit_show_error(Game* g, const std::string& text, int back) {
  game_text_set(g->error_text, sizeof g->error_text, text.c_str());
  g->error_return_state = back;
  g_reporting = true;
  game_switch(g, TRANS_FADE, STATE_MENUS_ERROR);
  g_reporting = false;
}

void edit_show_unsaved(Game* g) {
  edit_show_error(g, "The map could not be saved to " + game_db(GAME_DB_USER).path + ".", g->state);
}

void edit_play_test(Game* g) {
  edit_recount_limits(g);
  if (g->level.map.over_limit) {
    sfx_play("lock-locked", 0, 0);
    return;
  }
  if (!edit_save(g)) {
    edit_show_unsaved(g);
    return;
  }
  g->return_menu = STATE_EDIT_MAIN;
  level_start(g);
}

// A map that cannot be saved keeps the player where it is, told so.
static void save_and_switch(Game* g, int type, int id) {
  if (edit_save(g))
    game_switch(g, type, id);
  else
    edit_show_unsaved(g);
}

void edit_leave(Game* g, int type, int id) {
  if (edit_save_if_dirty(g))
    game_switch(g, type, id);
  else
    edit_show_unsaved(g);
}

void edit_open_text(Game* g) { save_and_switch(g, TRANS_FADE, STATE_EDIT_TEXT); }
void edit_open_menu(Game* g) { save_and_switch(g, TRANS_FADE, STATE_EDIT_MENU); }
void edit_quit_to_maps(Game* g) { save_and_switch(g, TRANS_BZOOM, STATE_MENUS_EDIT); }

void edit_open_help(Game* g) {
  g->help_return_state = g->state;
  save_and_switch(g, TRANS_FADE, STATE_EDIT_HELP);
}

int edit_help_return(const Game* g) {
  int id = g->help_return_state;
  return id == STATE_EDIT_MAIN || id == STATE_EDIT_MENU ? id : STATE_EDIT_MENU;
}

void edit_open_tutorials(Game*) {
  if (g_driver) g_driver->weblink(web_page_url(WEB_PAGE_TUTORIAL).c_str(), 0);
}

void edit_text_to_slot(char* slot, const std::string& text) {
  size_t n = std::min(text.size(), static_cast<size_t>(LEVEL_TEXT_SIZE - 1));
  // Back off continuation bytes so that no character is cut in half.
  if (n < text.size())
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xc0) == 0x80) n--;
  memset(slot, 0, LEVEL_TEXT_SIZE);
  memcpy(slot, text.data(), n);
}
