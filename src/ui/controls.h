// Value widgets: NumSlider, MyToggle, Stars, GridPicker.
#pragma once

#include "ui/layout.h"

// A horizontal slider from 0 to 100 in "  %d" text: Left and Right change
// the value by 5, the pointer sets it. It answers up_code when the pointer
// is released, and at every change when continuous is set.
class NumSlider : public Widget {
 public:
  int font = 0;
  int value = 0;
  int min = 0, max = 100, step = 5;
  int continuous = 0;
  int dragging = 0;

  NumSlider(int font, int value);
  int get_value_i() override;
  void set_value_i(int v) override;
  int event(Event* e) override;
  void paint() override;
  void measure() override;

 private:
  int set_from_pointer(float px);
};

// A toggle showing "On" or "Off": on when its value is 1; a click (or
// Space/Return) sets the value to -1 when it was 1 and to 1 otherwise.
class MyToggle : public Widget {
 public:
  int font = 0;
  int value = 0;

  MyToggle(int font, int value);
  int get_value_i() override;
  void set_value_i(int v) override;
  int box_event(Event* e) override;
  void paint() override;
  void measure() override;
  void flip();
};

// A rating of five stars, 5 x size wide and size high, drawn with the given
// image: star i (from 0) shows fully when value >= i + 1, half-bright in
// proportion for a fraction, and dim (alpha 0.25) otherwise. Its frame
// reaches a star's size past each side.
// Setting a value (unless no_input): a pointer press or drag on the widget
// sets the value to the number of the star under the pointer (1 to 5);
// Left and Right lower and raise it by 1 within 0 to 5 while focused. A
// change answers up_code when it is not 0.
class Stars : public Widget {
 public:
  float value = 0;
  int img = 0;
  float size = 20;

  Stars(float value, int img, float size);
  int get_value_i() override;
  void set_value_i(int v) override;
  std::string get_value_s() override;
  int event(Event* e) override;
  void paint() override;
  void measure() override;
};

// Labelled choices in a grid, a new row every `columns` cells. A click on a
// cell makes that cell's value the picker's value and the picker answers
// its up_code; the cell of the current value is marked selected.
class GridPicker : public Table {
 public:
  int value = 0;
  int columns = 1;
  int font = 0;
  std::vector<int> values;  // the value of each cell, in order

  GridPicker(int font, int value, int columns);
  void add_choice(const std::string& text, int value);
  int get_value_i() override;
  void set_value_i(int v) override;
  int event(Event* e) override;
  void mark();
};

// Steps between two breaths of a menu frame's glow: six repaints a second.
const int MENU_GLOW_TICKS = 10;

// A nine-slice frame of "menu-box1" with "menu-box2" drawn over it, whose
// texture coordinates drift for an animated look.
class MenuBox : public Box {
 public:
  int img1 = 0, img2 = 0;
  int ticks = 0;
  float edge = 48;  // nine-slice edge in view units: half the frame images
  int glow_ticks = MENU_GLOW_TICKS;  // steps between two breaths of the glow

  explicit MenuBox(Widget* content);
  void loop() override;
  void box_paint() override;
};
