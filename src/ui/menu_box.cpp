// MenuBox: the animated nine-slice frame of the menus.
#include <algorithm>
#include <cmath>

#include "gfx/gfx.h"
#include "ui/controls.h"

MenuBox::MenuBox(Widget* c) : Box(c) {
  img1 = gfx_img_load("menu-box1");
  img2 = gfx_img_load("menu-box2");
}

void MenuBox::loop() {
  Box::loop();
  ticks++;
}

// The glow's breath is taken anew every glow_ticks steps only: on a
// software renderer a repaint of the whole screen costs far more than the
// breath gains from moving at every level it passes.
static const float kGlowSpeed = 0.05f;  // radians of the breath per step

static void nine(int img, float x, float y, float w, float h, float edge,
                 float du) {
  int iw = 0, ih = 0;
  gfx_img_size(img, &iw, &ih);
  if (iw <= 0 || ih <= 0) return;
  float e = std::fmin(edge, std::fmin(w / 2, h / 2));
  float eu = std::fmin(0.5f, edge / iw), ev = std::fmin(0.5f, edge / ih);
  const float xs[4] = {x, x + e, x + w - e, x + w};
  const float ys[4] = {y, y + e, y + h - e, y + h};
  const float us[4] = {0, eu, 1 - eu, 1};
  const float vs[4] = {0, ev, 1 - ev, 1};
  for (int j = 0; j < 3; j++)
    for (int i = 0; i < 3; i++) {
      if (xs[i + 1] <= xs[i] || ys[j + 1] <= ys[j]) continue;
      // The middle slices drift sideways inside their part of the image.
      float shift = (i == 1 && j == 1) ? du * (us[2] - us[1]) : 0;
      gfx_img_draw_part(img, xs[i], ys[j], xs[i + 1] - xs[i], ys[j + 1] - ys[j],
                        us[i] + shift * 0.5f, vs[j], us[i + 1] - shift * 0.5f, vs[j + 1]);
    }
}

void MenuBox::box_paint() {
  Widget::box_paint();
  float ml = static_cast<float>(style.get_or(SW_MARGIN + 3, 0));
  float mt = static_cast<float>(style.get_or(SW_MARGIN, 0));
  float fw = w - ml - style.get_or(SW_MARGIN + 1, 0);
  float fh = h - mt - style.get_or(SW_MARGIN + 2, 0);
  if (fw <= 0 || fh <= 0) return;
  gfx_color(1, 1, 1, 1);
  if (img1) nine(img1, ml, mt, fw, fh, edge, 0);
  if (img2) {
    // The glow layer breathes: its alpha and texture drift with the ticks.
    float phase = std::sin(static_cast<float>(ticks - ticks % std::max(1, glow_ticks)) * kGlowSpeed);
    gfx_color(1, 1, 1, 0.6f + 0.4f * phase);
    nine(img2, ml, mt, fw, fh, edge, 0.2f * (phase + 1) / 2);
  }
  gfx_color(1, 1, 1, 1);
}
