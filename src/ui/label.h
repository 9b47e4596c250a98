// Text widgets.
#pragma once

#include "ui/widget.h"

// Text in a font, white by default. Style word 0 is the wrap width (the
// text's own width when unset), word 3 the alignment of each line (-1 left
// by default, 0 centred, 1 right), word 5 the text colour.
class Label : public Widget {
 public:
  int font = 0;
  std::string text;

  Label(int font, const std::string& text);
  std::string get_value_s() override;
  void set_value_s(const std::string& v) override;
  void paint() override;
  void measure() override;
};

// A Label whose text colour (style word 5) is 0xffaa55.
class MyLabel : public Label {
 public:
  MyLabel(int font, const std::string& text);
};
