// Bitmap fonts: widths, wrapping and drawing.
#include <gtest/gtest.h>

#include "gfx/text.h"
#include "test_env.h"

using namespace tw_test;

TEST(Text, WidthIsTheSumOfAdvances) {
  env();
  int f = font_load("font2");
  ASSERT_NE(f, 0);
  EXPECT_EQ(font_load("font2"), f);
  EXPECT_EQ(font_height(f), 16);
  EXPECT_FLOAT_EQ(text_width(f, "AB"), 20);
  EXPECT_FLOAT_EQ(text_width(f, "A B"), 30);
  // A missing glyph advances like "?".
  EXPECT_FLOAT_EQ(text_width(f, "\xc3\xa9"), 10);
  EXPECT_EQ(font_load("no-font"), 0);
  EXPECT_FLOAT_EQ(text_width(0, "AB"), 0);
}

TEST(Text, WrapsAtTheWidthAndZeroMeansOneLine) {
  env();
  int f = font_load("font1");
  auto lines = text_wrap(f, "aa bb cc", 50);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "aa bb");
  EXPECT_EQ(lines[1], "cc");
  EXPECT_EQ(text_wrap(f, "aa bb cc", 0).size(), 1u);
  EXPECT_EQ(text_wrap(f, "one\ntwo", 0).size(), 2u);
  float w, h;
  text_size(f, "aa bb cc", 50, &w, &h);
  EXPECT_FLOAT_EQ(w, 50);
  EXPECT_FLOAT_EQ(h, 32);
}

TEST(Text, DrawsGlyphsAtThePenWithAlignment) {
  env();
  int f = font_load("font15");
  frame_start();
  gfx_color(0, 1, 0, 1);
  text_draw_wrapped(f, "AB", 10, 10, 0, -1);
  EXPECT_EQ(pixel(10, 10), 0x00ff00u);
  EXPECT_EQ(pixel(17, 25), 0x00ff00u);
  EXPECT_EQ(pixel(18, 15), 0x000000u);  // the gap between the glyphs
  EXPECT_EQ(pixel(20, 15), 0x00ff00u);
  EXPECT_EQ(pixel(10, 26), 0x000000u);
  // Two lines at wrap 25, the second one line height lower; centred lines.
  gfx_color(1, 1, 1, 1);
  text_draw_wrapped(f, "a b", 100, 100, 25, -1);
  EXPECT_EQ(pixel(101, 101), 0xffffffu);
  EXPECT_EQ(pixel(101, 117), 0xffffffu);
  text_draw_wrapped(f, "W", 200, 100, 30, 0);  // centred in 30: 10 from the left
  EXPECT_EQ(pixel(209, 105), 0x000000u);
  EXPECT_EQ(pixel(211, 105), 0xffffffu);
}
