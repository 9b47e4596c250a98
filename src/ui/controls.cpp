// NumSlider, MyToggle, Stars and GridPicker.
#include "ui/controls.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gfx/gfx.h"
#include "ui/looks.h"
#include "gfx/text.h"
#include "ui/label.h"

namespace {
void draw_centred(int font, const std::string& text, Widget* w) {
  float tw = text_width(font, text);
  float x0 = w->cx + static_cast<int>(w->cw - tw) / 2;
  float y0 = w->cy + static_cast<int>(w->ch - font_height(font)) / 2;
  gfx_color_rgb(static_cast<uint32_t>(w->style.get_or(SW_TEXT_COLOR, 0xffffff)), 1);
  text_draw_wrapped(font, text, x0, y0, 0, -1);
  gfx_color(1, 1, 1, 1);
}
}  // namespace

NumSlider::NumSlider(int f, int v) : font(f) {
  focusable = 1;
  wants_arrows = 1;
  set_value_i(v);
}

int NumSlider::get_value_i() { return value; }
void NumSlider::set_value_i(int v) { value = std::min(max, std::max(min, v)); }

int NumSlider::set_from_pointer(float px) {
  int old = value;
  float f = cw > 0 ? (px - cx) / cw : 0;
  set_value_i(static_cast<int>(std::lround(min + f * (max - min))));
  return value != old && continuous ? up_code : 0;
}

int NumSlider::event(Event* e) {
  switch (e->type()) {
    case EVT_KEYDOWN:
      if (e->key() == GK_LEFT || e->key() == GK_RIGHT) {
        int old = value;
        set_value_i(value + (e->key() == GK_LEFT ? -step : step));
        return value != old && continuous ? up_code : 0;
      }
      return 0;
    case EVT_DOWN: {
      int code = Widget::event(e);
      if (!contains(e->x(), e->y())) return code;
      dragging = 1;
      int c = set_from_pointer(static_cast<float>(e->x()));
      return code ? code : c;
    }
    case EVT_MOTION:
      return dragging ? set_from_pointer(static_cast<float>(e->x())) : 0;
    case EVT_UP:
      if (!dragging) return 0;
      dragging = 0;
      set_from_pointer(static_cast<float>(e->x()));
      pressed = 0;
      restyle();
      return up_code;
    default:
      return Widget::event(e);
  }
}

void NumSlider::measure() {
  content_w = text_width(font, "  100");
  content_h = static_cast<float>(font_height(font));
  box_measure();
  box_resize();
}

void NumSlider::paint() {
  float f = max > min ? static_cast<float>(value - min) / (max - min) : 0;
  gfx_color(1, 1, 1, 0.2f);
  gfx_rect(cx, cy, cw, ch);
  gfx_color(1, 0.67f, 0.33f, 0.7f);
  gfx_rect(cx, cy, cw * f, ch);
  char buf[32];
  std::snprintf(buf, sizeof buf, "  %d", value);
  draw_centred(font, buf, this);
}

MyToggle::MyToggle(int f, int v) : font(f), value(v) { focusable = 1; }

int MyToggle::get_value_i() { return value; }
void MyToggle::set_value_i(int v) { value = v; }
void MyToggle::flip() { value = value == 1 ? -1 : 1; }

int MyToggle::box_event(Event* e) {
  if (e->type() == EVT_CLICK) flip();
  return Widget::box_event(e);
}

void MyToggle::measure() {
  content_w = text_width(font, "Off");
  content_h = static_cast<float>(font_height(font));
  box_measure();
  box_resize();
}

void MyToggle::paint() { draw_centred(font, value == 1 ? "On" : "Off", this); }

Stars::Stars(float v, int image, float sz) : value(v), img(image), size(sz) {
  focusable = 1;
  wants_arrows = 1;
  st(SW_FRAME_IMG, gfx_img_load("dialog-box2"));
  // The frame is stretched whole, its rounded ends with it: it reaches a
  // star's size past each side, so that they clear the first and the last
  // star, and the widget keeps its size.
  int reach = static_cast<int>(sz);
  st(SW_PAD + 1, reach);
  st(SW_PAD + 3, reach);
  st(SW_MARGIN + 1, -reach);
  st(SW_MARGIN + 3, -reach);
  restyle();
}

int Stars::get_value_i() { return static_cast<int>(value); }
void Stars::set_value_i(int v) { value = static_cast<float>(std::min(5, std::max(0, v))); }

std::string Stars::get_value_s() {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", value);
  return buf;
}

int Stars::event(Event* e) {
  if (no_input) return 0;
  int code = 0;
  float old = value;
  if (e->type() == EVT_DOWN || (e->type() == EVT_MOTION && pressed)) {
    if (e->type() == EVT_DOWN) code = Widget::event(e);
    float px = e->x() - cx;
    if (size > 0) set_value_i(static_cast<int>(std::floor(px / size)) + 1);
  } else if (e->type() == EVT_KEYDOWN && (e->key() == GK_LEFT || e->key() == GK_RIGHT)) {
    set_value_i(static_cast<int>(value) + (e->key() == GK_LEFT ? -1 : 1));
  } else {
    return Widget::event(e);
  }
  if (value != old && up_code) return up_code;
  return code;
}

void Stars::measure() {
  content_w = 5 * size;
  content_h = size;
  box_measure();
  box_resize();
}

void Stars::paint() {
  for (int i = 0; i < 5; i++) {
    float x0 = cx + i * size;
    gfx_color(1, 1, 1, 0.25f);
    gfx_img_draw(img, x0, cy, size, size);
    float full = std::min(1.0f, std::max(0.0f, value - i));
    if (full > 0) {
      gfx_color(1, 1, 1, 1);
      gfx_img_draw_part(img, x0, cy, size * full, size, 0, 0, full, 1);
    }
  }
  gfx_color(1, 1, 1, 1);
}

namespace {
constexpr int kCellCode = 0x40000000;
}

GridPicker::GridPicker(int f, int v, int cols)
    : value(v), columns(cols > 0 ? cols : 1), font(f) {}

void GridPicker::add_choice(const std::string& text, int v) {
  int k = static_cast<int>(values.size());
  if (k % columns == 0) new_row();
  Box* cell = new Box(new MyLabel(font, text));
  cell->focusable = 1;
  cell->click_code = kCellCode + k;
  cell->st4(SW_PAD, 5, 10, 5, 10);
  cell->st4(SW_MARGIN, 2, 2, 2, 2);
  look_overlay(cell, "dialog-box2", OVERLAY_CHOICE);
  cell->st(STYLE_SELECTED, SW_OVERLAY_ALPHA, ALPHA_FULL);
  look_sounds(cell, SOUNDS_BUTTON);
  values.push_back(v);
  add(cell);
  mark();
}

int GridPicker::get_value_i() { return value; }

void GridPicker::set_value_i(int v) {
  value = v;
  mark();
}

void GridPicker::mark() {
  for (Widget* c : children) {
    int k = c->click_code - kCellCode;
    c->selected = k >= 0 && k < static_cast<int>(values.size()) && values[k] == value;
    c->restyle();
  }
}

int GridPicker::event(Event* e) {
  int code = Table::event(e);
  int k = code - kCellCode;
  if (k >= 0 && k < static_cast<int>(values.size())) {
    set_value_i(values[k]);
    return up_code;
  }
  return code;
}
