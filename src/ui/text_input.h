// A one-line text field.
#pragma once

#include "ui/widget.h"

// Typing appends characters (the Unicode character of the key event, as
// UTF-8), Backspace deletes the last character, Ctrl+V pastes the
// clipboard. The text never grows past the limit, in bytes. Return answers
// return_code when it is released. A frame stretched whole with the field
// stretches its rounded ends too: the text keeps clear of them.
class TextInput : public Widget {
 public:
  int font = 0;
  std::string text;
  size_t limit = 255;
  int password = 0;   // show one "*" per character
  int show_last = 0;  // in password mode, the last character plain
  int blink = 0;      // ticks, for the caret

  TextInput(int font, const std::string& text, size_t limit);
  std::string get_value_s() override;
  void set_value_s(const std::string& v) override;
  int event(Event* e) override;
  void loop() override;
  void paint() override;
  void measure() override;
  void box_resize() override;
  // Inserts at the end as much of s as fits within the limit (whole UTF-8
  // characters only); answers the bytes inserted.
  size_t insert(const std::string& s);
  void backspace();
  // What is shown: the text, or the mask in password mode.
  std::string shown_text() const;
};
