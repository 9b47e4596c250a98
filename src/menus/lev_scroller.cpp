// Scrolls the sector map to the selected level and turns presses on level icons into a selection.
#include "menus/lev_scroller.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "game/game.h"
#include "gfx/gfx.h"
#include "menus/lev_map.h"
#include "ui/looks.h"

bool level_number_valid(const Game* g, int n) {
  if (n < 1 || n >= PROGRESS_LEVELS) return false;
  const LevelInfo& l = g->progress.levels[n];
  return l.in_use && l.number == n;
}

Widget* level_icon(const LevelInfo& l) {
  const char* base = !l.has_lock ? "map-level" : l.unlocked ? "map-crystal" : "map-lock";
  const char* suffix = l.plays ? "-complete" : "";
  char name[64];
  Widget* w = new Widget;
  w->name = std::to_string(l.number);
  w->click_code = LEVEL_ICON_CLICK + l.number;
  w->focus_code = LEVEL_ICON_FOCUS + l.number;
  w->focusable = 1;
  w->st(SW_WIDTH, 80);
  w->st(SW_HEIGHT, 80);
  w->st(SW_SOUND_FOCUS, GUI_SOUND_MAP_ENTER);
  w->st4(SW_PAD, 0, 0, 0, 0);
  w->st4(SW_MARGIN, -20, -20, -20, -20);
  std::snprintf(name, sizeof name, "%s%s", base, suffix);
  w->st(SW_ICON_IMG, gfx_img_load(name));
  std::snprintf(name, sizeof name, "%s%s-focus", base, suffix);
  w->st(SW_FOCUS_IMG, gfx_img_load(name));
  w->st(SW_FOCUS_ALPHA, ALPHA_NONE);
  w->st(STYLE_HOVER, SW_FOCUS_ALPHA, ALPHA_THIRD);
  w->st(STYLE_FOCUS, SW_FOCUS_ALPHA, ALPHA_NONE);
  w->st(STYLE_HOVER_FOCUS, SW_FOCUS_ALPHA, ALPHA_TWO_THIRDS);
  w->st(STYLE_SELECTED, SW_FOCUS_ALPHA, ALPHA_FULL);
  w->restyle();
  return w;
}

LevScroller::LevScroller(Game* g)
    : ScrollBox(nullptr, LEVSCROLLER_W, LEVSCROLLER_H),
      game(g),
      content(new Container),
      chunk_h(levmap_chunk_h()),
      sector_count(LEVMAP_SECTORS),
      max_sector(g->progress.max_sector),
      sector(g->progress.current_sector),
      selected_level(g->progress.current_level) {
  // The content is as tall as the whole map (it grows to its children), so
  // that hit-testing reaches the icons however far the map has scrolled.
  content->st(SW_WIDTH, LEVSCROLLER_W);
  content->st(SW_HEIGHT, LEVSCROLLER_H);
  content->restyle();
  add(content, 0, 0);
  LevMap* map = new LevMap(g);
  map->name = "levmap";
  content->add(map, 0, 0);
  for (int i = 0; i < PROGRESS_LEVELS; i++) {
    const LevelInfo& l = g->progress.levels[i];
    if (!l.in_use || l.sector > max_sector) continue;
    if (!level_number_valid(g, l.number)) continue;
    content->add(level_icon(l), static_cast<float>(l.map_x - 20), static_cast<float>(l.map_y - 20));
  }
  set_value_i(selected_level);
}

int LevScroller::get_value_i() { return selected_level; }

void LevScroller::set_value_i(int v) {
  selected_level = v;
  for (Widget* c : content->children) {
    int n = std::atoi(c->name.c_str());
    c->selected = n == v ? 1 : 0;
    c->style.update(c->hovered, c->focused, c->pressed, c->selected, true);
    std::fprintf(stderr, "%d %d\n", v, n);
  }
  // Only a record in use moves the map: a number that none carries leaves
  // the aim where it was.
  for (int i = 0; i < PROGRESS_LEVELS; i++) {
    const LevelInfo& l = game->progress.levels[i];
    if (l.in_use && l.number == v) {
      settled = 0;
      sector = l.sector;
    }
  }
}

int LevScroller::event(Event* e) {
  if (e->type() == EVT_SECTOR) {
    float dir = e->getf(EVW_SECTOR_DIR);
    if (dir == -1.0f) {
      sector++;
      settled = 0;
      if (sector > sector_count) sector = sector_count;
      if (sector > max_sector) sector = max_sector;
    } else if (dir == 1.0f) {
      sector--;
      settled = 0;
      if (sector < 1) sector = 1;
    }
  }
  // The wheel and dragging never move the map by themselves: only the
  // glide does.
  float keep = scroll_y;
  int c = ScrollBox::event(e);
  scroll_y = keep;
  if (c & LEVEL_ICON_FOCUS) {
    // A press focuses the icon; only the release that follows selects it.
    if (e->type() == EVT_DOWN) return 0;
    set_value_i(c & LEVEL_ICON_MASK);
    return c;
  }
  if (c & LEVEL_ICON_CLICK) set_value_i(c & LEVEL_ICON_MASK);
  return c;
}

void LevScroller::loop() {
  if (settled == 0) {
    float target = static_cast<float>(static_cast<int>((sector_count - sector + 1) * chunk_h));
    float d = target - scroll;
    if (std::fabs(d) < LEVSCROLLER_STEP) {
      scroll = target;
      settled = 1;
    } else {
      scroll += d > 0 ? LEVSCROLLER_STEP : -LEVSCROLLER_STEP;
    }
    scroll_y = static_cast<float>(static_cast<int>(scroll));
  }
  if (Widget* map = content->find("levmap")) {
    Event s(EVT_SECTOR);
    s[EVW_SECTOR_SETTLED] = settled;
    s[EVW_SECTOR_GLOW] = settled == 1 ? sector : -1;
    map->event(&s);
  }
  Container::loop();
}
