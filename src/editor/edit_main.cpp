// Drawing screen: turns keys, mouse strokes and tool-bar clicks into edits, zoom and status text.
#include "editor/edit_main.h"

#include <SDL/SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "driver/audio.h"
#include "editor/edit_icons.h"
#include "editor/edit_limits.h"
#include "editor/edit_ops.h"
#include "editor/edit_screen.h"
#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/tile_info.h"
#include "game/world_view.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "ui/ui.h"

const float EDIT_ZOOM_MIN = std::pow(EDIT_ZOOM_STEP, -20.0f);

static const float MAP_CENTRE = 64.0f;
static const float CAMERA_VIEW = 20.0f;
static const int TITLE_BOX_W = 190;
static const float VIEW_SIZE = 640.0f;

static int letter(char c) { return GK_A + (c - 'a'); }

static const uint32_t HINT_COLOR = 0xffaa55, ALERT_COLOR = 0xffffff, ALERT_BG = 0xff0000;

EditMain::EditMain(Game* g) : State(g), current_tile(&g->level.map.current_tile) {}

// A bar along the top or the bottom: one row whose black frame reaches far
// past both sides of the view, so a wide window shows it whole.
static Table* bar() {
  Table* t = new Table;
  t->st(SW_BG_COLOR, 0);
  t->st4(SW_PAD, 5, 640, 5, 640);
  t->st4(SW_MARGIN, 0, -640, 0, -640);
  t->restyle();
  return t;
}

static Box* label_box(int font, const char* name, const char* text, int width) {
  MyLabel* l = new MyLabel(font, text);
  l->name = name;
  Box* b = new Box(l);
  b->st(SW_WIDTH, width);
  b->st(SW_FIXED, 1);
  b->restyle();
  return b;
}

void EditMain::init() {
  frame_count = stroke_cells = snapshot_pending = shown_tile = 0;
  cursor_x = cursor_y = -1;
  pressed_on_map = space_pressed = false;
  tool = EDIT_TOOL_DRAW;
  root.reset();
  // Edits that could not be saved are still only in the Level: loading the
  // stored map would throw them away.
  reload_failed = !edit_dirty() && !levels_load(game, game_db(GAME_DB_USER));
  if (reload_failed) {
    // Editing what the Level happens to hold would save it over this map.
    fprintf(stderr, "EditMain: map %s could not be loaded, back to the list of maps\n", game->current_level_id);
    return;
  }
  level_music(game);
  LevelMap& m = game->level.map;
  if (m.zoom == 0.0f) m.zoom = 1.0f;
  m.camera[2] = m.camera[3] = CAMERA_VIEW;
  memset(static_cast<void*>(game->level.entities), 0, sizeof game->level.entities);
  edit_snapshot(game);

  int font = font_load("font15");
  Table* top = bar();
  top->add(gui_tool_icon("icon-options", EDIT_ACT_MENU, "Edit Menu", "i-menu"));
  top->add(gui_tool_icon("icon-play", EDIT_ACT_PLAY, "Play / Test", "i-play"));
  top->add(gui_tool_icon("icon-draw", EDIT_TOOL_DRAW, "Draw Tiles", "i-draw"));
  top->add(gui_tool_icon("icon-fill", EDIT_TOOL_FILL, "Fill Tiles", "i-fill"));
  top->add(gui_tool_icon("icon-erase", EDIT_TOOL_ERASE, "Erase Tiles", "i-erase"));
  top->add(gui_tool_icon("icon-eyedrop", EDIT_TOOL_COPY, "Copy Tile", "i-copy"));
  top->add(gui_tool_icon("icon-restart", EDIT_ACT_UNDO, "Undo / Redo", "i-undo"));
  top->add(gui_tool_icon("icon-help", EDIT_ACT_HELP, "Help", "i-help"));
  top->add(label_box(font, "title", "", TITLE_BOX_W));
  title_text.clear();
  EIcon* sel = new EIcon;
  sel->hint = "Select Tiles";
  sel->name = "i-sel";
  sel->st(SW_WIDTH, 40);
  sel->st(SW_HEIGHT, 40);
  sel->st4(SW_BORDER, 2, 2, 2, 2);
  sel->st4(SW_PAD, 2, 2, 2, 2);
  sel->st(SW_BORDER_COLOR, 0xffaa55);
  sel->st4(SW_MARGIN, 1, 1, 1, 1);
  sel->focusable = 1;
  sel->click_code = EDIT_TOOL_PICKER;
  sel->restyle();
  top->add(sel);
  root.add(top, 0, 0);

  Table* bottom = bar();
  bottom->add(label_box(font, "pos", "n/a", 100));
  Box* hint = label_box(font, "hint", "", 340);
  hint->content()->st4(SW_PAD, 5, 10, 5, 10);
  hint->content()->restyle();
  bottom->add(hint);
  bottom->add(gui_tool_icon("icon-move", EDIT_TOOL_MOVE, "Move / Scroll", "i-move"));
  bottom->add(gui_tool_icon("icon-less", EDIT_ACT_ZOOM_OUT, "Zoom Out", "i-zoomout"));
  bottom->add(gui_tool_icon("icon-more", EDIT_ACT_ZOOM_IN, "Zoom In", "i-zoomin"));
  bottom->add(gui_tool_icon("icon-home", EDIT_ACT_HOME, "Center View", "i-home"));
  // Flush with the bottom of the view: no strip of map shows below it.
  bottom->measure();
  root.add(bottom, 0, VIEW_SIZE - bottom->h);

  tool_icons(tool);
  // The status texts are there from the first picture on, which the
  // transition captures before any step runs.
  status();
}

void EditMain::deinit() {
  if (!reload_failed) edit_save_if_dirty(game);
}

void EditMain::tool_icons(int code) {
  tool = code;
  for (const char* name : {"i-draw", "i-erase", "i-fill", "i-copy", "i-move"})
    if (Widget* w = root.find(name)) {
      w->selected = w->click_code == code;
      w->restyle();
    }
}

void EditMain::open_picker() { root.add(edit_picker_build(*current_tile), 0, 0); }

void EditMain::picker_event(int a, const Event& e) {
  if (e.type() == EVT_KEYDOWN || (e.type() == EVT_UP && a == 0)) a = EDIT_TOOL_DRAW;
  if (a & PICK_CLICK) {
    *current_tile = a & 0xff;
    a = EDIT_TOOL_DRAW;
  }
  if (a & PICK_ENTER) shown_tile = a & 0xff;
  if (a & PICK_LEAVE) shown_tile = *current_tile;
  if (a == EDIT_TOOL_DRAW) {
    if (Widget* p = root.find("picker")) root.remove(p);
    tool_icons(EDIT_TOOL_DRAW);
  }
}

void EditMain::zoom_by(float factor) {
  float& z = game->level.map.zoom;
  z = std::fmax(EDIT_ZOOM_MIN, std::fmin(EDIT_ZOOM_MAX, z * factor));
}

// The highest tile type of that name, or -1.
static int tile_named(const char* name) {
  for (int t = 255; t >= 0; t--)
    if (strcmp(game_tiles[t].name, name) == 0) return t;
  return -1;
}

// The keys and bar actions; true when the event ends here.
bool EditMain::command(int a, const Event& e) {
  LevelMap& m = game->level.map;
  bool down = e.type() == EVT_KEYDOWN;
  int key = down || e.type() == EVT_KEYUP ? e.key() : GK_NONE;
  int sym = down ? e.sym() : 0;
  if ((down && key == GK_HOME) || a == EDIT_ACT_HOME) {
    m.camera[0] = m.camera[1] = MAP_CENTRE;
    return true;
  }
  // The play-test starts on the release of Space, and only of a Space pressed
  // here: the release of the Space that closed the help or the won level's
  // screen must not start another play-test.
  if (down && key == GK_SPACE) space_pressed = true;
  if ((e.type() == EVT_KEYUP && key == GK_SPACE && space_pressed) || a == EDIT_ACT_PLAY) {
    space_pressed = false;
    edit_play_test(game);
    return true;
  }
  if ((down && key == letter('s')) || a == EDIT_TOOL_PICKER) {
    shown_tile = *current_tile;
    open_picker();
    tool_icons(EDIT_TOOL_PICKER);
    return true;
  }
  if ((down && key == letter('m')) || a == EDIT_TOOL_MOVE) {
    tool_icons(EDIT_TOOL_MOVE);
    return true;
  }
  if ((game->settings.debug == 1 && down && key == letter('a') &&
       ((e[EVW_MOD] | SDL_GetModState()) & MOD_CTRL_ALT_META)) ||
      a == EDIT_ACT_PROVEN) {
    sfx_play_here("gui-change");
    m.win_changes = m.changes;
    edit_mark_dirty();
    return true;
  }
  if ((down && key == GK_ESCAPE) || a == EDIT_ACT_MENU) {
    edit_open_menu(game);
    return true;
  }
  if ((down && key == letter('z')) || a == EDIT_ACT_UNDO) {
    if (edit_undo_swap(game)) {
      edit_mark_dirty();
      stroke_cells++;
    }
    return true;
  }
  static const struct {
    char key;
    int tool;
  } tools[] = {{'c', EDIT_TOOL_COPY}, {'f', EDIT_TOOL_FILL}, {'d', EDIT_TOOL_DRAW}, {'e', EDIT_TOOL_ERASE}};
  for (const auto& t : tools)
    if ((down && key == letter(t.key)) || a == t.tool) {
      tool_icons(t.tool);
      return true;
    }
  if (down) {
    if (key == GK_UP) m.camera[1] -= EDIT_SCROLL_STEP;
    if (key == GK_RIGHT) m.camera[0] += EDIT_SCROLL_STEP;
    if (key == GK_DOWN) m.camera[1] += EDIT_SCROLL_STEP;
    if (key == GK_LEFT) m.camera[0] -= EDIT_SCROLL_STEP;
    static const struct {
      int key;
      const char* name;
    } arrows[] = {{GK_KP0 + 8, "arrow8"}, {GK_KP0 + 6, "arrow6"}, {GK_KP0 + 2, "arrow2"}, {GK_KP0 + 4, "arrow4"}};
    for (const auto& ar : arrows)
      if (key == ar.key) {
        int t = tile_named(ar.name);
        if (t >= 0) *current_tile = t;
      }
  }
  if ((down && (sym == SDLK_PLUS || sym == SDLK_EQUALS)) || (e.type() == EVT_WHEEL && e[EVW_WHEEL] < 0) ||
      a == EDIT_ACT_ZOOM_IN) {
    zoom_by(EDIT_ZOOM_STEP);
    return true;
  }
  if ((down && (sym == SDLK_MINUS || sym == SDLK_UNDERSCORE)) || (e.type() == EVT_WHEEL && e[EVW_WHEEL] > 0) ||
      a == EDIT_ACT_ZOOM_OUT) {
    zoom_by(1.0f / EDIT_ZOOM_STEP);
    return true;
  }
  if ((down && (sym == SDLK_QUESTION || sym == SDLK_SLASH)) || a == EDIT_ACT_HELP) edit_open_help(game);
  return false;
}

void EditMain::event(Event e) {
  Event orig = e;
  // The keys are the editor's own: handed to the bars, the arrows would walk
  // the focus through the tool icons (leaving a hint in place of the item
  // count) and Space or Return would then press the focused icon.
  int type = orig.type();
  bool key = type == EVT_KEYDOWN || type == EVT_KEYUP;
  int a = key ? 0 : root.event(&e);
  // A left-button drag edits only when it was pressed on the map: not when
  // it began on a tool icon (or under the picker) and slid onto the map.
  if (type == EVT_DOWN) pressed_on_map = !root.hover_child;
  if (type == EVT_UP) pressed_on_map = false;
  if (reload_failed) return;
  if (tool == EDIT_TOOL_PICKER) {
    picker_event(a, orig);
    return;
  }
  if (command(a, orig)) return;
  // The help may have switched away.
  if (game->state != STATE_EDIT_MAIN) return;
  if ((type == EVT_MOTION || type == EVT_DOWN || type == EVT_UP) && !root.hover_child) pointer(orig);
}

void EditMain::copy_at_cursor() {
  int t = tile_at_or(cursor_x, cursor_y, game->level.map.grid, TILE_OUTSIDE);
  if (t != TILE_OUTSIDE) *current_tile = t;
}

// Cell x covers x to x + 1, so the cell under a world point is its floor.
static int cell_of(float w) { return static_cast<int>(std::floor(w)); }

void EditMain::stroke(float ax, float ay, float bx, float by, bool erase) {
  float dx = bx - ax, dy = by - ay;
  int n = static_cast<int>(std::sqrt(dx * dx + dy * dy) + 1.0f);
  for (int i = 0; i <= n; i++) {
    int x = cell_of(ax + dx * i / n), y = cell_of(ay + dy * i / n);
    bool changed = erase ? edit_blend_tile(game, x, y, *current_tile, snapshot_pending != 0)
                         : edit_set_tile(x, y, *current_tile, game, snapshot_pending != 0);
    if (changed) {
      snapshot_pending = 0;
      edit_mark_dirty();
    }
    stroke_cells++;
  }
}

void EditMain::pointer(const Event& e) {
  int type = e.type();
  float mdx = type == EVT_MOTION ? static_cast<float>(e[EVW_DX]) : 0.0f;
  float mdy = type == EVT_MOTION ? static_cast<float>(e[EVW_DY]) : 0.0f;
  LevelMap& m = game->level.map;
  world_view_begin(game, m.zoom);
  float px, py, cx, cy;
  screen_to_world(e.x() - mdx, e.y() - mdy, &px, &py);
  screen_to_world(static_cast<float>(e.x()), static_cast<float>(e.y()), &cx, &cy);
  gfx_project();
  cursor_x = cell_of(cx);
  cursor_y = cell_of(cy);
  if (type != EVT_MOTION && type != EVT_DOWN) return;
  int b = e.button();
  if (b == 1 && pressed_on_map) {
    switch (tool) {
      case EDIT_TOOL_DRAW:
      case EDIT_TOOL_ERASE:
        if (type == EVT_DOWN) snapshot_pending = 1;
        stroke(px, py, cx, cy, tool == EDIT_TOOL_ERASE);
        break;
      case EDIT_TOOL_FILL:
        if (type == EVT_DOWN)
          if (int filled = edit_flood_fill(cursor_x, cursor_y, game, *current_tile)) {
            edit_mark_dirty();
            stroke_cells += filled;
          }
        break;
      case EDIT_TOOL_COPY:
        copy_at_cursor();
        break;
      case EDIT_TOOL_MOVE:
        m.camera[0] -= cx - px;
        m.camera[1] -= cy - py;
        break;
      default:
        break;
    }
  }
  if (b == 3 || b == 4) copy_at_cursor();
  if (b == 2) {
    m.camera[0] -= cx - px;
    m.camera[1] -= cy - py;
  }
}

void EditMain::loop() {
  if (reload_failed) {
    game_switch(game, TRANS_BZOOM, STATE_MENUS_EDIT);
    return;
  }
  root.loop();
  frame_count++;
  if (frame_count % EDIT_AUTOSAVE_FRAMES == 0 && edit_dirty()) {
    fprintf(stderr, "..autosave: %d changes\n", stroke_cells);
    edit_save(game);
    game->save();
    stroke_cells = 0;
  }
  status();
}

// The status bar: the cursor's position, the title, the current tile, the
// items used and any broken limit, or the hint of the focused icon.
void EditMain::status() {
  const LevelMap& m = game->level.map;
  char buf[64];
  int t = tile_at_or(cursor_x, cursor_y, m.grid, TILE_OUTSIDE);
  if (t != TILE_OUTSIDE) {
    int x = cursor_x < 64 ? cursor_x - 64 : cursor_x - 63;
    int y = cursor_y < 64 ? 64 - cursor_y : 63 - cursor_y;
    snprintf(buf, sizeof buf, "%d,%d", x, y);
  } else {
    snprintf(buf, sizeof buf, "n/a");
  }
  if (Widget* w = root.find("pos")) w->set_value_s(buf);
  std::string title(m.text[LEVEL_TEXT_TITLE], strnlen(m.text[LEVEL_TEXT_TITLE], LEVEL_TEXT_SIZE));
  if (title != title_text) {
    // Cut to its box, so that a long title never runs over the icons.
    title_text = title;
    if (Widget* w = root.find("title")) w->set_value_s(text_fit(font_load("font15"), title, TITLE_BOX_W));
  }
  if (Widget* w = root.find("i-sel")) {
    int img = edit_tile_img(*current_tile);
    if (w->sv(SW_ICON_IMG) != img || !w->shas(SW_ICON_IMG)) {
      w->st(SW_ICON_IMG, img);
      w->restyle();
    }
  }

  EditCount c = edit_recount_limits(game);
  std::string text;
  bool alert = false;
  snprintf(buf, sizeof buf, "%d / %d items used.", c.items, EDIT_ITEM_LIMIT);
  text = buf;
  if (c.items > EDIT_ITEM_LIMIT) {
    snprintf(buf, sizeof buf, "Too many items!  +%d", c.items - EDIT_ITEM_LIMIT);
    text = buf;
    alert = true;
  }
  if (c.players > EDIT_PLAYER_LIMIT) {
    snprintf(buf, sizeof buf, "Too many players!  +%d", c.players - EDIT_PLAYER_LIMIT);
    text = buf;
    alert = true;
  }
  // The hint of the icon under the pointer. Not of the focused one: a click
  // leaves the focus on the icon, and its hint would then hide the count and
  // the alert for as long as the player draws.
  std::vector<Widget*> icons;
  root.collect_focusable(&icons);
  for (Widget* w : icons)
    if (w->hovered && w->name.compare(0, 2, "i-") == 0) {
      text = w->get_value_s();
      alert = false;
    }
  if (tool == EDIT_TOOL_PICKER) {
    text = game_tiles[shown_tile & 0xff].name;
    alert = false;
  }
  if (Widget* w = root.find("hint")) {
    w->set_value_s(text);
    w->st(SW_LABEL_COLOR, static_cast<int>(alert ? ALERT_COLOR : HINT_COLOR));
    w->st(SW_BG_COLOR, static_cast<int>(alert ? ALERT_BG : 0));
    w->restyle();
  }
}
