// Bitmap fonts named in "data.json" and text drawing.
#pragma once

#include <string>
#include <vector>

// The index of the named font, loaded on first use; 0 when none.
int font_load(const char* name);
// Line height in view units (0 for font 0).
int font_height(int font);
// The width of the text: the sum of the glyph advances.
float text_width(int font, const std::string& text);
// The text itself when it fits the width, else cut at a whole UTF-8
// character (trailing blanks dropped) and ended with "...".
std::string text_fit(int font, const std::string& text, float width);
// The lines of the text wrapped at the width (0: no wrapping); "\n" breaks.
// A word wider than the width is broken at whole characters.
std::vector<std::string> text_wrap(int font, const std::string& text,
                                   float wrap);
// The size of the wrapped text.
void text_size(int font, const std::string& text, float wrap, float* w,
               float* h);
// Draws the text with its top left at (x, y), tinted by the colour state.
// With wrap width 0 the text is one line (line breaks still break it).
// align: -1 left, 0 centres each line, 1 right (within the wrap width, or
// the widest line when it is 0).
void text_draw_wrapped(int font, const std::string& text, float x, float y,
                       float wrap, int align);

