// The text-field rule, walked through any field: while a field has the
// focus, Left, Right, Home, End, Backspace and Delete act inside its text
// at the cursor, typed and pasted characters go in at the cursor, and the
// focus stays on the field.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <SDL/SDL.h>

#include "driver/clipboard.h"
#include "driver/event.h"

struct FieldUnderTest {
  // A key-down (with its character and modifiers) and its key-up.
  std::function<void(int key, int ch, int mod)> key;
  std::function<std::string()> value;
  std::function<bool()> focused;
};

// Starts from an empty, focused field whose limit is far away.
inline void walk_text_field_rule(const FieldUnderTest& f) {
  auto type = [&](const std::string& s) {
    for (char c : s) f.key(c >= 'a' && c <= 'z' ? GK_A + (c - 'a') : GK_NONE, static_cast<unsigned char>(c), 0);
  };
  auto steps = [&](std::initializer_list<int> keys, const char* expect) {
    for (int k : keys) {
      f.key(k, 0, 0);
      ASSERT_TRUE(f.focused()) << "the focus left the field on key " << k;
    }
    EXPECT_EQ(f.value(), expect);
  };
  ASSERT_EQ(f.value(), "");
  ASSERT_TRUE(f.focused());
  type("ab");
  steps({GK_LEFT}, "ab");
  type("c");
  steps({GK_HOME}, "acb");
  type("d");
  steps({GK_END}, "dacb");
  type("e");
  steps({GK_HOME, GK_RIGHT, GK_RIGHT}, "dacbe");
  f.key(GK_NONE, 0xe9, 0);  // a two-byte character goes in whole
  EXPECT_EQ(f.value(), "da\xc3\xa9" "cbe");
  steps({GK_LEFT, GK_BACKSPACE}, "d\xc3\xa9" "cbe");
  steps({GK_DELETE}, "dcbe");
  steps({GK_RIGHT, GK_BACKSPACE}, "dbe");
  steps({GK_END, GK_DELETE, GK_RIGHT}, "dbe");
  steps({GK_HOME, GK_BACKSPACE, GK_LEFT}, "dbe");
  clipboard_set_text("XY");
  f.key(GK_RIGHT, 0, 0);
  f.key(GK_A + ('v' - 'a'), 'v', KMOD_LCTRL);
  EXPECT_EQ(f.value(), "dXYbe");
  type("z");
  EXPECT_EQ(f.value(), "dXYzbe");
  EXPECT_TRUE(f.focused());
}
