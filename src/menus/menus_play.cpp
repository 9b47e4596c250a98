// Sector screen: picks a level on the sector map and starts it or opens its leaderboard.
#include "menus/menus_play.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstring>

#include "driver/audio.h"
#include "driver/driver.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/sector.h"
#include "game/world.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "menus/lev_map.h"
#include "menus/lev_scroller.h"
#include "menus/level_panel.h"
#include "menus/map_arrow.h"
#include "menus/menus.h"
#include "online/web_config.h"
#include "platform/steam_api.h"
#include "ui/ui.h"
#include "util/encode.h"

namespace {

const int KEY_R = GK_A + ('r' - 'a');
const int KEY_W = GK_A + ('w' - 'a');

// A menu frame that breathes at this screen's slower pace.
Box* paced_menu_box(Widget* content, int margin) {
  Box* b = gui_menu_box(content, margin);
  if (MenuBox* m = dynamic_cast<MenuBox*>(b->content())) m->glow_ticks = PLAY_MENU_GLOW_TICKS;
  return b;
}

}  // namespace

bool menus_play_score_url(Game* g, std::string* url) {
  level_set_id(g, level_current_record(g));
  std::string bytes;
  if (!std::strchr(g->current_level_id, '/')) bytes = data_read(g->current_level_id);
  if (bytes.empty()) {
    std::fprintf(stderr, "m:leaderboard: cannot read %s\n", g->current_level_id);
    return false;
  }
  std::string uid = game_text_terminate(g->settings.uid, sizeof g->settings.uid);
  *url = web_scores_url(WEB_PAGE_SCORES, md5_hex(bytes), uid);
  return true;
}

void MenusPlay::init() {
  game->return_menu = STATE_MENUS_PLAY;
  sector_tally(game);
  music_play("mus-select");
  MenuScreen::init();
  std::fprintf(stderr, "m:sectors: max:%d cur:%d\n", game->progress.max_sector, game->progress.current_sector);
}

void MenusPlay::build() {
  font_load("font1");
  font_load("font2");
  font_load("font3");

  LevScroller* scroller = new LevScroller(game);
  scroller->name = "levscroller";
  Table* cell = new Table;
  cell->add(scroller);
  Box* map_column = new Box(paced_menu_box(cell, 50));
  map_column->st(SW_WIDTH, 320);
  map_column->st(SW_HEIGHT, 640);
  map_column->restyle();
  root.add(map_column, 320, 0);

  Box* up = gui_map_arrow("up", PLAY_MENU_ACT_UP);
  up->st(SW_WIDTH, 320);
  up->restyle();
  root.add(new Box(up), 320, 24);
  Box* down = gui_map_arrow("down", PLAY_MENU_ACT_DOWN);
  down->st(SW_WIDTH, 320);
  down->restyle();
  down->measure();
  root.add(new Box(down), 320, 616 - down->h);

  Widget* place = new Widget;
  place->name = "cur_level";
  Box* panel_column = new Box(paced_menu_box(place, 45));
  panel_column->st(SW_HEIGHT, 640);
  panel_column->restyle();
  root.add(panel_column, 18, 0);
  level_panel();

  Widget* connector = new Widget;
  connector->st(SW_WIDTH, 110);
  connector->st(SW_HEIGHT, 10);
  connector->st(SW_ICON_IMG, gfx_img_load("map-connector"));
  connector->no_input = 1;
  connector->restyle();
  root.add(connector, 277, 307);
}

void MenusPlay::level_panel() { ::level_panel(game, root); }
void MenusPlay::level_details(int ach) { ::level_details(game, root, ach); }

void MenusPlay::select_level(int n) {
  sfx_play("map-select", 0, 0);
  game->progress.current_level = n;
  game->progress.current_sector = game->progress.levels[n].sector;
  level_panel();
}

void MenusPlay::play_current() {
  LevelInfo& l = level_current_record(game);
  if (!level_number_valid(game, game->progress.current_level)) return;
  if (level_locked(l)) {
    sfx_play("map-locked", 0, 0);
    return;
  }
  sfx_play("map-play", 0, 0);
  level_set_id(game, l);
  if (!level_load_file(game)) return;
  game_text_set(game->map_id, sizeof game->map_id, game->current_level_id);
  game->return_menu = STATE_MENUS_PLAY;
  level_start(game);
}

void MenusPlay::open_score_page() {
  std::string url;
  if (menus_play_score_url(game, &url) && g_driver) g_driver->weblink(url.c_str(), 1);
}

// The developer keys, with the debug setting on and Ctrl, Alt or Meta held:
// R forgets every result, W wins everything. Answers true when one acted.
bool MenusPlay::debug_key(const Event& e) {
  if (game->settings.debug != 1 || e.type() != EVT_KEYDOWN) return false;
  if (!((e[EVW_MOD] | SDL_GetModState()) & MOD_CTRL_ALT_META)) return false;
  Progress& p = game->progress;
  if (e.key() == KEY_R) {
    for (LevelInfo& l : p.levels) {
      if (!l.in_use) continue;
      l.best_carts = l.best_crystal_pct = l.plays = l.unlocked = l.sector_carts = 0;
      std::memset(l.history, 0, sizeof l.history);
      std::memset(l.earned, 0, sizeof l.earned);
    }
    p.current_sector = p.current_level = p.max_sector = 1;
    // Statistics kept by the store's client go too, when one is signed in.
    if (SteamUser()) {
      if (ISteamUserStats* stats = SteamUserStats()) {
        stats->ResetAllStats(true);
        stats->StoreStats();
      }
    }
    init();
    return true;
  }
  if (e.key() == KEY_W) {
    for (LevelInfo& l : p.levels) {
      if (!l.in_use) continue;
      l.best_carts = 3;
      l.plays = 1;
      l.unlocked = 1;
      l.sector_carts = 15;
    }
    p.max_sector = PROGRESS_SECTORS;
    game_switch(game, TRANS_ZOOM, STATE_MOVIE_OUTRO);
    return true;
  }
  return false;
}

void MenusPlay::event(Event e) {
  int c = root.event(&e);
  if (c & PANEL_ACT_ACH) level_details(c & LEVEL_ICON_MASK);
  // Icon codes carry a level number; one that names no level on the map is
  // ignored.
  int n = c & LEVEL_ICON_MASK;
  bool icon = (c & (LEVEL_ICON_FOCUS | LEVEL_ICON_CLICK)) && !(c & PANEL_ACT_ACH);
  if (icon && level_number_valid(game, n)) {
    if (n != game->progress.current_level) {
      select_level(n);
    } else if (c & LEVEL_ICON_CLICK) {
      c = PLAY_MENU_ACT_PLAY;
    }
  }
  if (c == 0 && e.type() == EVT_WHEEL)
    c = e[EVW_WHEEL] < 0 ? PLAY_MENU_ACT_UP : e[EVW_WHEEL] > 0 ? PLAY_MENU_ACT_DOWN : 0;
  if (debug_key(e)) return;
  switch (c) {
    case PLAY_MENU_ACT_UP:
    case PLAY_MENU_ACT_DOWN:
      if (Widget* s = root.find("levscroller")) {
        Event step(EVT_SECTOR);
        step.setf(EVW_SECTOR_DIR, c == PLAY_MENU_ACT_UP ? -1.0f : 1.0f);
        s->event(&step);
      }
      break;
    case MENUS_ACT_BACK:
      game_switch(game, TRANS_BZOOM, back_state());
      return;
    case PLAY_MENU_ACT_LEADERBOARD:
      open_score_page();
      return;
    case PLAY_MENU_ACT_PLAY:
      play_current();
      break;
    default:
      break;
  }
  if (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE) game_switch(game, TRANS_BZOOM, back_state());
}
