// Menu frames, buttons, icons, logos and the full-screen pictures.
#include <cmath>

#include "art/art.h"
#include "common/out.h"

namespace tw {

const char* const kSans = "DejaVuSans.ttf";
const char* const kSansBold = "DejaVuSans-Bold.ttf";
const char* const kSerifBold = "DejaVuSerif-Bold.ttf";

Canvas glyph_icon(int cp, int size, Color col, float em) {
  Canvas shadow(size, size), c(size, size);
  glyph_centred(shadow, kSansBold, size * em, size / 2.0f + 1, size / 2.0f + 2, cp, hex(0, 0.85f));
  c.draw(shadow.blurred(2, 2), 0, 0);
  glyph_centred(c, kSansBold, size * em, size / 2.0f, size / 2.0f, cp, col);
  return c;
}

namespace {

// A nine-slice frame: the fill and a rim of the given width; top_only keeps
// the lower corners square (tabs).
Canvas frame(int s, float radius, Paint fill, Color rim, float rim_w, bool top_only = false) {
  Canvas c(s, s);
  float ext = top_only ? radius + 2 : 0;
  Sdf shape = sd_box(s / 2.0f, s / 2.0f + ext / 2, s / 2.0f - 1, s / 2.0f - 1 + ext / 2, radius);
  c.fill(shape, fill);
  if (rim_w > 0) c.fill(sd_ring(sd_box(s / 2.0f, s / 2.0f + ext / 2, s / 2.0f - 1 - rim_w / 2,
                                       s / 2.0f - 1 - rim_w / 2 + ext / 2, radius - rim_w / 2),
                                rim_w / 2),
                        solid(rim));
  return c;
}

Canvas rim_glow(int s, float radius, Color col, bool top_only = false) {
  Canvas c(s, s);
  float ext = top_only ? radius + 2 : 0;
  Sdf edge = sd_ring(sd_box(s / 2.0f, s / 2.0f + ext / 2, s / 2.0f - 5, s / 2.0f - 5 + ext / 2, radius), 0.5f);
  c.glow(edge, col, 4);
  c.fill(edge, solid(hex(pal::gold)));
  return c;
}

// An image of size s with the picture in its middle and a clear band of
// the given width around it: a nine-slice frame laid out with a negative
// outer spacing of that width shows its rim inside its rectangle.
Canvas banded(const Canvas& inner, int s) {
  Canvas c(s, s);
  c.draw(inner, (s - inner.w) / 2, (s - inner.h) / 2);
  return c;
}

Canvas sdf_icon(int s, const Sdf& shape) {
  Canvas c(s, s), sh(s, s);
  sh.fill([&](float x, float y) { return shape(x - 1, y - 2); }, solid(hex(0, 0.85f)));
  c.draw(sh.blurred(2, 2), 0, 0);
  c.fill(shape, vgrad(s * 0.15f, hex(pal::gold), s * 0.85f, hex(pal::amber)));
  return c;
}

Canvas back_button(bool focus) {
  const int w = 180, h = 45;
  Canvas c(w, h);
  Sdf shape = sd_poly({2, 22.5f, 24, 2, 178, 2, 178, 43, 24, 43});
  if (focus) c.glow(shape, hex(pal::amber, 0.8f), 3);
  c.fill(shape, vgrad(0, hex(focus ? pal::orange : pal::rust), h, hex(focus ? pal::rust : pal::umber)));
  c.fill(sd_ring(shape, 1.0f), solid(hex(focus ? pal::gold : pal::orange)));
  c.fill(sd_poly({12, 22.5f, 24, 12, 24, 33}), solid(hex(focus ? 0xffffff : pal::amber)));
  return c;
}

// The main menu shows the logo 280 high and lets the presenter line above
// overlap its top 50 rows and the menu frame below its bottom 5: the art
// keeps clear of both bands (with a little room for the filtering).
Canvas logo() {
  Canvas c(320, 280);
  const float cx = 160, cy = 188;
  // Light spilling out of the tunnel mouth.
  c.fill(sd_circle(cx, cy, 118), radial(cx, cy + 40, 140, hex(pal::amber, 0.35f), hex(pal::night, 0.0f)));
  Sdf arch = sd_cut(sd_ring(sd_circle(cx, cy, 118), 10), sd_box(cx, cy + 80, 160, 80));
  c.glow(arch, hex(pal::orange, 0.7f), 6);
  c.fill(arch, vgrad(cy - 120, hex(pal::gold), cy, hex(pal::orange)));
  c.fill(sd_box(cx - 118, cy + 40, 10, 40), solid(hex(pal::orange)));
  c.fill(sd_box(cx + 118, cy + 40, 10, 40), solid(hex(pal::orange)));
  // The lamp at the keystone.
  c.glow(sd_circle(cx, cy - 116, 6), hex(0xffe6a0, 0.9f), 10);
  c.fill(sd_circle(cx, cy - 116, 7), solid(hex(0xfff3d0)));
  text_centred(c, kSansBold, 54, cx, cy - 20, "TUNNEL", hex(0xfff0dc), 3);
  text_centred(c, kSansBold, 76, cx, cy + 48, "WICK", hex(pal::gold), 3);
  // Nothing may reach into the two bands.
  for (int y = 0; y < c.h; ++y)
    if (y < 52 || y >= c.h - 5)
      for (int x = 0; x < c.w; ++x) c.set(x, y, hex(0, 0));
  return c;
}

Canvas oldlogo() {
  const int s = 426;
  const float m = s / 2.0f;
  Canvas c(s, s);
  c.fill(sd_circle(m, m, 200), radial(m, m, 200, hex(0x2a1a10), hex(pal::night)));
  c.fill(sd_ring(sd_circle(m, m, 196), 6), solid(hex(pal::orange)));
  c.fill(sd_ring(sd_circle(m, m, 176), 2), solid(hex(pal::rust)));
  for (int i = 0; i < 12; ++i) {
    float a = i * 3.14159265f / 6;
    c.fill(sd_circle(m + std::cos(a) * 186, m + std::sin(a) * 186, 3), solid(hex(pal::gold)));
  }
  text_centred(c, kSerifBold, 170, m, m - 10, "TW", hex(pal::gold), 4);
  text_centred(c, kSansBold, 30, m, m + 110, "TUNNELWICK", hex(0xfff0dc), 2);
  return c;
}

Canvas glow_bar(int w, int h, Color col) {
  Canvas c(w, h);
  c.shade([&](float x, float y) {
    float dx = (x - w / 2.0f) / (w / 2.0f), dy = (y - h / 2.0f) / (h / 2.0f);
    float k = std::exp(-(dx * dx * 2.2f + dy * dy * 3.0f));
    return Color{col.r, col.g, col.b, col.a * k};
  });
  return c;
}

// A maze lit by a few lamps, as the backdrop of the menus and the box art.
Canvas backdrop(int w, int h, unsigned seed, float ambient) {
  Tunnels t = make_tunnels(w / 32 + 3, h / 32 + 3, seed, 0.12f);
  std::vector<Lamp> lamps;
  Rng rng(seed * 7 + 1);
  for (int i = 0; i < 14; ++i) {
    int x, y;
    do { x = rng.range(1, t.cols - 2); y = rng.range(1, t.rows - 2); } while (!t.at(x, y));
    lamps.push_back(Lamp{x * 32 + 16.0f, y * 32 + 16.0f, 90.0f + rng.range(0, 60), hex(pal::amber, 1)});
  }
  return paint_tunnels(w, h, t, 32, lamps, ambient, hex(0x8a7462), hex(0x5a4a3e), seed);
}

Canvas menu_background() {
  Canvas c = backdrop(1137, 640, 11, 0.16f);
  // Darken towards the edges so that the panels read well.
  Canvas v(c.w, c.h);
  v.shade([&](float x, float y) {
    float dx = (x - c.w / 2.0f) / (c.w / 2.0f), dy = (y - c.h / 2.0f) / (c.h / 2.0f);
    return hex(0, std::min(0.85f, 0.25f + 0.45f * (dx * dx + dy * dy)));
  });
  c.draw(v, 0, 0);
  return c;
}

Canvas boxart() {
  Canvas c = backdrop(1137, 640, 5, 0.08f);
  // The flashlight cone of the hero in the middle.
  Canvas cone(c.w, c.h);
  const float px = 568, py = 430;
  cone.shade([&](float x, float y) {
    float dx = x - px, dy = y - py;
    float ang = std::atan2(dx, -dy), d = std::hypot(dx, dy);
    float k = std::exp(-ang * ang * 9) * std::exp(-d / 420) * (d > 10);
    return hex(0xfff0c0, 0.55f * k);
  });
  c.draw(cone, 0, 0);
  c.fill(sd_circle(px, py + 8, 20), solid(hex(0x24506a)));
  c.fill(sd_circle(px, py, 12), solid(hex(0xe8c8a0)));
  Canvas title(c.w, c.h);
  text_centred(title, kSansBold, 120, c.w / 2.0f, 150, "TUNNELWICK", hex(pal::gold), 6);
  text_centred(title, kSans, 30, c.w / 2.0f, 240, "Sneak. Collect. Escape.", hex(0xfff0dc), 3);
  c.draw(title, 0, 0);
  return c;
}

}  // namespace

void add_ui_images(Art& art) {
  art.add("menu-background", menu_background(), "menubg");
  art.add("boxart", boxart(), "boxart");
  art.add("logo", logo());
  art.add("oldlogo", oldlogo());

  // The menu frame is laid out 13 units past its box on every side and
  // 75 units around the menu buttons; its rim and glow stay 28 units
  // inside the image, so the frame of the main menu stays clear of the
  // window edge and the version line.
  art.add("menu-box1", banded(frame(34, 14, vgrad(0, hex(0x1e140d, 0.92f), 34, hex(0x120c08, 0.92f)), hex(pal::rust), 3), 96));
  art.add("menu-box2", banded(rim_glow(42, 12, hex(pal::amber, 0.9f)), 96));
  art.add("menu-button1", frame(48, 10, vgrad(0, hex(pal::rust), 48, hex(pal::umber)), hex(pal::orange), 2));
  art.add("menu-button2", frame(48, 10, vgrad(0, hex(pal::amber, 0.6f), 48, hex(pal::amber, 0.15f)), hex(pal::gold), 2));
  art.add("menu-tab1", frame(48, 10, vgrad(0, hex(pal::umber), 48, hex(0x2a1206)), hex(pal::rust), 2, true));
  art.add("menu-tab2", frame(48, 10, vgrad(0, hex(pal::amber, 0.6f), 48, hex(pal::amber, 0.1f)), hex(pal::gold), 2, true));
  art.add("dialog-box", frame(32, 8, solid(hex(pal::amber, 0.35f)), hex(0, 0), 0));
  art.add("dialog-box1", frame(32, 8, solid(hex(0x1a120c, 0.92f)), hex(pal::rust), 2));
  art.add("dialog-box2", frame(32, 8, solid(hex(pal::amber, 0.18f)), hex(pal::gold), 2));
  art.add("dialog-box3", frame(32, 6, vgrad(0, hex(0x050302, 0.95f), 32, hex(0x1a100a, 0.95f)), hex(pal::umber), 2));
  art.add("backbutton", back_button(false));
  art.add("backbutton-focus", back_button(true));
  art.add("success-titleglow", glow_bar(256, 64, hex(pal::amber, 0.7f)));
  { Canvas w(8, 8); w.shade([](float, float) { return hex(0xffffff); }); art.add("white", w); }

  struct GlyphIcon { const char* name; int cp; };
  const GlyphIcon glyphs[] = {
    {"icon-play", 0x25B6}, {"icon-build", 0x2692}, {"icon-community", 0x263A}, {"icon-settings", 0x2699},
    {"icon-heart", 0x2665}, {"icon-quit", 0x2716}, {"icon-audio", 0x266A}, {"icon-controls", 0x2328},
    {"icon-video", 0x25A3}, {"icon-draw", 0x270E}, {"icon-help", '?'}, {"icon-home", 0x2302},
    {"icon-less", 0x2212}, {"icon-more", '+'}, {"icon-move", 0x2725}, {"icon-options", 0x2630},
    {"icon-restart", 0x21BB},
  };
  for (const GlyphIcon& g : glyphs) art.add(g.name, glyph_icon(g.cp, 64, hex(pal::amber)));
  // Icons without a fitting glyph are drawn from shapes.
  art.add("icon-lock", sdf_icon(64, sd_union(sd_box(32, 40, 17, 14, 3),
                                             sd_cut(sd_ring(sd_circle(32, 24, 11), 3.5f), sd_box(32, 36, 20, 8)))));
  art.add("icon-account", sdf_icon(64, sd_union(sd_circle(32, 22, 11),
                                                sd_cut(sd_circle(32, 58, 22), sd_box(32, 62, 30, 6)))));
  art.add("icon-erase", sdf_icon(64, sd_poly({10, 40, 34, 16, 54, 36, 30, 60})));
  art.add("icon-eyedrop", sdf_icon(64, sd_union(sd_segment(16, 48, 40, 24, 8), sd_circle(46, 18, 9))));
  art.add("icon-fill", sdf_icon(64, sd_union(sd_poly({12, 30, 32, 10, 52, 30, 32, 50}), sd_circle(52, 48, 6))));
}

}  // namespace tw
