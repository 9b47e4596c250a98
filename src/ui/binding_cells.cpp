// Key and gamepad cells of the Controls page: capture the next press and show its name.
#include "ui/binding_cells.h"

#include <SDL/SDL_keysym.h>

#include <cstdio>

#include "driver/audio.h"
#include "driver/driver.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "ui/looks.h"

WKeyCode::WKeyCode(int f, int v) : font(f) {
  WKeyCode::set_value_i(v);
  focusable = 1;
}

int WKeyCode::get_value_i() { return value; }

void WKeyCode::set_value_i(int v) {
  value = v;
  // A symbol out of the platform's range (a damaged settings file) has no
  // name to look up.
  std::string n = v >= 0 && v < SDLK_LAST ? key_name(v) : std::string("unknown key");
  std::snprintf(text, sizeof text, "%s", n.c_str());
}

static bool is_arrow(int key) { return key >= GK_UP && key <= GK_LEFT; }

// Ctrl, Alt and the system keys open the window shortcuts (Ctrl+Q quits,
// Ctrl+F toggles full screen); taking their press would rebind the cell
// the moment the player reaches for one of them.
static bool is_shortcut_modifier(int sym) { return sym >= SDLK_RCTRL && sym <= SDLK_RSUPER; }

int WKeyCode::event(Event* e) {
  int type = e->type();
  if ((type == EVT_KEYDOWN || type == EVT_KEYUP) && e->sym() == 0) return Widget::event(e);
  if (type == EVT_KEYDOWN) {
    // An arrow reaches an unarmed cell only when it moved the focus
    // nowhere: taking it would rebind the cell behind the player's back.
    if (!armed && is_arrow(e->key())) return 0;
    if (is_shortcut_modifier(e->sym())) return 0;
    armed = 0;
    set_value_i(e->sym());
    gui_sound(GUI_SOUND_CHANGE);
    return 0;
  }
  if (type == EVT_KEYUP) return 0;
  int code = Widget::event(e);
  if (type == EVT_DOWN && focused && contains(e->x(), e->y())) armed = 1;
  return code;
}

int WKeyCode::focus(int on) {
  if (!on) armed = 0;
  return Widget::focus(on);
}

void WKeyCode::measure() {
  content_w = text_width(font, text);
  content_h = static_cast<float>(font_height(font));
  box_measure();
  box_resize();
}

void WKeyCode::paint() {
  int x = static_cast<int>(cw - static_cast<int>(text_width(font, text))) / 2;
  int y = static_cast<int>(ch - font_height(font)) / 2;
  gfx_color_rgb(static_cast<uint32_t>(style.get_or(SW_TEXT_COLOR, 0xffffff)), 1);
  text_draw_wrapped(font, text, cx + x, cy + y, 0, -1);
  gfx_color(1, 1, 1, 1);
}

WJoyCode::WJoyCode(int v, int f) : WKeyCode(f, 0) { WJoyCode::set_value_i(v); }

void WJoyCode::set_value_i(int v) {
  value = v;
  std::snprintf(text, sizeof text, "Button %d", (v & 255) + 1);
}

int WJoyCode::event(Event* e) {
  if (e->type() == EVT_JOYDOWN) {
    set_value_i(e->button());
    gui_sound(GUI_SOUND_CHANGE);
  }
  return Widget::event(e);
}

// The toggle's cell look, without its click sound.
static Box* binding_cell(WKeyCode* w, const char* name) {
  if (name) w->name = name;
  w->st(SW_WIDTH, 128);
  w->st(SW_HEIGHT, 30);
  w->st(SW_TEXT_COLOR, 0xffffff);
  w->st(SW_FRAME_IMG, gfx_img_load("dialog-box3"));
  w->st(SW_FRAME_MODE, FRAME_EDGE_10);
  w->st(SW_OVERLAY_MODE, FRAME_EDGE_10);
  look_overlay(w, "dialog-box2", OVERLAY_BUTTON);
  w->st4(SW_MARGIN, 5, 5, 5, 5);
  look_sounds(w, SOUNDS_FIELD);
  w->restyle();
  return new Box(w);
}

Box* gui_key_code(const char* name, int value) {
  return binding_cell(new WKeyCode(font_load("font2"), value), name);
}

Box* gui_joy_code(const char* name, int value) {
  return binding_cell(new WJoyCode(value, font_load("font2")), name);
}
