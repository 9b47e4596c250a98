// A one-line text field.
#pragma once

#include "ui/widget.h"

// While it has the focus the field keeps Left and Right: Left, Right, Home
// and End move the cursor, Backspace and Delete remove the character before
// and at it, typed characters (the Unicode character of the key event, as
// UTF-8) and Ctrl+V (the clipboard) go in at it. A press in the field puts
// the cursor at the nearest character boundary. The cursor is drawn as a
// thin caret and kept in view. The text never grows past the limit, in
// bytes, and is only ever cut at whole characters. Return answers
// return_code when it is released. A frame stretched whole with the field
// stretches its rounded ends too: the text keeps clear of them.
class TextInput : public Widget {
 public:
  int font = 0;
  std::string text;
  size_t limit = 255;
  int password = 0;   // show one "*" per character
  int show_last = 0;  // in password mode, the last character plain
  size_t cursor = 0;  // byte offset in text, always at a character boundary

  TextInput(int font, const std::string& text, size_t limit);
  std::string get_value_s() override;
  // Replaces the text (cut to the limit); the cursor goes to its end.
  void set_value_s(const std::string& v) override;
  int event(Event* e) override;
  void paint() override;
  void measure() override;
  void box_resize() override;
  // Inserts at the cursor as much of s as fits within the limit (whole
  // UTF-8 characters only, control characters dropped) and moves the
  // cursor past it; answers the bytes inserted.
  size_t insert(const std::string& s);
  // Removes the character before the cursor / at the cursor.
  void backspace();
  void del();
  // What is shown: the text, or the mask in password mode.
  std::string shown_text() const;

 private:
  float view_x = 0;  // how far the shown text is scrolled left
  // The shown text before byte pos.
  std::string shown_upto(size_t pos) const;
  // The cursor position nearest to x units from the start of the text.
  size_t cursor_at(float x) const;
};
