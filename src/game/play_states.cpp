// The screens of a level in progress: intro card, play with its held keys, pause and results.
#include "game/play_states.h"

#include <cstdio>
#include <string>
#include <vector>

#include "driver/audio.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/world.h"
#include "game/world_view.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "ui/ui.h"

void play_paint_root(State* s) {
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  s->root.measure();
  s->root.paint();
}

int play_return_target(Game* g) {
  int id = g->return_menu;
  if (id != STATE_MENUS_PLAY && id != STATE_MENUS_COMMUNITY && id != STATE_EDIT_MAIN) id = STATE_MENUS_MAIN;
  if (!state_get(id)) {
    fprintf(stderr, "play_return_target: no screen for state %d, going to the main menu\n", id);
    id = STATE_MENUS_MAIN;
  }
  return id;
}

// The world dimmed under the screen's widgets.
static void paint_over_world(State* s) {
  gfx_clear(0, 0, 0, 1);
  paint_world(s->game);
  gfx_project();
  gfx_color(0, 0, 0, 0.6f);
  gfx_rect(g_view.x0, g_view.y0, g_view.w, g_view.h);
  gfx_color(1, 1, 1, 1);
  s->root.measure();
  s->root.paint();
}

// A column of widgets centred in the 640 by 640 view.
static Box* centred(Widget* content) {
  Box* view = new Box(content);
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  return view;
}

static bool is_escape(const Event& e) {
  return e.type() == EVT_KEYDOWN && (e[EVW_JOY_ACTION] == ACT_ESCAPE || e.key() == GK_ESCAPE);
}

// ---- PlayIntro

// The intro text's width on the card.
constexpr int INTRO_W = 420;

// The text wrapped at the width, each line that is still wider (a word
// longer than the width) cut with "..." so that the card keeps its width.
static std::string fit_lines(int font, const std::string& text, float width) {
  std::string out;
  for (const std::string& line : text_wrap(font, text, width)) {
    if (!out.empty()) out += "\n";
    out += text_fit(font, line, width);
  }
  return out;
}

void PlayIntro::init() {
  level_music(game);
  root.reset();
  int font2 = font_load("font2");
  int font15 = font_load("font15");
  Table* t = new Table;
  t->new_row();
  t->add(gui_level_title(game->level_title));
  if (game->level_intro[0]) {
    Label* intro = new Label(font2, fit_lines(font2, game->level_intro, INTRO_W));
    intro->st(SW_WIDTH, INTRO_W);
    intro->st(SW_ALIGN, 0);
    intro->st4(SW_MARGIN, 20, 0, 20, 0);
    intro->restyle();
    t->new_row();
    t->add(new Box(intro));
  }
  t->new_row();
  t->add(new Box(new MyLabel(font15, "Press any key to start")));
  root.add(centred(gui_menu_box(t, 40)), 0, 0);
}

void PlayIntro::paint() { paint_over_world(this); }
void PlayIntro::loop() { root.loop(); }

void PlayIntro::event(Event e) {
  root.event(&e);
  if (e.type() == EVT_KEYDOWN || e.type() == EVT_DOWN) game->transition(TRANS_FADE, STATE_PLAY);
}

// ---- Play

void Play::init() {
  held = 0;
  level_music(game);
}

void Play::deinit() { held = 0; }

void Play::paint() {
  gfx_clear(0, 0, 0, 1);
  paint_world(game);
  paint_hud(game);
}

void Play::loop() {
  world_step(game, held);
  LevelNotice& n = game->level.notice;
  if (n.timer > 0) n.timer--;
}

void Play::event(Event e) {
  if (is_escape(e)) {
    game->transition(TRANS_NONE, STATE_PLAY_PAUSE);
    return;
  }
  if (e.type() != EVT_KEYDOWN && e.type() != EVT_KEYUP) return;
  int bit = 0;
  switch (e[EVW_JOY_ACTION]) {
    case ACT_UP: bit = WORLD_UP; break;
    case ACT_RIGHT: bit = WORLD_RIGHT; break;
    case ACT_DOWN: bit = WORLD_DOWN; break;
    case ACT_LEFT: bit = WORLD_LEFT; break;
    default: return;
  }
  if (e.type() == EVT_KEYDOWN)
    held |= bit;
  else
    held &= ~bit;
}

// ---- PlayPause

void PlayPause::init() {
  level_music(game);
  root.reset();
  int font1 = font_load("font1");
  const char* leave = game->return_menu == STATE_MENUS_PLAY        ? "Sector Map"
                      : game->return_menu == STATE_MENUS_COMMUNITY ? "Community Maps"
                      : game->return_menu == STATE_EDIT_MAIN       ? "Editor"
                                                                   : "Main Menu";
  Table* t = new Table;
  t->new_row();
  t->add(new Box(new MyLabel(font1, "Paused")));
  struct Entry {
    const char* text;
    const char* icon;
    int code;
    const char* name;
  };
  const Entry entries[] = {
      {"Resume", "icon-play", PLAY_ACT_RESUME, "resume"},
      {"Settings", "icon-settings", PLAY_ACT_SETTINGS, nullptr},
      {"Restart", "icon-restart", PLAY_ACT_RESTART, nullptr},
      {leave, "icon-home", PLAY_ACT_LEAVE, nullptr},
  };
  for (const Entry& e : entries) {
    t->new_row();
    t->add(gui_menu_button(e.text, e.icon, e.code, 200, e.name));
  }
  root.add(centred(gui_menu_box(t, 50)), 0, 0);
  if (Widget* w = root.find("resume")) {
    std::vector<Widget*> inner;
    w->collect_focusable(&inner);
    if (!inner.empty()) select(inner.front());
  }
}

void PlayPause::paint() { paint_over_world(this); }
void PlayPause::loop() { root.loop(); }

void PlayPause::event(Event e) {
  int code = root.event(&e);
  if (is_escape(e)) code = PLAY_ACT_RESUME;
  switch (code) {
    case PLAY_ACT_RESUME:
      game->transition(TRANS_NONE, STATE_PLAY);
      break;
    case PLAY_ACT_SETTINGS:
      game->settings_return_state = STATE_PLAY;
      game->transition(TRANS_ZOOM, STATE_MENUS_SETTINGS);
      break;
    case PLAY_ACT_RESTART:
      level_restart(game);
      game->transition(TRANS_FADE, STATE_PLAY);
      break;
    case PLAY_ACT_LEAVE:
      if (game->return_menu == STATE_EDIT_MAIN) level_restore_edited_map(game);
      game->transition(TRANS_BZOOM, play_return_target(game));
      break;
    default:
      break;
  }
}
