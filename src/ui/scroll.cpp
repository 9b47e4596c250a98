// ScrollBox, VSlider, ScrollBox2 and RowList.
#include "ui/scroll.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "gfx/gfx.h"

ScrollBox::ScrollBox(Widget* c, float width, float height)
    : view_w(width), view_h(height) {
  st(SW_WIDTH, static_cast<int>(width));
  st(SW_HEIGHT, static_cast<int>(height));
  st(SW_FIXED, 1);
  restyle();
  clips_children = 1;  // Container::paint clips and culls to the view
  if (c) add(c, 0, 0);
}

Widget* ScrollBox::content() { return children.empty() ? nullptr : children[0]; }

float ScrollBox::max_scroll_x() const {
  float m = 0;
  for (Widget* c : children) m = std::max(m, c->x + c->w);
  return std::max(0.0f, m - cw);
}

float ScrollBox::max_scroll_y() const {
  float m = 0;
  for (Widget* c : children) m = std::max(m, c->y + c->h);
  return std::max(0.0f, m - ch);
}

void ScrollBox::clamp_scroll() {
  scroll_x = std::min(std::max(scroll_x, 0.0f), max_scroll_x());
  scroll_y = std::min(std::max(scroll_y, 0.0f), max_scroll_y());
}

void ScrollBox::scroll_into_view(float rx, float ry, float rw, float rh) {
  if (ry < scroll_y) scroll_y = ry;
  else if (ry + rh > scroll_y + ch) scroll_y = ry + rh - ch;
  if (rx < scroll_x) scroll_x = rx;
  else if (rx + rw > scroll_x + cw) scroll_x = rx + rw - cw;
  clamp_scroll();
}

int ScrollBox::event(Event* e) {
  int type = e->type();
  // Keys and clicks made from keys carry no pointer position: they follow
  // the focus, wherever the pointer is.
  if (type != EVT_MOTION && type != EVT_DOWN && type != EVT_UP && type != EVT_WHEEL)
    return Container::event(e);
  bool inside = e->x() >= cx && e->y() >= cy && e->x() < cx + cw && e->y() < cy + ch;
  if (type == EVT_WHEEL) {
    if (!inside) return 0;
    scroll_y += SCROLL_WHEEL_STEP * (e->w[EVW_WHEEL] < 0 ? -1 : 1);
    clamp_scroll();
    return 0;
  }
  if (type == EVT_DOWN && inside && e->button() == 1) {
    dragging = 1;
    drag_dist = 0;
    drag_start_x = static_cast<float>(e->x());
    drag_start_y = static_cast<float>(e->y());
    drag_scroll_x = scroll_x;
    drag_scroll_y = scroll_y;
  } else if (type == EVT_MOTION && dragging) {
    float dx = e->x() - drag_start_x, dy = e->y() - drag_start_y;
    drag_dist = std::max(drag_dist, std::fabs(dx) + std::fabs(dy));
    if (drag_dist > 8) {
      scroll_x = drag_scroll_x - dx;
      scroll_y = drag_scroll_y - dy;
      clamp_scroll();
      // A drag is no click: the pressed widget lets go.
      for (Widget* p = press_child; p;) {
        p->pressed = 0;
        Container* c = dynamic_cast<Container*>(p);
        p = c ? c->press_child : nullptr;
      }
    }
  } else if (type == EVT_UP) {
    dragging = 0;
  }
  // Outside the visible part only a held press goes on to the children.
  if (!inside && !(press_child && type != EVT_DOWN)) {
    if (hover_child) {
      Widget* h = hover_child;
      hover_child = nullptr;
      return h->hover(0);
    }
    return 0;
  }
  return Container::event(e);
}

void ScrollBox::loop() {
  Container::loop();
  // Bring the focused widget into view when the focus moved (the keys walk
  // the list); a focus that stays put leaves the wheel, dragging and the
  // slider alone. The focus found at the first tick is where the builder
  // put it, and a focus taken by the press that starts a drag is passed.
  bool moved = focus_known_ && focus_seen_ != focus_moves;
  focus_known_ = true;
  focus_seen_ = focus_moves;
  Widget* f = moved ? get_focus() : nullptr;
  if (f) {
    if (f != this && !dragging) {
      float fx, fy, bx, by;
      f->abs_pos(&fx, &fy);
      abs_pos(&bx, &by);
      float rx = fx - bx - cx + scroll_x, ry = fy - by - cy + scroll_y;
      scroll_into_view(rx, ry, f->w, f->h);
    }
  }
  clamp_scroll();
}

void ScrollBox::measure() {
  for (Widget* c : children) c->measure();
  content_w = view_w;
  content_h = view_h;
  box_measure();
  box_resize();
  layout_children();
}

// Layout leaves the offsets alone: a subclass may set them itself (a map
// that scrolls a little past its end); the wheel, dragging and loop keep
// them within the content.
void ScrollBox::layout_children() {
  for (Widget* c : children) c->resize(std::max(c->nat_w, cw), c->nat_h);
}

VSlider::VSlider() {
  st(SW_WIDTH, 20);
  restyle();
}

float VSlider::knob_h() const {
  return std::max(20.0f, ch * std::min(1.0f, std::max(0.0f, knob_frac)));
}

int VSlider::event(Event* e) {
  float range = ch - knob_h();
  float knob_y = cy + value * range;
  if (e->type() == EVT_DOWN && contains(e->x(), e->y())) {
    dragging = 1;
    float py = static_cast<float>(e->y());
    grab = (py >= knob_y && py < knob_y + knob_h()) ? py - knob_y : knob_h() / 2;
  } else if (e->type() == EVT_UP) {
    dragging = 0;
    return 0;
  }
  if (dragging && (e->type() == EVT_DOWN || e->type() == EVT_MOTION) && range > 0) {
    value = std::min(1.0f, std::max(0.0f, (e->y() - grab - cy) / range));
  }
  return 0;
}

void VSlider::paint() {
  gfx_color(1, 1, 1, 0.15f);
  gfx_rect(cx + cw / 2 - 2, cy, 4, ch);
  if (knob_frac >= 1) {
    gfx_color(1, 1, 1, 1);
    return;
  }
  gfx_color(1, 0.67f, 0.33f, 0.8f);
  gfx_rect(cx + 2, cy + value * (ch - knob_h()), cw - 4, knob_h());
  gfx_color(1, 1, 1, 1);
}

ScrollBox2::ScrollBox2(ScrollBox* b) : box(b), slider(new VSlider) {
  add(box);
  add(slider);
}

void ScrollBox2::sync() {
  float m = box->max_scroll_y();
  slider->value = m > 0 ? box->scroll_y / m : 0;
  float total = box->ch + m;
  slider->knob_frac = total > 0 ? box->ch / total : 1;
}

int ScrollBox2::event(Event* e) {
  int code = Table::event(e);
  if (slider->dragging) {
    box->scroll_y = slider->value * box->max_scroll_y();
    box->clamp_scroll();
  } else {
    sync();
  }
  return code;
}

void ScrollBox2::loop() {
  Table::loop();
  if (!slider->dragging) sync();
}

void ScrollBox2::measure() {
  Table::measure();
  sync();
}

RowList::RowList(int count, std::function<Widget*(int)> make) : count_(std::max(0, count)), make_(std::move(make)) {
  // The first row stands for all: its size is every row's.
  if (count_ > 0) build_row(0);
  if (!children.empty()) {
    row_w_ = children[0]->nat_w;
    row_h_ = children[0]->nat_h;
  }
}

void RowList::build_row(int i) {
  if (i < 0 || i >= count_) return;
  // The rows stay in index order, as the culling's search expects.
  auto at = std::lower_bound(children.begin(), children.end(), i, [](Widget* c, int r) { return c->row < r; });
  if (at != children.end() && (*at)->row == i) return;
  size_t place = static_cast<size_t>(at - children.begin());
  Widget* w = make_(i);
  if (!w) return;
  w->row = i;
  add(w, 0, i * row_h_);
  std::rotate(children.begin() + static_cast<long>(place), children.end() - 1, children.end());
}

void RowList::keep_rows(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, count_);
  int focus_row = focus_child ? focus_child->row : -1;
  auto kept = [&](int i) { return (i >= first && i < last) || (focus_row >= 0 && std::abs(i - focus_row) <= 1); };
  size_t before = children.size();
  bool changed = false;
  for (size_t k = children.size(); k-- > 0;)
    if (!kept(children[k]->row)) {
      remove(children[k]);
      changed = true;
    }
  for (int i = first; i < last; i++) build_row(i);
  if (focus_row >= 0)
    for (int i = focus_row - 1; i <= focus_row + 1; i++) build_row(i);
  if (changed || children.size() != before) layout_children();
}

void RowList::follow_view() {
  float y0, y1;
  if (row_h_ > 0 && view_band(&y0, &y1)) {
    first_ = static_cast<int>(std::floor(y0 / row_h_));
    last_ = static_cast<int>(std::ceil(y1 / row_h_));
  }
  keep_rows(first_, last_);
}

// The focus may have moved since the last step (keys come faster than
// steps, and a screen may set it before its first step): the arrow keys
// find the neighbours of the row that holds it now.
int RowList::event(Event* e) {
  keep_rows(first_, last_);
  return Container::event(e);
}

void RowList::loop() {
  follow_view();
  Container::loop();
}

// A paint may come before any step (the picture a transition takes of a
// new screen) or after a scroll that no step saw yet.
void RowList::paint() {
  follow_view();
  Container::paint();
}

void RowList::measure() {
  float mw = row_w_;
  for (Widget* c : children) {
    c->measure();
    mw = std::max(mw, c->nat_w);
  }
  content_w = mw;
  content_h = count_ * row_h_;
  box_measure();
  box_resize();
  layout_children();
}

void RowList::layout_children() {
  for (Widget* c : children) {
    c->x = 0;
    c->y = c->row * row_h_;
    c->resize(cw, row_h_);
  }
}
