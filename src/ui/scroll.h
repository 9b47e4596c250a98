// Scrolling: ScrollBox, the vertical slider VSlider and ScrollBox2.
#pragma once

#include "ui/layout.h"

// Shows its content clipped to width by height; the wheel scrolls 30 units
// a step and dragging with the pointer scrolls too. The offsets are
// scroll_x and scroll_y of the Widget part: a subclass may save scroll_y
// before ScrollBox::event and put it back afterwards, or set it in its own
// loop (layout never moves it; the wheel, dragging and ScrollBox::loop keep
// it within the content). Its loop brings the focused widget into view when
// the focus moves.
class ScrollBox : public Container {
 public:
  float view_w, view_h;
  int dragging = 0;
  float drag_start_y = 0, drag_start_x = 0;
  float drag_scroll_x = 0, drag_scroll_y = 0;
  float drag_dist = 0;  // how far the pointer moved while held

  ScrollBox(Widget* content, float width, float height);
  Widget* content();
  int event(Event* e) override;
  void loop() override;
  void measure() override;
  // Largest offsets.
  float max_scroll_x() const;
  float max_scroll_y() const;
  void clamp_scroll();
  // Scrolls so that the rectangle (content coordinates) is in view.
  void scroll_into_view(float rx, float ry, float rw, float rh);

 protected:
  void layout_children() override;

 private:
  bool focus_known_ = false;
  unsigned long focus_seen_ = 0;  // Widget::focus_moves at the last loop
};

constexpr float SCROLL_WHEEL_STEP = 30.0f;

// A vertical slider: its value runs from 0 to 1 (top to bottom); the knob's
// height shows the visible part (knob_frac).
class VSlider : public Widget {
 public:
  float value = 0.0f;
  float knob_frac = 1.0f;
  int dragging = 0;
  float grab = 0;

  VSlider();
  int event(Event* e) override;
  void paint() override;
  float knob_h() const;
};

// A Table of a ScrollBox and a 20-wide VSlider beside it, kept in step.
class ScrollBox2 : public Table {
 public:
  ScrollBox* box;
  VSlider* slider;

  explicit ScrollBox2(ScrollBox* box);
  int event(Event* e) override;
  void loop() override;
  void measure() override;
  void sync();  // slider from the box
};
