// Bitmap fonts: widths, wrapping and drawing.
#include <gtest/gtest.h>

#include <algorithm>

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
  expect_pixels({{10, 10, 0x00ff00u}, {17, 25, 0x00ff00u}, {18, 15, 0x000000u},
                 {20, 15, 0x00ff00u}, {10, 26, 0x000000u}});  // (18, 15): the gap between the glyphs
  // Two lines at wrap 25, the second one line height lower; centred lines.
  gfx_color(1, 1, 1, 1);
  text_draw_wrapped(f, "a b", 100, 100, 25, -1);
  EXPECT_EQ(pixel(101, 101), 0xffffffu);
  EXPECT_EQ(pixel(101, 117), 0xffffffu);
  text_draw_wrapped(f, "W", 200, 100, 30, 0);  // centred in 30: 10 from the left
  EXPECT_EQ(pixel(209, 105), 0x000000u);
  EXPECT_EQ(pixel(211, 105), 0xffffffu);
}

// text_fit answers the text when it fits; else the longest cut at a whole
// UTF-8 character, trailing blanks dropped, that fits with "...".
TEST(Text, FitCutsToTheLongestWholeCharacterPrefixThatFits) {
  env();
  int f = font_load("font2");
  const std::string texts[] = {"ab cd", "a\xc3\xa9 b  \xe2\x82\xac" "cd", "   x", "\xf0\x9f\x98\x80\xf0\x9f\x98\x80z"};
  for (const std::string& t : texts)
    for (int width = 0; width <= 12 * 10; width += 5) {
      std::string got = text_fit(f, t, static_cast<float>(width));
      SCOPED_TRACE(t + " at " + std::to_string(width) + ": " + got);
      if (text_width(f, t) <= width) {
        EXPECT_EQ(got, t);
        continue;
      }
      ASSERT_GE(got.size(), 3u);
      std::string kept = got.substr(0, got.size() - 3);
      EXPECT_EQ(got.substr(kept.size()), "...");
      EXPECT_EQ(t.compare(0, kept.size(), kept), 0);
      EXPECT_TRUE(kept.size() == t.size() || (static_cast<unsigned char>(t[kept.size()]) & 0xC0) != 0x80);
      EXPECT_TRUE(kept.empty() || kept.back() != ' ');
      if (!kept.empty()) {
        EXPECT_LE(text_width(f, got), width);
      }
      // No longer cut would fit.
      for (size_t n = kept.size() + 1; n < t.size(); n++) {
        if ((static_cast<unsigned char>(t[n]) & 0xC0) == 0x80) continue;
        std::string longer = t.substr(0, n);
        longer.erase(longer.find_last_not_of(' ') + 1);
        if (longer.size() > kept.size()) {
          EXPECT_GT(text_width(f, longer + "..."), width);
        }
      }
    }
}

// Wrapping is greedy: every line fits the width (a word wider than a line
// is broken at whole characters), no line could have taken the first word
// of the next one, and the text's characters all stay, in order.
TEST(Text, WrapFillsEachLineGreedilyWithinTheWidth) {
  env();
  int f = font_load("font2");
  const std::string text = "a bb ccc\xc3\xa9 dddd e ffffffffffff g hh";
  auto without_blanks = [](std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
  };
  for (int wrap = 10; wrap <= 200; wrap += 10) {
    std::vector<std::string> lines = text_wrap(f, text, static_cast<float>(wrap));
    std::string joined;
    for (size_t i = 0; i < lines.size(); i++) {
      SCOPED_TRACE(std::to_string(wrap) + ": " + lines[i]);
      joined += lines[i];
      EXPECT_LE(text_width(f, lines[i]), wrap);
      EXPECT_TRUE(lines[i].empty() || (static_cast<unsigned char>(lines[i][0]) & 0xC0) != 0x80);
      if (i + 1 < lines.size()) {
        EXPECT_GT(text_width(f, lines[i] + " " + lines[i + 1].substr(0, lines[i + 1].find(' '))), wrap);
      }
    }
    EXPECT_EQ(without_blanks(joined), without_blanks(text));
  }
}
