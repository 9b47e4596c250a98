// Builds the chosen level's panel: achievements, title, text, cartridges, crystals and its buttons.
#include "menus/level_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "game/game.h"
#include "game/levels_db.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "util/encode.h"
#include "ui/looks.h"
#include "ui/ui.h"

namespace {

const uint32_t PANEL_DARK = 0x6a2b02;
const uint32_t PANEL_TITLE_BG = 0xcd5f0a;
const uint32_t PANEL_TEXT_BG = 0x883805;
const uint32_t PANEL_NEWEST_RUN_BG = 0x512000;
const uint32_t PANEL_ACH_HOVER = 0xffc83a;
// More cartridges than this would not fit the panel's row.
const int PANEL_MAX_CARTS = 8;
// The title row's width and the room inside it for the one-line title.
const int PANEL_TITLE_W = 240;
const int PANEL_TITLE_PAD = 5;
// The text area: the same size whatever it shows, so that the rows below it
// never move.
const int PANEL_TEXT_W = 230;
const int PANEL_TEXT_H = 102;
const int PANEL_TEXT_PAD = 5;
const int PANEL_TEXT_WRAP = 220;
// A won level shows at most this many of its runs.
const int PANEL_RUNS_SHOWN = 3;
const int PANEL_ACH_ICON = 76;
const int PANEL_ACH_BORDER = 2;

Widget* picture(const char* image, int size) {
  Widget* w = new Widget;
  w->st(SW_WIDTH, size);
  w->st(SW_HEIGHT, size);
  w->st(SW_ICON_IMG, gfx_img_load(image));
  w->restyle();
  return w;
}

Box* box(Widget* content, int bg = -1) {
  Box* b = new Box(content);
  if (bg >= 0) b->st(SW_BG_COLOR, bg);
  b->restyle();
  return b;
}

Box* cart_box(Widget* content) {
  Box* b = new Box(content);
  b->st(SW_ICON_IMG, gfx_img_load("map-cart-box"));
  b->restyle();
  return b;
}

Widget* achievements(Game* g, const LevelInfo& l) {
  Table* row = new Table;
  row->new_row();
  for (const char* name : l.ach) {
    char ach_name[sizeof l.ach[0] + 1] = {};
    std::memcpy(ach_name, name, sizeof l.ach[0]);
    int a = g->progress.find_ach(ach_name);
    std::fprintf(stderr, "ach:%s,%d\n", ach_name, a);
    if (a == 0) continue;
    Widget* w = new Widget;
    w->st(SW_WIDTH, PANEL_ACH_ICON);
    w->st(SW_HEIGHT, PANEL_ACH_ICON);
    char image[sizeof g->progress.achs[a].image + 1] = {};
    std::memcpy(image, g->progress.achs[a].image, sizeof g->progress.achs[a].image);
    w->st(SW_ICON_IMG, gfx_img_load(image));
    w->st(SW_ICON_ALPHA, l.earned[a] ? ALPHA_FULL : ALPHA_THIRD);
    w->focusable = 1;
    w->enter_code = PANEL_ACT_ACH + a;
    w->leave_code = PANEL_ACT_ACH;
    w->st(SW_SOUND_DOWN, GUI_SOUND_DOWN);
    w->st(SW_SOUND_FOCUS, GUI_SOUND_ENTER);
    w->st4(SW_BORDER, PANEL_ACH_BORDER, PANEL_ACH_BORDER, PANEL_ACH_BORDER, PANEL_ACH_BORDER);
    w->st(SW_BORDER_COLOR, PANEL_DARK);
    w->st(STYLE_HOVER, SW_BORDER_COLOR, PANEL_ACH_HOVER);
    w->st(STYLE_HOVER_FOCUS, SW_BORDER_COLOR, PANEL_ACH_HOVER);
    w->restyle();
    row->add(cart_box(w));
  }
  // As tall with one icon, or none, as with three.
  Box* b = box(row, PANEL_DARK);
  b->st(SW_HEIGHT, PANEL_ACH_ICON + 2 * PANEL_ACH_BORDER);
  b->restyle();
  return b;
}

// One line: a long title ends in "..." instead of widening the panel.
Widget* title(const char* text) {
  int font = font_load("font2");
  Box* inner = new Box(new MyLabel(font, text_fit(font, text, PANEL_TITLE_W - 2 * PANEL_TITLE_PAD)));
  inner->st(SW_ALIGN, -1);
  inner->st4(SW_PAD, PANEL_TITLE_PAD, PANEL_TITLE_PAD, PANEL_TITLE_PAD, PANEL_TITLE_PAD);
  inner->restyle();
  Table* t = new Table;
  t->add(inner);
  t->st(SW_WIDTH, PANEL_TITLE_W);
  t->restyle();
  return box(t, PANEL_TITLE_BG);
}

Widget* cartridges(const LevelInfo& l) {
  Table* row = new Table;
  row->new_row();
  int total = l.total_carts < PANEL_MAX_CARTS ? l.total_carts : PANEL_MAX_CARTS;
  for (int i = 0; i < total; i++) {
    Widget* w = picture(i < l.best_carts ? "map-cart-on" : "map-cart-off", 60);
    w->st4(SW_PAD, 10, 10, 10, 10);
    w->restyle();
    row->add(cart_box(w));
  }
  return box(row, PANEL_DARK);
}

Widget* crystals(const LevelInfo& l) {
  Table* row = new Table;
  row->new_row();
  Widget* w = picture("crystal2", 60);
  w->st4(SW_PAD, 10, 10, 10, 10);
  w->restyle();
  row->add(box(w));
  char text[32];
  std::snprintf(text, sizeof text, "  %d%%", l.best_crystal_pct);
  row->add(box(new MyLabel(font_load("font1"), text)));
  return box(row, PANEL_DARK);
}

// A panel button centred on the glow, in the Box that holds it.
Widget* glow_box(Box* holder) {
  Widget* button = holder->content();
  button->st4(SW_PAD, 5, 5, 5, 5);
  button->restyle();
  holder->st(SW_BG_COLOR, PANEL_DARK);
  holder->st(SW_ICON_IMG, gfx_img_load("success-titleglow"));
  holder->restyle();
  return holder;
}

// One of the last three runs: the time on the left, the deaths on the right.
Widget* run_row(const RunRecord& r, bool newest) {
  Table* row = new Table;
  row->st(SW_WIDTH, 230);
  row->st(SW_HEIGHT, 24);
  row->st4(SW_PAD, 5, 5, 5, 5);
  if (newest) row->st(SW_BG_COLOR, PANEL_NEWEST_RUN_BG);
  row->restyle();
  row->new_row();
  int font = font_load("font2s");
  char text[64];

  Table* left = new Table;
  std::snprintf(text, sizeof text, "%s ", format_time_cs(r.time_cs).c_str());
  left->add(new MyLabel(font, text));
  Widget* timer = picture("map-timer", 15);
  timer->st4(SW_MARGIN, 0, 10, 0, 10);
  timer->restyle();
  left->add(timer);
  Box* lb = box(left);
  lb->st(SW_ALIGN, -1);
  lb->restyle();
  row->add(lb);

  Table* right = new Table;
  Widget* skull = picture("skulls", 15);
  skull->st4(SW_MARGIN, 0, 10, 0, 10);
  skull->restyle();
  right->add(skull);
  std::snprintf(text, sizeof text, "x%3d", r.deaths);
  right->add(new MyLabel(font, text));
  Box* rb = box(right);
  rb->st(SW_ALIGN, 1);
  rb->restyle();
  row->add(rb);
  return row;
}

// The text wrapped at the text area's width, cut to the lines that fit the
// height; the last line kept ends in "..." when some were cut.
std::string fit_lines(int font, const std::string& text, float height) {
  std::vector<std::string> lines = text_wrap(font, text, PANEL_TEXT_WRAP);
  size_t room = static_cast<size_t>(std::max(0.0f, height) / std::max(1, font_height(font)));
  if (lines.size() <= room) return text;
  if (room == 0) return "";
  lines[room - 1] = text_fit(font, lines[room - 1] + " " + lines[room], PANEL_TEXT_WRAP);
  lines.resize(room);
  std::string out;
  for (size_t i = 0; i < lines.size(); i++) out += (i ? "\n" : "") + lines[i];
  return out;
}

MyLabel* text_label(const std::string& text, float height) {
  int font = font_load("font2");
  MyLabel* label = new MyLabel(font, fit_lines(font, text, height));
  label->st(SW_WIDTH, PANEL_TEXT_WRAP);
  label->st(SW_ALIGN, 0);
  label->restyle();
  return label;
}

// The text area's fixed place around its content.
Widget* text_area(Widget* content) {
  Box* b = new Box(content);
  b->st(SW_WIDTH, PANEL_TEXT_W);
  b->st(SW_HEIGHT, PANEL_TEXT_H);
  b->st(SW_FIXED, 1);
  b->restyle();
  Container* c = new Container;
  c->st(SW_WIDTH, PANEL_TEXT_W);
  c->st(SW_HEIGHT, PANEL_TEXT_H);
  c->restyle();
  c->add(b, 0, 0);
  return c;
}

// The text in the text area's padding.
Box* padded(MyLabel* label) {
  Box* b = new Box(label);
  b->st4(SW_PAD, PANEL_TEXT_PAD, PANEL_TEXT_PAD, PANEL_TEXT_PAD, PANEL_TEXT_PAD);
  b->restyle();
  return b;
}

Widget* text_block(const std::string& text) {
  return text_area(padded(text_label(text, PANEL_TEXT_H - 2 * PANEL_TEXT_PAD)));
}

// A won level: its runs, newest first, and the level's own text in the
// room they leave.
Widget* runs_block(const LevelInfo& l, const std::string& text) {
  Table* t = new Table;
  bool newest = true;
  for (const RunRecord& r : l.history) {
    if (!r.valid) continue;
    t->new_row();
    t->add(run_row(r, newest));
    newest = false;
    if (t->rows() == PANEL_RUNS_SHOWN) break;
  }
  t->measure();
  float room = PANEL_TEXT_H - t->h - 2 * PANEL_TEXT_PAD;
  MyLabel* label = text_label(text, room);
  if (label->text.empty()) {
    delete label;
  } else {
    t->new_row();
    t->add(padded(label));
  }
  return text_area(t);
}

// The height a row would take; the row is thrown away.
float row_height(Widget* row) {
  row->measure();
  float h = row->h;
  delete row;
  return h;
}

Widget* spacer(float height) {
  Widget* w = new Widget;
  w->st(SW_HEIGHT, static_cast<int>(std::ceil(height)));
  w->st(SW_BG_COLOR, PANEL_DARK);
  w->restyle();
  return w;
}

std::string blank_to_default(const std::string& text) {
  if (str_replace_all(text, " ", "").empty()) return "Prepare yourself.";
  return text;
}

}  // namespace

bool level_locked(const LevelInfo& l) { return l.has_lock && !l.unlocked; }

LevelInfo& level_current_record(Game* g) {
  int n = g->progress.current_level;
  if (n < 0 || n >= PROGRESS_LEVELS) n = 0;
  return g->progress.levels[n];
}

void level_set_id(Game* g, const LevelInfo& l) {
  char name[sizeof l.name + 1] = {};
  std::memcpy(name, l.name, sizeof l.name);
  std::snprintf(g->current_level_id, sizeof g->current_level_id, "%s.map", name);
}

std::string level_intro_text(Game* g) {
  const LevelInfo& l = level_current_record(g);
  std::string text;
  if (level_locked(l)) {
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "This area is locked.  You have collected %d / %d cartridges needed to unlock "
                  "this area.",
                  l.sector_carts, l.lock_total);
    text = buf;
  } else {
    text = game_text_terminate(g->level.map.text[LEVEL_TEXT_INTRO], LEVEL_TEXT_SIZE);
  }
  return blank_to_default(text);
}

void level_panel(Game* g, Container& root) {
  LevelInfo& l = level_current_record(g);
  level_set_id(g, l);
  if (level_load_file(g)) {
    game_text_set(g->map_id, sizeof g->map_id, g->current_level_id);
  } else {
    // The panel shows what the Level holds: never the previous level's
    // title and intro for a map that did not load.
    std::memset(static_cast<void*>(&g->level), 0, sizeof g->level);
    char record_title[sizeof l.title + 1] = {};
    std::memcpy(record_title, l.title, sizeof l.title);
    game_text_set(g->level.map.text[LEVEL_TEXT_TITLE], LEVEL_TEXT_SIZE, record_title);
  }
  font_load("font1");
  font_load("font2");
  font_load("font2s");
  font_load("font3");

  Table* p = new Table;
  p->new_row();
  p->add(achievements(g, l));
  p->new_row();
  p->add(title(game_text_terminate(g->level.map.text[LEVEL_TEXT_TITLE], LEVEL_TEXT_SIZE)));
  Widget* text = new Widget;
  text->name = "cur_text";
  p->new_row();
  p->add(text);
  // A level without cartridges or crystals leaves their room empty above
  // the buttons, so that Play and Leaderboard keep their place.
  LevelInfo full = l;
  full.total_carts = std::max(full.total_carts, 1);
  float missing = 0;
  if (l.total_carts != 0) {
    p->new_row();
    p->add(cartridges(l));
  } else {
    missing += row_height(cartridges(full));
  }
  if (l.has_jewels) {
    p->new_row();
    p->add(crystals(l));
  } else {
    missing += row_height(crystals(full));
  }
  if (missing > 0) {
    p->new_row();
    p->add(spacer(missing));
  }
  p->new_row();
  p->add(glow_box(new Box(level_locked(l) ? gui_menu_button_small("Locked", "icon-lock")
                                          : gui_menu_button_small("Play", "icon-play"))));
  p->new_row();
  p->add(glow_box(gui_menu_button("Leaderboard", "icon-community", PANEL_ACT_LEADERBOARD, 120, nullptr)));
  p->name = "cur_level";
  Widget* old = root.find("cur_level");
  if (old && widget_replace(old, p)) {
    char icon[16];
    std::snprintf(icon, sizeof icon, "%d", l.number);
    if (Widget* w = root.find(icon)) select(w);
  } else {
    delete p;
  }
  level_details(g, root, 0);
}

void level_details(Game* g, Container& root, int ach) {
  const LevelInfo& l = level_current_record(g);
  font_load("font1");
  font_load("font2");
  font_load("font2s");
  font_load("font3");
  if (ach < 1 || ach >= PROGRESS_ACHS) ach = 0;
  Widget* content;
  if (ach != 0) {
    const AchInfo& a = g->progress.achs[ach];
    char buf[200];
    std::snprintf(buf, sizeof buf, "%.32s - %.64s%s", a.title, a.description,
                  l.earned[ach] ? " <ACHIEVED>" : " <LOCKED>");
    content = text_block(blank_to_default(buf));
  } else if (l.plays == 0) {
    content = text_block(level_intro_text(g));
  } else {
    content = runs_block(l, level_intro_text(g));
  }
  Box* b = box(content, PANEL_TEXT_BG);
  b->name = "cur_text";
  Widget* old = root.find("cur_text");
  if (!old || !widget_replace(old, b)) delete b;
}
