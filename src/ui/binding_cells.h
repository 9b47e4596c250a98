// The cells of the Controls page that capture a binding: WKeyCode takes
// the next key pressed while it has the focus, WJoyCode the next gamepad
// button; each shows what it holds by name. Neither touches the settings:
// the settings screen reads their values by widget name.
#pragma once

#include "ui/layout.h"

// A keyboard binding. The value is the platform key symbol (what the
// game matches key events against), shown as the key's upper-cased name.
class WKeyCode : public Widget {
 public:
  int value = 0;
  char text[256] = {};
  int font = 0;
  // Set by a pointer press on the cell: the next key-down binds whatever
  // key it is, an arrow too. Cleared by that key and by losing the focus.
  int armed = 0;

  WKeyCode(int font, int value);
  int get_value_i() override;
  void set_value_i(int v) override;
  // Every key-down with a key symbol binds that key (Escape, Space and
  // Return too) and answers 0; key-ups answer 0. The arrows move the focus
  // between cells, so an arrow that reaches a cell which is not armed (it
  // moved nothing) binds nothing. Key events made from gamepad buttons
  // carry no symbol and are handled like any other event.
  int event(Event* e) override;
  int focus(int on) override;
  void paint() override;
  void measure() override;
};

// A gamepad binding. The value is the button number; only its low 8 bits
// are shown, as "Button n" counting from 1.
class WJoyCode : public WKeyCode {
 public:
  WJoyCode(int value, int font);
  void set_value_i(int v) override;
  // A button press binds that button; every event, the press too, then
  // takes the ordinary widget handling, whose code it answers.
  int event(Event* e) override;
};

// A binding cell named after its settings key ("keys_up", "joys_bomb"),
// in "font2" with the toggle's cell look, inside a Box.
Box* gui_key_code(const char* name, int value);
Box* gui_joy_code(const char* name, int value);
