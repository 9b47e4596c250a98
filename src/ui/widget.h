// The widget toolkit's base classes: Widget and Container.
//
// Geometry. A widget's place in its parent is (x, y) with the outer size
// (w, h); both count in view units from the top left of the parent's
// content rectangle (minus the parent's scroll offsets). Inside the outer
// rectangle the outer spacing (style words 17-20) gives the frame
// rectangle; border (8-11) and inner spacing (13-16) give the content
// rectangle (cx, cy, cw, ch relative to the outer top left).
//
// Sizing. measure() computes the natural outer size from the content and
// the style (and lays out children at that size); resize(w, h) gives the
// widget its final outer size and lays its children out again inside it.
//
// Events. Pointer words 9 and 10 are relative to the receiving widget's
// outer top left. Every operation that can make the root Container answer
// an action code answers it (0 when none).
#pragma once

#include <string>
#include <vector>

#include "driver/event.h"
#include "ui/style.h"

class Container;

class Widget {
 public:
  std::string name;
  float x = 0, y = 0;       // place in the parent
  float w = 0, h = 0;       // outer size
  float cx = 0, cy = 0, cw = 0, ch = 0;  // content rectangle
  float content_w = 0, content_h = 0;    // natural content size (measure)
  float nat_w = 0, nat_h = 0;            // natural outer size (box_measure)
  float scroll_x = 0, scroll_y = 0;      // offsets of the children's origin
  Container* parent = nullptr;
  // Table cell.
  int col = 0, row = 0, col_span = 1, row_span = 1;

  // Action codes.
  int click_code = 0;   // clicked, or Space/Return while focused
  int enter_code = 0;   // EVT_ENTER: the pointer came over it
  int leave_code = 0;   // EVT_LEAVE
  int focus_code = 0;   // EVT_FOCUS: it took the focus
  int up_code = 0;      // EVT_UP: released (sliders, pickers)
  int return_code = 0;  // a TextInput: Return released

  int no_input = 0;     // the parent hands it no events; not focusable
  int focusable = 0;
  int selected = 0;     // shows the selected style layer
  int wants_arrows = 0; // while focused it takes Left and Right itself
                        // (sliders), instead of the focus moving
  std::string tab_target;  // name of the widget Tab gives the focus to

  // State flags, kept by hover(), focus() and the pressed handling.
  int hovered = 0;
  int focused = 0;
  int pressed = 0;

  Style style;
  // Widgets of this subtree, itself included, whose style is still fading:
  // a scrolled view steps the children outside it only while they fade.
  int fading = 0;

  Widget();
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  // Virtual operations, in slot order.
  virtual Widget* find(const std::string& name);
  virtual std::string get_value_s();
  virtual void set_value_s(const std::string& v);
  virtual int get_value_i();
  virtual void set_value_i(int v);
  // Gains (1) or loses (0) the focus; answers the focus code when gaining.
  virtual int focus(int on);
  // The pointer came over it (1) or left (0); answers the enter or leave
  // code.
  virtual int hover(int on);
  // The focused widget of this subtree (itself when focused), or null.
  virtual Widget* get_focus();
  // Hovers, then focuses the widget through the whole tree; answers the
  // first non-zero action code of the two steps. A widget that cannot take
  // the focus selects the first focusable widget inside it instead.
  virtual int select();
  virtual void collect_focusable(std::vector<Widget*>* out);
  virtual int is_focused();
  virtual int event(Event* e);
  virtual void loop();
  virtual void paint();
  virtual void resize(float nw, float nh);
  virtual void measure();
  // The box model: default pointer handling (press, click, sounds),
  // drawing of frame, background, icon, focus image and overlay, placing
  // of the content rectangle, natural outer size from the content size.
  virtual int box_event(Event* e);
  virtual void box_paint();
  virtual void box_resize();
  virtual void box_measure();
  virtual ~Widget();

  // Style helpers (layer 0 unless given).
  void st(int word, int value) { style.set(STYLE_BASE, word, value); }
  void st(int layer, int word, int value) { style.set(layer, word, value); }
  void st4(int first, int a, int b, int c, int d);  // four-sided groups
  int sv(int word) const { return style.get(word); }
  bool shas(int word) const { return style.has(word); }
  // Recomputes the current style from the flags (no animation).
  void restyle();

  // Plays the GUI sound of a style word (39-43), when set.
  void play_sound(int word);
  // The outermost ancestor (itself when it has no parent).
  Widget* root();
  // Top left of the outer rectangle in the root's content coordinates.
  void abs_pos(float* ax, float* ay);
  bool contains(float px, float py) const {
    return px >= 0 && py >= 0 && px < w && py < h;
  }
  // Calls measure() and then resize() to the natural size.
  void layout();

  // Counts every gain of the focus in any tree, so that a scrolled view can
  // tell a move of the focus from a focus that stays put.
  static unsigned long focus_moves;
  // Counts the changes that can alter a layout (children added or taken
  // out, style words set, texts changed); a root lays its tree out again
  // only when it moved. Code that changes what a widget measures behind
  // the toolkit's back (a public field) calls layout_changed().
  static unsigned long layout_revision;
  static void layout_changed() { layout_revision++; }
  // Counts the layout passes over any widget (every measure and resize
  // ends in box_resize): what a container keeps of its children's places
  // is good only while no pass ran since.
  static unsigned long layout_passes;

  // The rectangle this widget and its subtree draw into, relative to its
  // outer top left: its outer rectangle, its frame and content where the
  // spacing reaches past it, and what its children reach (only the view of
  // a container that clips them), as left, top, right, bottom.
  void paint_reach(float r[4]);

  // Brings the fading counts of this widget and its ancestors in line with
  // its style, after the style was updated or ticked.
  void note_fading();
  // Adds to the fading counts of this widget and its ancestors.
  void add_fading(int d);

 protected:
  bool fading_counted_ = false;  // this widget's own fade is in `fading`
};

// A widget holding children, drawn and hit-tested in order (the last added
// on top). Deleting a Container deletes its children.
//
// Keys. The root's event moves the focus with the arrow keys: the innermost
// container that holds the focus looks among its own focusable widgets
// first (its event answers the new widget's focus code), then the one
// around it, up to the root; an arrow that moves nothing goes to the
// focused widget, as does every other key. A focused widget with
// wants_arrows keeps Left and Right. Tab gives the focus to the focused
// widget's tab target; Space and Return that the focused widget leaves
// unanswered reach it as an EVT_CLICK. The root's loop lays the tree out
// before ticking it; a root's measure() does nothing when nothing that can
// alter a layout changed since its last one (see layout_changed). Painting skips
// the children that lie wholly outside the clip of a scrolled view, and so
// does stepping, unless a fade runs in them; both find the children that
// meet the view by a binary search over what the children reach, kept from
// the last layout pass, so a long list costs what its visible rows cost.
class Container : public Widget {
 public:
  std::vector<Widget*> children;
  // Its children are drawn clipped to its content rectangle (a scrolled
  // view): nothing of them reaches past it.
  int clips_children = 0;
  Widget* hover_child = nullptr;   // the child under the pointer
  Widget* focus_child = nullptr;   // the child that is or holds the focus
  Widget* press_child = nullptr;   // the child that took the pointer press

  Container();
  ~Container() override;

  Widget* find(const std::string& name) override;
  int focus(int on) override;
  int hover(int on) override;
  Widget* get_focus() override;
  void collect_focusable(std::vector<Widget*>* out) override;
  int is_focused() override;
  int event(Event* e) override;
  void loop() override;
  void paint() override;
  void resize(float nw, float nh) override;
  void measure() override;

  // Puts the child at (x, y), appends it, sets its parent, updates its
  // style and measures it.
  virtual void add(Widget* child, float x, float y);
  // Takes the child out, clears every hover, focus and press pointer into
  // its subtree, and deletes it.
  void remove(Widget* child);
  // Takes the child out without deleting it (pointers cleared as above).
  void detach(Widget* child);
  // Deletes every child and resets the widget settings to their defaults.
  void reset();

  // The band of this container's children's coordinates (top y0 to bottom
  // y1) that the views clipping it show, as the culling finds it while the
  // container is stepped or painted; false when no view clips it then.
  bool view_band(float* y0, float* y1) const;

  // Moves the focus of the whole tree to w (null clears it); answers w's
  // focus code.
  int set_focus(Widget* w);
  // Moves the hover of the whole tree to w (null clears it); answers w's
  // enter code.
  int set_hover(Widget* w);

 protected:
  unsigned long measured_revision_ = 0;  // of the root's last layout
  bool measured_ = false;
  // Lays the children out inside the content rectangle (the plain
  // Container keeps their places and natural sizes).
  virtual void layout_children();
  // The child under the point (content coordinates), from the last added.
  Widget* child_at(float px, float py);
  int pointer_event(Event* e);
  int key_event(Event* e);
  int move_focus(int key);

 private:
  // What each child and its subtree reach (paint_reach), in this
  // container's content coordinates (its children's places), with running
  // bounds so that the children meeting a band of rows are found by a
  // binary search; rebuilt after a layout pass.
  struct Reach {
    float x0, y0, x1, y1;
  };
  std::vector<Reach> reach_;
  std::vector<float> reach_max_y1_;  // highest bottom of children 0..i
  std::vector<float> reach_min_y0_;  // lowest top of children i..n-1
  Reach reach_all_ = {0, 0, 0, 0};
  unsigned long reach_revision_ = 0, reach_passes_ = 0;
  bool reach_valid_ = false;
  void update_reach();
  // The children [first, last) whose reach may meet the band y0 to y1; the
  // others lie wholly above or below it.
  void rows_in(float y0, float y1, size_t* first, size_t* last);
  friend class Widget;
};

// Replaces old_w by new_w in old_w's parent: the new widget takes the old
// one's table cell and place; the old one is removed and deleted. Answers
// false (and deletes nothing) when old_w has no parent.
bool widget_replace(Widget* old_w, Widget* new_w);
// Hovers and focuses the widget (Widget::select).
int select(Widget* w);
