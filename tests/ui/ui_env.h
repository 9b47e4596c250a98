// Helpers for the widget tests: events and small trees.
#pragma once

#include "gfx/test_env.h"
#include "gfx/text.h"
#include "ui/ui.h"

namespace ui_test {

inline Event pointer(int type, int x, int y, int button = 1) {
  Event e(type);
  e[EVW_X] = x;
  e[EVW_Y] = y;
  e[EVW_BUTTON] = button;
  return e;
}
inline Event key(int type, int code, int ch = 0, int mod = 0) {
  Event e(type);
  e[EVW_KEY] = code;
  e[EVW_CHAR] = ch;
  e[EVW_MOD] = mod;
  return e;
}
inline int send(Container& root, Event e) { return root.event(&e); }
inline int click(Container& root, int x, int y) {
  send(root, pointer(EVT_MOTION, x, y, 0));
  int a = send(root, pointer(EVT_DOWN, x, y));
  int b = send(root, pointer(EVT_UP, x, y));
  return b ? b : a;
}
inline int press(Container& root, int code) {
  int a = send(root, key(EVT_KEYDOWN, code));
  int b = send(root, key(EVT_KEYUP, code));
  return a ? a : b;
}
// A plain widget of the size with the codes.
inline Widget* box(float w, float h, int click_code = 0, int focusable = 1) {
  Widget* x = new Widget;
  x->st(SW_WIDTH, static_cast<int>(w));
  x->st(SW_HEIGHT, static_cast<int>(h));
  x->click_code = click_code;
  x->focusable = focusable;
  x->restyle();
  return x;
}
// The widget's centre in the root's coordinates.
inline void centre(Widget* w, int* x, int* y) {
  float ax, ay;
  w->abs_pos(&ax, &ay);
  *x = static_cast<int>(ax + w->w / 2);
  *y = static_cast<int>(ay + w->h / 2);
}
inline int click_on(Container& root, Widget* w) {
  int x, y;
  centre(w, &x, &y);
  return click(root, x, y);
}

}  // namespace ui_test
