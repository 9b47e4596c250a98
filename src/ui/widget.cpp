// The Widget base: values, hover and focus, the box model and its drawing.
#include "ui/widget.h"

#include <algorithm>

#include "driver/audio.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"

unsigned long Widget::focus_moves = 0;
unsigned long Widget::layout_revision = 0;
unsigned long Widget::layout_passes = 0;

Widget::Widget() { restyle(); }
Widget::~Widget() = default;

Widget* Widget::find(const std::string& n) {
  return !n.empty() && n == name ? this : nullptr;
}
std::string Widget::get_value_s() { return ""; }
void Widget::set_value_s(const std::string&) {}
int Widget::get_value_i() { return 0; }
void Widget::set_value_i(int) {}

int Widget::focus(int on) {
  on = on ? 1 : 0;
  if (on == focused) return 0;
  focused = on;
  style.update(hovered, focused, pressed, selected, true);
  note_fading();
  if (!on) return 0;
  focus_moves++;
  play_sound(SW_SOUND_FOCUS);
  return focus_code;
}

int Widget::hover(int on) {
  on = on ? 1 : 0;
  if (on == hovered) return 0;
  hovered = on;
  style.update(hovered, focused, pressed, selected, true);
  note_fading();
  if (!on) return leave_code;
  play_sound(SW_SOUND_ENTER);
  return enter_code;
}

Widget* Widget::get_focus() { return focused ? this : nullptr; }

int Widget::select() {
  // A group that cannot take the focus itself (the Box that carries a menu
  // button's name) selects the first widget inside it that can, so that
  // Space and Return then activate it.
  if (!focusable || no_input) {
    std::vector<Widget*> inner;
    collect_focusable(&inner);
    if (!inner.empty() && inner.front() != this) return inner.front()->select();
  }
  Container* r = dynamic_cast<Container*>(root());
  if (!r || r == this) {
    int a = hover(1);
    int b = focus(1);
    return a ? a : b;
  }
  int a = r->set_hover(this);
  int b = r->set_focus(this);
  return a ? a : b;
}

void Widget::collect_focusable(std::vector<Widget*>* out) {
  if (!no_input && focusable) out->push_back(this);
}

int Widget::is_focused() { return focused; }
int Widget::event(Event* e) { return box_event(e); }
void Widget::loop() {
  style.tick();
  note_fading();
}
void Widget::paint() {}

void Widget::resize(float nw, float nh) {
  w = nw;
  h = nh;
  box_resize();
}

void Widget::measure() {
  content_w = 0;
  content_h = 0;
  box_measure();
  box_resize();
}

int Widget::box_event(Event* e) {
  switch (e->type()) {
    case EVT_DOWN: {
      if (!contains(e->x(), e->y())) return 0;
      int code = 0;
      if (focusable && !no_input) {
        Container* r = dynamic_cast<Container*>(root());
        code = r && r != this ? r->set_focus(this) : focus(1);
      }
      pressed = 1;
      style.update(hovered, focused, pressed, selected, true);
      note_fading();
      play_sound(SW_SOUND_DOWN);
      return code;
    }
    case EVT_UP: {
      if (!pressed) return 0;
      pressed = 0;
      style.update(hovered, focused, pressed, selected, true);
      note_fading();
      play_sound(SW_SOUND_UP);
      if (!contains(e->x(), e->y())) return 0;
      Event click(EVT_CLICK);
      int code = box_event(&click);
      return code ? code : up_code;
    }
    case EVT_CLICK:
      play_sound(SW_SOUND_CLICK);
      return click_code;
    default:
      return 0;
  }
}

namespace {
// Draws the image over the rectangle; with an edge, as nine slices whose
// corners keep their size.
void draw_nine(int img, float x, float y, float w, float h, float edge) {
  if (edge <= 0) {
    gfx_img_draw(img, x, y, w, h);
    return;
  }
  int iw = 0, ih = 0;
  gfx_img_size(img, &iw, &ih);
  if (iw <= 0 || ih <= 0) return;
  float e = std::min({edge, w / 2, h / 2});
  float eu = std::min(0.5f, edge / iw), ev = std::min(0.5f, edge / ih);
  const float xs[4] = {x, x + e, x + w - e, x + w};
  const float ys[4] = {y, y + e, y + h - e, y + h};
  const float us[4] = {0, eu, 1 - eu, 1};
  const float vs[4] = {0, ev, 1 - ev, 1};
  for (int j = 0; j < 3; j++)
    for (int i = 0; i < 3; i++)
      if (xs[i + 1] > xs[i] && ys[j + 1] > ys[j])
        gfx_img_draw_part(img, xs[i], ys[j], xs[i + 1] - xs[i],
                          ys[j + 1] - ys[j], us[i], vs[j], us[i + 1],
                          vs[j + 1]);
}
}  // namespace

void Widget::box_paint() {
  float ml = static_cast<float>(style.get_or(SW_MARGIN + 3, 0));
  float mt = static_cast<float>(style.get_or(SW_MARGIN, 0));
  float mr = static_cast<float>(style.get_or(SW_MARGIN + 1, 0));
  float mb = static_cast<float>(style.get_or(SW_MARGIN + 2, 0));
  float fx = ml, fy = mt, fw = w - ml - mr, fh = h - mt - mb;
  if (fw <= 0 || fh <= 0) return;
  if (style.has(SW_BG_COLOR)) {
    gfx_color_rgb(static_cast<uint32_t>(style.get(SW_BG_COLOR)), 1);
    gfx_rect(fx, fy, fw, fh);
  }
  auto image = [&](int img_word, int alpha_word, float x, float y, float iw,
                   float ih, float edge) {
    if (!style.has(img_word) || !style.get(img_word)) return;
    float a = style.alpha(alpha_word);
    if (a <= 0) return;
    gfx_color(1, 1, 1, a);
    draw_nine(style.get(img_word), x, y, iw, ih, edge);
  };
  image(SW_FRAME_IMG, SW_FRAME_ALPHA, fx, fy, fw, fh,
        static_cast<float>(style.get_or(SW_FRAME_MODE, 0)));
  float bt = static_cast<float>(style.get_or(SW_BORDER, 0));
  float br = static_cast<float>(style.get_or(SW_BORDER + 1, 0));
  float bb = static_cast<float>(style.get_or(SW_BORDER + 2, 0));
  float bl = static_cast<float>(style.get_or(SW_BORDER + 3, 0));
  if (style.has(SW_BORDER_COLOR) && (bt > 0 || br > 0 || bb > 0 || bl > 0)) {
    gfx_color_rgb(static_cast<uint32_t>(style.get(SW_BORDER_COLOR)), 1);
    if (bt > 0) gfx_rect(fx, fy, fw, bt);
    if (bb > 0) gfx_rect(fx, fy + fh - bb, fw, bb);
    if (bl > 0) gfx_rect(fx, fy + bt, bl, fh - bt - bb);
    if (br > 0) gfx_rect(fx + fw - br, fy + bt, br, fh - bt - bb);
  }
  image(SW_ICON_IMG, SW_ICON_ALPHA, cx, cy, cw, ch, 0);
  image(SW_FOCUS_IMG, SW_FOCUS_ALPHA, cx, cy, cw, ch, 0);
  image(SW_OVERLAY_IMG, SW_OVERLAY_ALPHA, fx, fy, fw, fh,
        static_cast<float>(style.get_or(SW_OVERLAY_MODE, 0)));
  gfx_color(1, 1, 1, 1);
}

void Widget::box_resize() {
  layout_passes++;
  float ml = static_cast<float>(style.get_or(SW_MARGIN + 3, 0)) + style.get_or(SW_BORDER + 3, 0) + style.get_or(SW_PAD + 3, 0);
  float mt = static_cast<float>(style.get_or(SW_MARGIN, 0)) + style.get_or(SW_BORDER, 0) + style.get_or(SW_PAD, 0);
  float mr = static_cast<float>(style.get_or(SW_MARGIN + 1, 0)) + style.get_or(SW_BORDER + 1, 0) + style.get_or(SW_PAD + 1, 0);
  float mb = static_cast<float>(style.get_or(SW_MARGIN + 2, 0)) + style.get_or(SW_BORDER + 2, 0) + style.get_or(SW_PAD + 2, 0);
  cx = ml;
  cy = mt;
  cw = std::max(0.0f, w - ml - mr);
  ch = std::max(0.0f, h - mt - mb);
}

void Widget::box_measure() {
  auto side = [&](int i) {
    return static_cast<float>(style.get_or(SW_BORDER + i, 0) + style.get_or(SW_PAD + i, 0));
  };
  float fw = content_w + side(1) + side(3);
  float fh = content_h + side(0) + side(2);
  bool fixed = style.get_or(SW_FIXED, 0) == 1;
  if (style.has(SW_WIDTH))
    fw = fixed ? style.get(SW_WIDTH) : std::max(fw, static_cast<float>(style.get(SW_WIDTH)));
  if (style.has(SW_HEIGHT))
    fh = fixed ? style.get(SW_HEIGHT) : std::max(fh, static_cast<float>(style.get(SW_HEIGHT)));
  w = fw + style.get_or(SW_MARGIN + 1, 0) + style.get_or(SW_MARGIN + 3, 0);
  h = fh + style.get_or(SW_MARGIN, 0) + style.get_or(SW_MARGIN + 2, 0);
  nat_w = w;
  nat_h = h;
}

void Widget::st4(int first, int a, int b, int c, int d) {
  st(first, a);
  st(first + 1, b);
  st(first + 2, c);
  st(first + 3, d);
}

void Widget::restyle() {
  style.update(hovered, focused, pressed, selected, false);
  note_fading();
}

void Widget::note_fading() {
  if (style.fading == fading_counted_) return;
  fading_counted_ = style.fading;
  add_fading(fading_counted_ ? 1 : -1);
}

void Widget::add_fading(int d) {
  for (Widget* w = this; w; w = w->parent) w->fading += d;
}

void Widget::play_sound(int word) {
  if (style.has(word) && style.get(word)) gui_sound(style.get(word));
}

Widget* Widget::root() {
  Widget* r = this;
  while (r->parent) r = static_cast<Widget*>(r->parent);
  return r;
}

void Widget::abs_pos(float* ax, float* ay) {
  float x0 = x, y0 = y;
  Widget* p = static_cast<Widget*>(parent);
  while (p) {
    x0 += p->cx - p->scroll_x;
    y0 += p->cy - p->scroll_y;
    if (p->parent) {
      x0 += p->x;
      y0 += p->y;
    }
    p = static_cast<Widget*>(p->parent);
  }
  *ax = x0;
  *ay = y0;
}

void Widget::paint_reach(float r[4]) {
  // The frame rectangle, and the content rectangle (icon, focus image)
  // whose inner spacing may be negative too.
  float ml = static_cast<float>(style.get_or(SW_MARGIN + 3, 0));
  float mt = static_cast<float>(style.get_or(SW_MARGIN, 0));
  float mr = static_cast<float>(style.get_or(SW_MARGIN + 1, 0));
  float mb = static_cast<float>(style.get_or(SW_MARGIN + 2, 0));
  r[0] = std::min({0.0f, ml, cx});
  r[1] = std::min({0.0f, mt, cy});
  r[2] = std::max({w, w - mr, cx + cw});
  r[3] = std::max({h, h - mb, cy + ch});
  Container* c = dynamic_cast<Container*>(this);
  if (!c || c->clips_children || c->children.empty()) return;
  c->update_reach();
  float ox = cx - scroll_x, oy = cy - scroll_y;
  const Container::Reach& k = c->reach_all_;
  r[0] = std::min(r[0], ox + k.x0);
  r[1] = std::min(r[1], oy + k.y0);
  r[2] = std::max(r[2], ox + k.x1);
  r[3] = std::max(r[3], oy + k.y1);
}

void Widget::layout() {
  measure();
  resize(w, h);
}
