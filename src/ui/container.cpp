// Container: children, hit-testing, hover and focus, the road of an event.
#include <algorithm>
#include <cmath>

#include "gfx/gfx.h"
#include "gfx/gl.h"
#include "ui/widget.h"

namespace {
// The clip rectangles of the views being painted that clip their children,
// in eye coordinates (the modelview transform applied), each within the one
// before. A child whose reach lies wholly outside the innermost is not
// painted: the clip would throw all of it away.
struct EyeRect {
  float x0, y0, x1, y1;
};
std::vector<EyeRect> g_view_clips;

// A little room for text and rounding to pixels.
constexpr float CULL_SLACK = 4.0f;

// The view that clips the container being stepped, in its children's
// coordinates; set while a container steps its children.
struct LoopView {
  bool on;
  float x0, y0, x1, y1;
};
LoopView g_loop_view = {false, 0, 0, 0, 0};

// The current modelview when it only translates and scales.
bool plain_transform(float m[16]) {
  if (!gfx_gl_ready()) return false;
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  return m[1] == 0 && m[2] == 0 && m[4] == 0 && m[6] == 0 && m[8] == 0 && m[9] == 0;
}

EyeRect to_eye(const float m[16], float x0, float y0, float x1, float y1) {
  float ax = m[0] * x0 + m[12], bx = m[0] * x1 + m[12];
  float ay = m[5] * y0 + m[13], by = m[5] * y1 + m[13];
  return {std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
}
}  // namespace

Container::Container() = default;

Container::~Container() {
  for (Widget* c : children) delete c;
  children.clear();
}

Widget* Container::find(const std::string& n) {
  if (n.empty()) return nullptr;
  if (n == name) return this;
  for (Widget* c : children)
    if (Widget* r = c->find(n)) return r;
  return nullptr;
}

int Container::focus(int on) {
  int code = Widget::focus(on);
  if (!on && focus_child) {
    Widget* f = focus_child;
    focus_child = nullptr;
    f->focus(0);
  }
  return code;
}

int Container::hover(int on) {
  int code = Widget::hover(on);
  if (!on && hover_child) {
    Widget* h = hover_child;
    hover_child = nullptr;
    int inner = h->hover(0);
    if (!code) code = inner;
  }
  return code;
}

Widget* Container::get_focus() {
  if (focused) return this;
  return focus_child ? focus_child->get_focus() : nullptr;
}

void Container::collect_focusable(std::vector<Widget*>* out) {
  if (no_input) return;
  if (focusable) {
    out->push_back(this);
    return;
  }
  for (Widget* c : children) c->collect_focusable(out);
}

int Container::is_focused() {
  return focused || (focus_child && focus_child->is_focused());
}

void Container::add(Widget* child, float cx0, float cy0) {
  if (!child) return;
  child->x = cx0;
  child->y = cy0;
  children.push_back(child);
  child->parent = this;
  child->restyle();
  child->measure();
  if (child->fading) add_fading(child->fading);
  layout_changed();
}

void Container::detach(Widget* child) {
  auto it = std::find(children.begin(), children.end(), child);
  if (it == children.end()) return;
  children.erase(it);
  // The hover, focus and press chains run through direct children only, so
  // cutting them here leaves no pointer into the removed subtree.
  if (hover_child == child) hover_child = nullptr;
  if (focus_child == child) focus_child = nullptr;
  if (press_child == child) press_child = nullptr;
  child->parent = nullptr;
  if (child->fading) add_fading(-child->fading);
  layout_changed();
}

void Container::remove(Widget* child) {
  if (!child || child->parent != this) return;
  detach(child);
  delete child;
}

void Container::reset() {
  for (Widget* c : children) {
    if (c->fading) add_fading(-c->fading);
    delete c;
  }
  children.clear();
  hover_child = focus_child = press_child = nullptr;
  name.clear();
  x = y = w = h = cx = cy = cw = ch = content_w = content_h = 0;
  scroll_x = scroll_y = 0;
  col = row = 0;
  col_span = row_span = 1;
  click_code = enter_code = leave_code = focus_code = up_code = return_code = 0;
  no_input = focusable = selected = hovered = focused = pressed = 0;
  wants_arrows = 0;
  tab_target.clear();
  style = Style();
  restyle();
  layout_changed();
}

int Container::set_focus(Widget* target) {
  Container* r = dynamic_cast<Container*>(root());
  if (r && r != this) return r->set_focus(target);
  Widget* old = get_focus();
  if (old == target && target) return 0;
  if (focus_child) {
    Widget* f = focus_child;
    focus_child = nullptr;
    f->focus(0);
  }
  if (focused && target != this) Widget::focus(0);
  if (!target) return 0;
  for (Widget* c = target; c->parent; c = c->parent) c->parent->focus_child = c;
  return target->focus(1);
}

int Container::set_hover(Widget* target) {
  Container* r = dynamic_cast<Container*>(root());
  if (r && r != this) return r->set_hover(target);
  if (hover_child) {
    Widget* h = hover_child;
    hover_child = nullptr;
    h->hover(0);
  }
  if (!target || target == this) return target ? Widget::hover(1) : 0;
  for (Widget* c = target; c->parent; c = c->parent) {
    c->parent->hover_child = c;
    if (c != target && c->parent) c->hover(1);
  }
  return target->hover(1);
}

Widget* Container::child_at(float px, float py) {
  for (size_t i = children.size(); i-- > 0;) {
    Widget* c = children[i];
    if (c->no_input) continue;
    if (c->contains(px - c->x, py - c->y)) return c;
  }
  return nullptr;
}

static bool is_pointer(int type) {
  return type == EVT_MOTION || type == EVT_DOWN || type == EVT_UP ||
         type == EVT_WHEEL;
}

int Container::event(Event* e) {
  // A focusable or clickable container is a button: its children are only
  // what it shows.
  if ((focusable || click_code) && parent) return Widget::event(e);
  if (is_pointer(e->type())) return pointer_event(e);
  return key_event(e);
}

int Container::pointer_event(Event* e) {
  float px = e->x() - cx + scroll_x, py = e->y() - cy + scroll_y;
  Widget* hit = child_at(px, py);
  int code = 0;
  if (hit != hover_child) {
    Widget* old = hover_child;
    hover_child = hit;
    int leave = old ? old->hover(0) : 0;
    int enter = hit ? hit->hover(1) : 0;
    code = enter ? enter : leave;
  }
  Widget* target = hit;
  if (press_child && e->type() != EVT_DOWN) target = press_child;
  if (e->type() == EVT_DOWN) press_child = hit;
  if (e->type() == EVT_UP) press_child = nullptr;
  if (target) {
    Event local = *e;
    local[EVW_X] = static_cast<int32_t>(std::floor(px - target->x));
    local[EVW_Y] = static_cast<int32_t>(std::floor(py - target->y));
    int c = target->event(&local);
    if (c) code = c;
  }
  return code;
}

static bool is_arrow(int key) { return key >= GK_UP && key <= GK_LEFT; }

int Container::key_event(Event* e) {
  bool top = parent == nullptr;
  if (e->type() == EVT_KEYDOWN && is_arrow(e->key())) {
    int key = e->key();
    Widget* f = get_focus();
    bool own = f && f->wants_arrows && (key == GK_LEFT || key == GK_RIGHT);
    if (!own) {
      // The innermost group that holds the focus moves it among its own
      // widgets first, so that a container (a scrolled map of icons, a
      // picker) sees the focus code of its child in its own event; only
      // when nothing lies that way inside it does the group around it try.
      Container* inner = dynamic_cast<Container*>(focus_child);
      if (inner && inner != f && !inner->no_input) {
        int code = inner->event(e);
        if (get_focus() != f) return code;
      }
      int code = move_focus(key);
      if (code != -1) return code;
      if (!top) return 0;
      // Nothing in that direction: the focused widget has the key.
      return f && f != this && !f->no_input ? f->event(e) : 0;
    }
  }
  if (top && e->type() == EVT_KEYDOWN && e->key() == GK_TAB) {
    Widget* f = get_focus();
    if (f && !f->tab_target.empty()) {
      Widget* t = find(f->tab_target);
      if (t && t != f) return set_focus(t);
    }
    return 0;
  }
  Widget* fc = focus_child && !focus_child->no_input ? focus_child : nullptr;
  int code = fc ? fc->event(e) : 0;
  if (top && !code && e->type() == EVT_KEYDOWN &&
      (e->key() == GK_SPACE || e->key() == GK_RETURN) && fc) {
    // Space and Return activate the focused widget like a click, through
    // its containers so that pickers see it.
    Event click(EVT_CLICK);
    code = fc->event(&click);
  }
  return code;
}

// Moves the focus to the nearest focusable widget of this container in the
// arrow's direction (within 45 degrees); answers its focus code, or -1 when
// nothing moved. With no focus anywhere the first focusable widget takes it.
int Container::move_focus(int key) {
  std::vector<Widget*> list;
  for (Widget* c : children) c->collect_focusable(&list);
  if (list.empty()) return -1;
  Widget* cur = get_focus();
  if (!cur) return parent ? -1 : set_focus(list.front());
  float ax, ay;
  cur->abs_pos(&ax, &ay);
  ax += cur->w / 2;
  ay += cur->h / 2;
  Widget* best = nullptr;
  float best_score = 0;
  for (Widget* c : list) {
    if (c == cur) continue;
    float bx, by;
    c->abs_pos(&bx, &by);
    float dx = bx + c->w / 2 - ax, dy = by + c->h / 2 - ay;
    float primary = key == GK_RIGHT ? dx : key == GK_LEFT ? -dx : key == GK_DOWN ? dy : -dy;
    float secondary = std::fabs(key == GK_RIGHT || key == GK_LEFT ? dy : dx);
    if (primary < 1 || secondary > primary) continue;
    float score = primary + 2 * secondary;
    if (!best || score < best_score) {
      best = c;
      best_score = score;
    }
  }
  if (!best) return -1;
  return set_focus(best);
}

void Container::loop() {
  // The root lays the whole tree out before ticking it, so that hit-tests
  // and the ticks see the sizes of what changed since the last paint.
  if (!parent) measure();
  Widget::loop();
  if (children.empty()) return;
  // Children scrolled out of the view are not stepped: a long list costs
  // what its visible rows cost. A fade still running in one goes on, so
  // that it looks the same when scrolled back.
  const LoopView outer = g_loop_view;
  LoopView v = parent ? outer : LoopView{false, 0, 0, 0, 0};
  float ox = x + cx - scroll_x, oy = y + cy - scroll_y;
  v = {v.on, v.x0 - ox, v.y0 - oy, v.x1 - ox, v.y1 - oy};
  if (clips_children) {
    LoopView own = {true, scroll_x, scroll_y, scroll_x + cw, scroll_y + ch};
    v = v.on ? LoopView{true, std::max(v.x0, own.x0), std::max(v.y0, own.y0), std::min(v.x1, own.x1),
                        std::min(v.y1, own.y1)}
             : own;
  }
  size_t first = 0, last = children.size();
  if (v.on) {
    update_reach();
    // While a fade runs below, every child is looked at.
    if (fading <= (fading_counted_ ? 1 : 0)) rows_in(v.y0 - CULL_SLACK, v.y1 + CULL_SLACK, &first, &last);
  }
  for (size_t i = first; i < last && i < children.size(); i++) {
    Widget* c = children[i];
    if (v.on && !c->fading && i < reach_.size()) {
      const Reach& r = reach_[i];
      if (r.x1 + CULL_SLACK <= v.x0 || r.x0 - CULL_SLACK >= v.x1 || r.y1 + CULL_SLACK <= v.y0 ||
          r.y0 - CULL_SLACK >= v.y1)
        continue;
    }
    g_loop_view = v;
    c->loop();
  }
  g_loop_view = outer;
}

void Container::update_reach() {
  if (reach_valid_ && reach_revision_ == layout_revision && reach_passes_ == layout_passes &&
      reach_.size() == children.size())
    return;
  size_t n = children.size();
  reach_.resize(n);
  reach_max_y1_.resize(n);
  reach_min_y0_.resize(n);
  for (size_t i = 0; i < n; i++) {
    Widget* c = children[i];
    float r[4];
    c->paint_reach(r);
    reach_[i] = {c->x + r[0], c->y + r[1], c->x + r[2], c->y + r[3]};
  }
  reach_all_ = n ? reach_[0] : Reach{0, 0, 0, 0};
  for (size_t i = 0; i < n; i++) {
    const Reach& r = reach_[i];
    reach_max_y1_[i] = i ? std::max(reach_max_y1_[i - 1], r.y1) : r.y1;
    reach_all_ = {std::min(reach_all_.x0, r.x0), std::min(reach_all_.y0, r.y0), std::max(reach_all_.x1, r.x1),
                  std::max(reach_all_.y1, r.y1)};
  }
  for (size_t i = n; i-- > 0;) reach_min_y0_[i] = i + 1 < n ? std::min(reach_min_y0_[i + 1], reach_[i].y0) : reach_[i].y0;
  // Reading the children's reach may itself lay nothing out; the counters
  // are taken after it so that the walk is done once per layout.
  reach_revision_ = layout_revision;
  reach_passes_ = layout_passes;
  reach_valid_ = true;
}

void Container::rows_in(float y0, float y1, size_t* first, size_t* last) {
  // Children before `first` end at or above y0; from `last` on they start
  // at or below y1.
  *first = static_cast<size_t>(std::upper_bound(reach_max_y1_.begin(), reach_max_y1_.end(), y0) -
                               reach_max_y1_.begin());
  *last = static_cast<size_t>(std::lower_bound(reach_min_y0_.begin(), reach_min_y0_.end(), y1) -
                              reach_min_y0_.begin());
  if (*last < *first) *last = *first;
}

bool Container::view_band(float* y0, float* y1) const {
  // Stepping: the view the parent handed down, in the parent's children's
  // coordinates.
  float oy = y + cy - scroll_y;
  if (g_loop_view.on) {
    *y0 = g_loop_view.y0 - oy;
    *y1 = g_loop_view.y1 - oy;
    return true;
  }
  // Painting: the innermost clip, through the transform to this
  // container's outer top left.
  float m[16];
  if (g_view_clips.empty() || !plain_transform(m) || m[5] == 0) return false;
  const EyeRect& v = g_view_clips.back();
  float a = (v.y0 - m[13]) / m[5], b = (v.y1 - m[13]) / m[5];
  *y0 = std::min(a, b) - (cy - scroll_y);
  *y1 = std::max(a, b) - (cy - scroll_y);
  return true;
}

void Container::paint() {
  float m[16];
  bool clip = clips_children != 0;
  if (clip) {
    gfx_clip_push(cx, cy, cw, ch);
    if (plain_transform(m)) {
      EyeRect r = to_eye(m, cx, cy, cx + cw, cy + ch);
      if (!g_view_clips.empty()) {
        const EyeRect& o = g_view_clips.back();
        r = {std::max(r.x0, o.x0), std::max(r.y0, o.y0), std::min(r.x1, o.x1), std::min(r.y1, o.y1)};
      }
      g_view_clips.push_back(r);
    } else {
      clip = false;  // unknown to the culling: it culls against the outer view
    }
  }
  glPushMatrix();
  glTranslatef(cx - scroll_x, cy - scroll_y, 0);
  bool cull = !g_view_clips.empty() && plain_transform(m) && m[0] != 0 && m[5] != 0;
  size_t first = 0, last = children.size();
  if (cull && !children.empty()) {
    // The rows that meet the view, found without walking the others.
    const EyeRect& v = g_view_clips.back();
    float y0 = (v.y0 - m[13]) / m[5], y1 = (v.y1 - m[13]) / m[5];
    update_reach();
    rows_in(std::min(y0, y1) - CULL_SLACK, std::max(y0, y1) + CULL_SLACK, &first, &last);
  }
  for (size_t i = first; i < last && i < children.size(); i++) {
    Widget* c = children[i];
    if (cull && i < reach_.size()) {
      const EyeRect& v = g_view_clips.back();
      const Reach& r = reach_[i];
      EyeRect e = to_eye(m, r.x0 - CULL_SLACK, r.y0 - CULL_SLACK, r.x1 + CULL_SLACK, r.y1 + CULL_SLACK);
      if (e.x1 <= v.x0 || e.x0 >= v.x1 || e.y1 <= v.y0 || e.y0 >= v.y1) continue;
    }
    glPushMatrix();
    glTranslatef(c->x, c->y, 0);
    c->box_paint();
    c->paint();
    glPopMatrix();
  }
  glPopMatrix();
  if (clips_children) {
    if (clip) g_view_clips.pop_back();
    gfx_clip_pop();
  }
}

void Container::resize(float nw, float nh) {
  Widget::resize(nw, nh);
  layout_children();
}

void Container::measure() {
  // A root lays its tree out again only when something changed that can
  // alter a layout: the loop and every paint ask for it.
  if (!parent) {
    if (measured_ && measured_revision_ == layout_revision) return;
    measured_revision_ = layout_revision;
    measured_ = true;
  }
  float mw = 0, mh = 0;
  for (Widget* c : children) {
    c->measure();
    mw = std::max(mw, c->x + c->w);
    mh = std::max(mh, c->y + c->h);
  }
  content_w = mw;
  content_h = mh;
  box_measure();
  box_resize();
  layout_children();
}

void Container::layout_children() {}

bool widget_replace(Widget* old_w, Widget* new_w) {
  if (!old_w || !new_w || !old_w->parent) return false;
  Container* p = old_w->parent;
  auto it = std::find(p->children.begin(), p->children.end(), old_w);
  if (it == p->children.end()) return false;
  new_w->col = old_w->col;
  new_w->row = old_w->row;
  new_w->col_span = old_w->col_span;
  new_w->row_span = old_w->row_span;
  new_w->x = old_w->x;
  new_w->y = old_w->y;
  size_t index = static_cast<size_t>(it - p->children.begin());
  p->detach(old_w);
  delete old_w;
  p->children.insert(p->children.begin() + static_cast<long>(index), new_w);
  new_w->parent = p;
  new_w->restyle();
  new_w->measure();
  if (new_w->fading) p->add_fading(new_w->fading);
  Widget::layout_changed();
  return true;
}

int select(Widget* w) { return w ? w->select() : 0; }
