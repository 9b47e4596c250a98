// The results screen.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/audio.h"
#include "game/game.h"
#include "game/hooks.h"
#include "game/play_states.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "ui/ui.h"

static void add_row(Table* t, int font, const std::string& name, const std::string& value) {
  t->new_row();
  Label* l = new MyLabel(font, name);
  l->st4(SW_MARGIN, 2, 30, 2, 0);
  l->restyle();
  t->add(l);
  t->add(new Label(font, value));
}

// The card's width: that of the level title above.
constexpr int CARD_W = 426;
constexpr int MEDAL_SIZE = 40;
constexpr int MEDAL_GAP = 4;

// The earned achievements side by side on one line, each its medal over its
// title, the titles cut to their share of the card's width.
static Widget* medals(int font, const std::vector<const AchInfo*>& earned) {
  Table* row = new Table;
  row->new_row();
  int cell = CARD_W / static_cast<int>(earned.size());
  for (const AchInfo* a : earned) {
    Widget* pic = new Widget;
    pic->st(SW_WIDTH, MEDAL_SIZE);
    pic->st(SW_HEIGHT, MEDAL_SIZE);
    std::string image = game_text_get(a->image, sizeof a->image);
    if (!image.empty()) pic->st(SW_ICON_IMG, gfx_img_load(image.c_str()));
    pic->restyle();
    std::string title = game_text_get(a->title, sizeof a->title);
    if (title.empty()) title = game_text_get(a->name, sizeof a->name);
    Table* m = new Table;
    m->new_row();
    m->add(new Box(pic));
    m->new_row();
    m->add(new Box(new Label(font, text_fit(font, title, static_cast<float>(cell - 2 * MEDAL_GAP)))));
    Box* b = new Box(m);
    b->st(SW_WIDTH, cell);
    b->st(SW_FIXED, 1);
    b->st4(SW_MARGIN, MEDAL_GAP, 0, 0, 0);
    b->restyle();
    row->add(b);
  }
  return row;
}

void PlayWin::init() {
  music_play("mus-select");
  root.reset();
  root.add(gui_menu_background(), 0, 0);
  int font1 = font_load("font1");
  int font2 = font_load("font2");
  const RunStats& s = game->level.stats;
  char buf[64];

  Table* t = new Table;
  t->new_row();
  t->add(gui_level_title(game->level_title));
  t->new_row();
  t->add(new Box(new MyLabel(font1, "Level Complete")));

  Table* rows = new Table;
  add_row(rows, font2, "Time", format_time_cs(game->last_time_cs));
  snprintf(buf, sizeof buf, "%d", game->last_deaths);
  add_row(rows, font2, "Deaths", buf);
  snprintf(buf, sizeof buf, "%d / %d", s.carts, s.total_carts);
  add_row(rows, font2, "Cartridges", buf);
  if (s.total_jewels > 0) {
    snprintf(buf, sizeof buf, "%d / %d", s.jewels, s.total_jewels);
    add_row(rows, font2, "Crystals", buf);
  }
  t->new_row();
  t->add(new Box(rows));

  std::vector<const AchInfo*> earned;
  for (int i = 1; i < PROGRESS_ACHS; i++)
    if (game->last_ach[i] && game->progress.achs[i].name[0]) earned.push_back(&game->progress.achs[i]);
  if (!earned.empty()) {
    t->new_row();
    t->add(new Box(medals(font2, earned)));
  }

  if (game->return_menu == STATE_MENUS_COMMUNITY) {
    t->new_row();
    t->add(new Box(new MyLabel(font2, "Rate this map")));
    Stars* stars = new Stars(static_cast<float>(game->map_rating), gfx_img_load("stars"), 30);
    stars->name = "stars";
    stars->set_value_i(game->map_rating);
    t->new_row();
    t->add(new Box(stars));
  }

  Table* buttons = new Table;
  buttons->new_row();
  buttons->add(gui_menu_button("Continue", "icon-play", PLAY_ACT_CONTINUE, 160, "continue"));
  buttons->add(gui_menu_button("Settings", "icon-settings", PLAY_ACT_SETTINGS, 160, nullptr));
  t->new_row();
  t->add(new Box(buttons));

  Box* view = new Box(gui_menu_box(t, 40));
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  root.add(view, 0, 0);
  if (Widget* w = root.find("continue")) {
    std::vector<Widget*> inner;
    w->collect_focusable(&inner);
    if (!inner.empty()) select(inner.front());
  }
}

void PlayWin::paint() { play_paint_root(this); }
void PlayWin::loop() { root.loop(); }

// Where the player goes from the results: the outro after the campaign's
// final level, else the menu the level was started from.
static int next_screen(Game* g) {
  if (g->return_menu == STATE_MENUS_PLAY && g->last_record > 0 && g->last_record < PROGRESS_LEVELS &&
      g->progress.levels[g->last_record].is_final && state_get(STATE_MOVIE_OUTRO))
    return STATE_MOVIE_OUTRO;
  return play_return_target(g);
}

void PlayWin::event(Event e) {
  int code = root.event(&e);
  if (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE) code = PLAY_ACT_CONTINUE;
  if (code == PLAY_ACT_SETTINGS) {
    game->settings_return_state = STATE_PLAY_WIN;
    game->transition(TRANS_ZOOM, STATE_MENUS_SETTINGS);
    return;
  }
  if (code != PLAY_ACT_CONTINUE) return;
  if (game->return_menu == STATE_MENUS_COMMUNITY) {
    Widget* stars = root.find("stars");
    int value = stars ? stars->get_value_i() : 0;
    if (value != 0) {
      if (game_hooks.submit_urate) game_hooks.submit_urate(game, value);
      game->map_rating = value;
    }
  }
  game->transition(TRANS_ZOOM, next_screen(game));
}
