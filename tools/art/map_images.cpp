// The sector map: sector pictures, level icons, arrows and the level panel's
// small pictures.
#include <cmath>
#include <cstdio>

#include "art/art.h"
#include "common/out.h"

namespace tw {

namespace {

constexpr int kChunkW = 213, kChunkH = 160;

struct SectorLook {
  const char* label;
  uint32_t floor, wall, lamp;
};
const SectorLook kSectors[9] = {
  {"ENTRANCE", 0x8a7462, 0x5a4a3e, pal::amber},  {"SECTOR 1", 0x6f7f8a, 0x44505a, pal::amber},
  {"SECTOR 2", 0x7c8a8f, 0x3e4a50, 0x9fd8ff},    {"SECTOR 3", 0x5e5650, 0x2e2a28, pal::amber},
  {"SECTOR 4", 0x8a5a48, 0x5a2e22, pal::orange}, {"SECTOR 5", 0x6a7a52, 0x3a4430, 0xb0ff80},
  {"SECTOR 6", 0x7a7e86, 0x40444c, 0xff7050},    {"SECTOR 7", 0x8e8470, 0x5a5040, 0xe0e0b0},
  {"SECTOR 8", 0x5a8a86, 0x2a4a48, pal::cyan},
};

Canvas sector_picture(int i, const std::vector<MapSpot>& spots) {
  const int cell = 16, cols = 14, rows = 10;
  Tunnels t = make_tunnels(cols, rows, 100 + i, 0.08f);
  // A trunk runs through every sector at the same column, so the pictures
  // join up into one long tunnel.
  t.carve_line(7, 0, 7, rows - 1);
  std::vector<Lamp> lamps;
  const SectorLook& look = kSectors[i];
  for (const MapSpot& s : spots) {
    if (s.sector != i) continue;
    float lx = s.x + 20.0f, ly = s.y + 20.0f - (10 - i) * kChunkH;
    int cx = std::min(cols - 1, std::max(0, int(lx / cell))), cy = std::min(rows - 1, std::max(0, int(ly / cell)));
    t.carve_line(7, cy, cx, cy);
    lamps.push_back(Lamp{cx * cell + 8.0f, cy * cell + 8.0f, 46, hex(look.lamp)});
  }
  lamps.push_back(Lamp{7 * cell + 8.0f, 2 * cell, 40, hex(look.lamp, 1)});
  Canvas c = paint_tunnels(kChunkW, kChunkH, t, cell, lamps, 0.42f, hex(look.floor), hex(look.wall), 200 + i);
  text_draw(c, kSansBold, 11, 5, kChunkH - 6, look.label, hex(pal::amber, 0.85f));
  return c;
}

Canvas sector_focus() {
  Canvas c(kChunkW, kChunkH);
  Sdf edge = sd_ring(sd_box(kChunkW / 2.0f, kChunkH / 2.0f, kChunkW / 2.0f - 3, kChunkH / 2.0f - 3, 4), 1);
  c.glow(edge, hex(pal::amber, 0.8f), 5);
  c.fill(edge, solid(hex(pal::gold)));
  return c;
}

Canvas sector_cover() {
  Canvas c(kChunkW, kChunkH);
  c.shade([](float x, float y) {
    bool stripe = int(std::floor((x + y) / 14)) % 2 == 0;
    float n = hashf(int(x / 2), int(y / 2), 9);
    return scale(hex(stripe ? 0x1a1512 : 0x241c16), 0.8f + 0.4f * n);
  });
  Canvas lock = glyph_icon(0x2716, 64, hex(0x8a7462));
  c.draw(lock, kChunkW / 2 - 32, kChunkH / 2 - 32);
  return c;
}

enum class Badge { Level, Crystal, Lock };

Canvas badge(Badge kind, bool complete, bool focus) {
  const int s = 80;
  const float m = s / 2.0f;
  Canvas c(s, s);
  Color rim = kind == Badge::Crystal ? hex(pal::cyan) : kind == Badge::Lock ? hex(0x9a8a7a) : hex(pal::amber);
  if (focus) {
    Sdf ring = sd_ring(sd_circle(m, m, 30), 2);
    c.glow(ring, rim, 6);
    c.fill(ring, solid(hex(0xffffff)));
    return c;
  }
  c.fill(sd_circle(m + 1, m + 3, 28), solid(hex(0, 0.6f)));
  c.fill(sd_circle(m, m, 27), radial(m, m - 8, 30, complete ? scale(rim, 0.8f) : hex(pal::umber), hex(0x140c08)));
  c.fill(sd_ring(sd_circle(m, m, 26), 2.5f), solid(rim));
  if (kind == Badge::Crystal)
    c.fill(sd_poly({m, m - 16, m + 11, m - 3, m, m + 16, m - 11, m - 3}), vgrad(m - 16, hex(0xdffbff), m + 16, hex(pal::cyan)));
  else if (kind == Badge::Lock)
    c.fill(sd_union(sd_box(m, m + 5, 11, 9, 2), sd_cut(sd_ring(sd_circle(m, m - 5, 7), 2.5f), sd_box(m, m + 3, 12, 5))),
           solid(hex(0xd0c0b0)));
  else
    c.fill(sd_circle(m, m, 8), solid(hex(complete ? 0xffffff : pal::gold)));
  if (complete) {
    Canvas tick(s, s);
    glyph_centred(tick, kSansBold, 26, m + 16, m + 16, 0x2714, hex(pal::green));
    c.fill(sd_circle(m + 16, m + 16, 11), solid(hex(0x102010)));
    c.draw(tick, 0, 0);
  }
  return c;
}

Canvas map_arrow(bool up, bool on) {
  const int w = 160, h = 80;
  Canvas c(w, h);
  float tip = up ? 14 : 66, base = up ? 62 : 18;
  Sdf chevron = sd_poly({30, base, 80, tip, 130, base, 110, base, 80, (tip + base) / 2 + (up ? 4 : -4), 50, base});
  if (on) {
    c.glow(chevron, hex(pal::amber, 0.9f), 8);
    c.fill(chevron, solid(hex(0xfff0c0)));
  } else {
    c.fill([&](float x, float y) { return chevron(x - 1, y - 2); }, solid(hex(0, 0.7f)));
    c.fill(chevron, vgrad(tip, hex(pal::orange), base, hex(pal::rust)));
    c.fill(sd_ring(chevron, 0.8f), solid(hex(pal::amber)));
  }
  return c;
}

}  // namespace

Canvas cartridge_pic(int s, bool lit) {
  Canvas c(s, s);
  float k = s / 64.0f;
  Color body = lit ? hex(pal::orange) : hex(0x3a302a), label = lit ? hex(pal::gold) : hex(0x5a4e44);
  Sdf shell = sd_cut(sd_box(32 * k, 34 * k, 20 * k, 24 * k, 3 * k), sd_box(32 * k, 12 * k, 12 * k, 3 * k));
  if (lit) c.glow(shell, hex(pal::amber, 0.6f), 4 * k);
  c.fill(shell, vgrad(10 * k, body, 58 * k, scale(body, 0.6f)));
  c.fill(sd_box(32 * k, 34 * k, 13 * k, 10 * k, 2 * k), solid(label));
  for (int i = 0; i < 5; ++i) c.fill(sd_box((20 + i * 6) * k, 54 * k, 1.5f * k, 3 * k), solid(hex(lit ? 0xffe080 : 0x706050)));
  return c;
}

Canvas crystal_pic(int s, Color col) {
  Canvas c(s, s);
  float k = s / 64.0f;
  Sdf gem = sd_poly({32 * k, 6 * k, 52 * k, 24 * k, 32 * k, 58 * k, 12 * k, 24 * k});
  c.glow(gem, Color{col.r, col.g, col.b, 0.6f}, 5 * k);
  c.fill(gem, vgrad(6 * k, hex(0xf0ffff), 58 * k, col));
  c.fill(sd_poly({32 * k, 6 * k, 40 * k, 24 * k, 32 * k, 58 * k, 24 * k, 24 * k}), solid(hex(0xffffff, 0.35f)));
  c.fill(sd_segment(12 * k, 24 * k, 52 * k, 24 * k, 1.2f * k), solid(hex(0xffffff, 0.6f)));
  return c;
}

void add_map_images(Art& art, const std::vector<MapSpot>& spots) {
  char name[64];
  Canvas focus = sector_focus();
  for (int i = 0; i <= 8; ++i) {
    Canvas pic = sector_picture(i, spots);
    std::snprintf(name, sizeof name, "sector-%d", i);
    art.add(name, pic);
    art.add(std::string(name) + "-blur", pic.blurred(0, 7));
    art.add(std::string(name) + "-focus", focus);
    art.add(std::string(name) + "-focus-blur", focus.blurred(0, 7));
  }
  Canvas cover = sector_cover();
  art.add("sector-x", cover);
  art.add("sector-x-blur", cover.blurred(0, 7));
  Canvas chunk(kChunkW, kChunkH);
  chunk.fill(sd_box(kChunkW / 2.0f, kChunkH / 2.0f, kChunkW / 2.0f, kChunkH / 2.0f, 4), solid(hex(pal::rock)));
  art.add("map-chunk", chunk);

  const struct { const char* base; Badge kind; } badges[] = {
    {"map-level", Badge::Level}, {"map-crystal", Badge::Crystal}, {"map-lock", Badge::Lock}};
  for (const auto& b : badges)
    for (int complete = 0; complete < 2; ++complete)
      for (int f = 0; f < 2; ++f)
        art.add(std::string(b.base) + (complete ? "-complete" : "") + (f ? "-focus" : ""), badge(b.kind, complete, f));

  art.add("map-arrow-up-off", map_arrow(true, false));
  art.add("map-arrow-up-on", map_arrow(true, true));
  art.add("map-arrow-down-off", map_arrow(false, false));
  art.add("map-arrow-down-on", map_arrow(false, true));

  Canvas conn(110, 10);
  conn.fill(sd_box(55, 5, 54, 3, 3), solid(hex(pal::orange)));
  conn.fill(sd_box(55, 4, 52, 1, 1), solid(hex(pal::gold)));
  art.add("map-connector", conn);

  Canvas box(80, 80);
  box.fill(sd_box(40, 40, 38, 38, 6), solid(hex(0x140c08, 0.9f)));
  box.fill(sd_ring(sd_box(40, 40, 37, 37, 6), 1.5f), solid(hex(pal::rust)));
  art.add("map-cart-box", box);
  art.add("map-cart-on", cartridge_pic(64, true));
  art.add("map-cart-off", cartridge_pic(64, false));
  art.add("crystal2", crystal_pic(64, hex(pal::cyan)));

  Canvas timer(32, 32);
  timer.fill(sd_ring(sd_circle(16, 17, 12), 2), solid(hex(pal::amber)));
  timer.fill(sd_union(sd_segment(16, 17, 16, 9, 2.5f), sd_segment(16, 17, 22, 17, 2.5f)), solid(hex(0xffffff)));
  timer.fill(sd_box(16, 3, 4, 2, 1), solid(hex(pal::amber)));
  art.add("map-timer", timer);
  art.add("skulls", glyph_icon(0x2620, 32, hex(0xf0e8dc), 0.9f));
  art.add("stars", glyph_icon(0x2605, 32, hex(pal::gold), 0.95f));
  art.add("u_stars", glyph_icon(0x2605, 32, hex(pal::cyan), 0.95f));
}

}  // namespace tw
