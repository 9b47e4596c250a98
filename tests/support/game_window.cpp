// Picture test fixture: the game in a real window, screen grabs, change counts and label lookup.
#include "support/game_window.h"

#include <stdlib.h>

#include <algorithm>
#include <cmath>

#include "driver/driver.h"
#include "game/paths.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"

Label* find_label(Widget* w, const std::string& text) {
  if (Label* l = dynamic_cast<Label*>(w))
    if (l->text == text) return l;
  if (Container* c = dynamic_cast<Container*>(w))
    for (Widget* child : c->children)
      if (Label* l = find_label(child, text)) return l;
  return nullptr;
}

Widget* find_button(Widget* w, const std::string& text) {
  for (Widget* b = find_label(w, text); b; b = b->parent)
    if (b->focusable) return b;
  return nullptr;
}

Widget* find_by_code(Widget* w, int code) {
  std::vector<Widget*> all;
  w->collect_focusable(&all);
  for (Widget* f : all)
    if (f->click_code == code) return f;
  return nullptr;
}

Picture grab() {
  Picture p;
  p.w = g_view.target_w;
  p.h = g_view.target_h;
  std::vector<unsigned char> raw(static_cast<size_t>(p.w) * p.h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, p.w, p.h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  p.px.resize(static_cast<size_t>(p.w) * p.h);
  for (int y = 0; y < p.h; y++)
    for (int x = 0; x < p.w; x++) {
      const unsigned char* c = &raw[(static_cast<size_t>(p.h - 1 - y) * p.w + x) * 4];
      p.px[static_cast<size_t>(y) * p.w + x] = (c[0] << 16) | (c[1] << 8) | c[2];
    }
  return p;
}

Picture settled_picture(Game* g) {
  g->paint_state();
  Picture p = grab();
  for (int i = 0; i < 10; i++) {
    g->paint_state();
    Picture q = grab();
    if (q.px == p.px) break;
    p = q;
  }
  return p;
}

int changed(const Picture& a, const Picture& b, float x, float y, float w, float h) {
  float sx = g_view.target_w / g_view.w, sy = g_view.target_h / g_view.h;
  int x0 = static_cast<int>(std::floor((x - g_view.x0) * sx));
  int y0 = static_cast<int>(std::floor((y - g_view.y0) * sy));
  int x1 = static_cast<int>(std::ceil((x + w - g_view.x0) * sx));
  int y1 = static_cast<int>(std::ceil((y + h - g_view.y0) * sy));
  int n = 0;
  for (int py = std::max(0, y0); py < std::min(a.h, y1); py++)
    for (int px = std::max(0, x0); px < std::min(a.w, x1); px++)
      if (a.at(px, py) != b.at(px, py)) n++;
  return n;
}

void WindowedGame::SetUp() {
  game_hooks = GameHooks();
  install_hooks();
  audio.install();
  setenv("APPDATA", tmp.path().c_str(), 1);
  g_driver = new Driver();
  g_driver->set_app_name("home");
  g_driver->data_dir = TW_DATA_DIR;
  game_set_dirs(TW_DATA_DIR, user_dir());
  ::testing::internal::CaptureStderr();
  g = new Game();
  g->init();
  ::testing::internal::GetCapturedStderr();
}

void WindowedGame::TearDown() {
  ::testing::internal::CaptureStderr();
  g->deinit();
  ::testing::internal::GetCapturedStderr();
  delete g;
  game_hooks = saved;
  audio.uninstall();
  unsetenv("APPDATA");
}
