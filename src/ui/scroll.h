// Scrolling: ScrollBox, the vertical slider VSlider, ScrollBox2 and the
// long list RowList.
#pragma once

#include <functional>

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

// A column of rows of one height for lists far longer than their view (a
// player's thousands of maps): only the rows that meet the view clipping
// the list, as the culling finds it while the list is stepped or painted,
// and the focused row with its neighbours (so that the arrow keys find the
// next one), exist as widgets. The others are built by make(i) when they
// come into the view and deleted when they leave it; a row's index is its
// widget's `row`. The list is as high as all its rows, so that the view
// scrolls over all of them; the first row gives the height of every row.
class RowList : public Container {
 public:
  RowList(int count, std::function<Widget*(int)> make);
  int count() const { return count_; }
  float row_h() const { return row_h_; }
  int event(Event* e) override;
  void loop() override;
  void paint() override;
  void measure() override;

 protected:
  void layout_children() override;

 private:
  int count_;
  std::function<Widget*(int)> make_;
  float row_w_ = 0, row_h_ = 0;
  int first_ = 0, last_ = 1;  // the rows in view at the last step or paint
  // Builds the rows that meet the view and takes down the others.
  void follow_view();
  // Keeps the rows first to last - 1 and the focused row's neighbours.
  void keep_rows(int first, int last);
  void build_row(int i);
};
