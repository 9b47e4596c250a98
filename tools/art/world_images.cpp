// The play world seen from above: terrain tiles, actors, pick-ups, doors,
// effects, heads-up pictures and the achievement medals.
#include <cmath>

#include "art/art.h"
#include "common/out.h"

namespace tw {

namespace {

constexpr int T = 32;  // one cell at zoom 1

Canvas noise_tile(uint32_t base, float amount, unsigned seed, int px = 2) {
  Canvas c(T, T);
  c.shade([&](float x, float y) {
    float n = hashf(int(x) / px, int(y) / px, int(seed));
    return scale(hex(base), 1 - amount / 2 + amount * n);
  });
  return c;
}

Canvas floor_tile(uint32_t base, unsigned seed) {
  Canvas c = noise_tile(base, 0.25f, seed);
  // Four slabs with grout lines.
  c.fill([](float x, float y) {
    float gx = std::fabs(std::fmod(x, 16.0f) - 0.5f), gy = std::fabs(std::fmod(y, 16.0f) - 0.5f);
    return std::min(gx, gy) - 0.6f;
  }, solid(hex(0, 0.45f)));
  return c;
}

Canvas wall_tile(uint32_t base, unsigned seed) {
  Canvas c = noise_tile(base, 0.3f, seed, 3);
  // Bevel: lit top-left edge, shaded bottom-right edge.
  c.fill(sd_box(16, 1.5f, 16, 1.5f), solid(hex(0xffffff, 0.18f)));
  c.fill(sd_box(1.5f, 16, 1.5f, 16), solid(hex(0xffffff, 0.12f)));
  c.fill(sd_box(16, 30.5f, 16, 1.5f), solid(hex(0, 0.45f)));
  c.fill(sd_box(30.5f, 16, 1.5f, 16), solid(hex(0, 0.35f)));
  return c;
}

Canvas brick_tile() {
  Canvas c(T, T);
  c.shade([](float x, float y) {
    int row = int(y / 8);
    float off = (row % 2) * 8.0f;
    int col = int((x + off) / 16);
    bool mortar = std::fmod(y, 8.0f) < 1.2f || std::fmod(x + off, 16.0f) < 1.2f;
    float n = hashf(col, row, 3) * 0.3f + hashf(int(x), int(y), 4) * 0.15f;
    return mortar ? hex(0x1e1410) : scale(hex(0x6a3426), 0.8f + n);
  });
  return c;
}

Canvas grate_tile() {
  Canvas c = noise_tile(0x1a1a1c, 0.2f, 5);
  for (int i = 0; i < 4; ++i) c.fill(sd_box(4 + i * 8.0f, 16, 2.2f, 15, 1), vgrad(0, hex(0x8a8e94), 32, hex(0x4a4e54)));
  c.fill(sd_ring(sd_box(16, 16, 15, 15, 1), 1), solid(hex(0x5a5e64)));
  return c;
}

Canvas water_tile() {
  Canvas c(T, T);
  c.shade([](float x, float y) {
    float w = std::sin(x * 0.4f + std::sin(y * 0.3f) * 2) * 0.5f + 0.5f;
    return mix(hex(0x0c2030), hex(0x1e4a66), w * 0.6f);
  });
  return c;
}

// A person seen from above: shoulders, head, and what they hold.
Canvas person(int s, uint32_t body, uint32_t head, uint32_t cap, bool rifle, bool arms_out) {
  Canvas c(s, s);
  float k = s / 64.0f, m = s / 2.0f;
  c.fill(sd_circle(m, m + 3 * k, 22 * k), solid(hex(0, 0.35f)));
  c.fill(sd_box(m, m + 2 * k, 19 * k, 10 * k, 9 * k), solid(hex(body)));
  if (arms_out) {
    c.fill(sd_segment(m - 14 * k, m, m - 12 * k, m - 20 * k, 7 * k), solid(scale(hex(body), 0.8f)));
    c.fill(sd_segment(m + 14 * k, m, m + 12 * k, m - 20 * k, 7 * k), solid(scale(hex(body), 0.8f)));
  }
  if (rifle) c.fill(sd_segment(m + 6 * k, m - 2 * k, m + 6 * k, m - 28 * k, 3.5f * k), solid(hex(0x202020)));
  c.fill(sd_circle(m, m, 9 * k), solid(hex(head)));
  if (cap) c.fill(sd_cut(sd_circle(m, m + 1 * k, 9.5f * k), sd_box(m, m - 9 * k, 10 * k, 3 * k)), solid(hex(cap)));
  return c;
}

Canvas spider(int s) {
  Canvas c(s, s);
  float k = s / 64.0f, m = s / 2.0f;
  for (int side = -1; side <= 1; side += 2)
    for (int i = 0; i < 4; ++i) {
      float a = (-50 + i * 33) * 3.14159f / 180;
      float kx = m + side * 8 * k, ky = m + (i - 1.5f) * 5 * k;
      float ex = m + side * std::cos(a) * 26 * k, ey = m + std::sin(a) * 24 * k;
      c.fill(sd_segment(kx, ky, (kx + ex) / 2 + side * 4 * k, (ky + ey) / 2 - 6 * k, 2.5f * k), solid(hex(0x181418)));
      c.fill(sd_segment((kx + ex) / 2 + side * 4 * k, (ky + ey) / 2 - 6 * k, ex, ey, 2 * k), solid(hex(0x181418)));
    }
  c.fill(sd_circle(m, m + 8 * k, 12 * k), radial(m, m + 4 * k, 14 * k, hex(0x4a3a4a), hex(0x141014)));
  c.fill(sd_circle(m, m - 8 * k, 8 * k), solid(hex(0x241c24)));
  c.fill(sd_circle(m - 3 * k, m - 12 * k, 1.8f * k), solid(hex(pal::red)));
  c.fill(sd_circle(m + 3 * k, m - 12 * k, 1.8f * k), solid(hex(pal::red)));
  return c;
}

Canvas arrow_tile(int dir, float alpha) {  // 8 up, 6 right, 2 down, 4 left
  Canvas c(T, T);
  float ang = dir == 8 ? 0 : dir == 6 ? 1.5708f : dir == 2 ? 3.14159f : -1.5708f;
  auto rot = [&](float x, float y) {
    float dx = x - 16, dy = y - 16, cs = std::cos(-ang), sn = std::sin(-ang);
    return std::pair<float, float>(16 + dx * cs - dy * sn, 16 + dx * sn + dy * cs);
  };
  Sdf chev = sd_poly({16, 5, 27, 17, 21, 17, 21, 27, 11, 27, 11, 17, 5, 17});
  c.fill([&](float x, float y) { auto p = rot(x, y); return chev(p.first, p.second); }, solid(hex(pal::gold, alpha)));
  return c;
}

Canvas keycard(uint32_t col) {
  Canvas c(T, T);
  c.fill(sd_box(16, 17, 11, 7, 2), solid(hex(0, 0.4f)));
  c.fill(sd_box(16, 16, 11, 7, 2), vgrad(9, hex(col), 23, scale(hex(col), 0.6f)));
  c.fill(sd_box(11, 14, 3, 2.5f, 0.5f), solid(hex(pal::gold)));
  c.fill(sd_box(20, 19, 5, 1, 0.5f), solid(hex(0xffffff, 0.7f)));
  return c;
}

Canvas lock_door(uint32_t col) {
  Canvas c = noise_tile(0x4a4e54, 0.15f, 8);
  c.fill(sd_ring(sd_box(16, 16, 15, 15, 1), 1), solid(hex(0x2a2c30)));
  c.fill(sd_box(16, 16, 15, 1), solid(hex(0x2a2c30)));
  c.glow(sd_circle(16, 16, 4), hex(col, 0.8f), 4);
  c.fill(sd_circle(16, 16, 4), solid(hex(col)));
  return c;
}

Canvas radial_glow(int s, Color col, float falloff) {
  Canvas c(s, s);
  c.shade([&](float x, float y) {
    float d = std::hypot(x - s / 2.0f, y - s / 2.0f) / (s / 2.0f);
    float a = d >= 1 ? 0 : std::pow(1 - d, falloff);
    return Color{col.r, col.g, col.b, col.a * a};
  });
  return c;
}

Canvas medal(const Canvas& emblem) {
  Canvas c(76, 76);
  c.fill(sd_circle(38, 38, 35), radial(38, 30, 36, hex(pal::rust), hex(0x1a0c04)));
  c.fill(sd_ring(sd_circle(38, 38, 34), 2), solid(hex(pal::gold)));
  c.draw(emblem, 38 - emblem.w / 2, 38 - emblem.h / 2);
  return c;
}

}  // namespace

void add_world_images(Art& art) {
  // Terrain.
  { Canvas v(T, T); v.shade([](float, float) { return hex(0x000000); }); art.add("tile-void", v); }
  art.add("tile-rock", noise_tile(pal::rock, 0.4f, 1, 3));
  art.add("tile-wall", wall_tile(0x4a3e34, 2));
  art.add("tile-floor", floor_tile(pal::floor, 3));
  art.add("floor1", floor_tile(pal::floor, 3));
  art.add("tile-grate", grate_tile());
  art.add("tile-dirt", noise_tile(0x4a3624, 0.45f, 6, 2));
  art.add("tile-brick", brick_tile());
  art.add("tile-water", water_tile());

  // Actors as the picker and the world show them.
  art.add("tile-player", person(T, 0x2f6f9f, 0xe8c8a0, 0, false, true));
  art.add("tile-guard", person(T, 0x7a2420, 0xd8b890, 0x301010, false, false));
  art.add("tile-sniper", person(T, 0x34482c, 0xd0b088, 0x1c2818, true, false));
  art.add("tile-zombie", person(T, 0x4a5a3a, 0x8aa070, 0, false, true));
  art.add("tile-spider", spider(T));
  art.add("player", person(64, 0x2f6f9f, 0xe8c8a0, 0, false, true));
  art.add("guard", person(64, 0x7a2420, 0xd8b890, 0x301010, false, false));
  art.add("sniper", person(64, 0x34482c, 0xd0b088, 0x1c2818, true, false));
  art.add("zombie", person(64, 0x4a5a3a, 0x8aa070, 0, false, true));
  art.add("spider", spider(64));

  Canvas laser(T, T);
  laser.fill(sd_box(16, 16, 10, 10, 2), solid(hex(0x3a3e44)));
  laser.glow(sd_circle(16, 16, 4), hex(pal::red, 0.9f), 4);
  laser.fill(sd_circle(16, 16, 4), solid(hex(0xff8070)));
  art.add("tile-laser", laser);
  Canvas lamp(T, T);
  lamp.glow(sd_circle(16, 16, 5), hex(0xffe0a0, 0.8f), 8);
  lamp.fill(sd_circle(16, 16, 6), solid(hex(0xfff4d8)));
  lamp.fill(sd_ring(sd_circle(16, 16, 7), 1), solid(hex(0x605040)));
  art.add("tile-light", lamp);
  Canvas toggle(T, T);
  toggle.fill(sd_box(16, 16, 9, 12, 2), solid(hex(0x50545a)));
  toggle.fill(sd_segment(16, 20, 22, 8, 3), solid(hex(0xd0d0d0)));
  toggle.fill(sd_circle(22, 8, 3), solid(hex(pal::red)));
  art.add("tile-toggle", toggle);
  Canvas exit(T, T);
  exit.fill(sd_box(16, 16, 14, 14, 3), solid(hex(0x1c2a1c)));
  exit.fill(sd_ring(sd_box(16, 16, 13, 13, 3), 1.2f), solid(hex(pal::green)));
  exit.fill(sd_poly({16, 6, 25, 16, 19, 16, 19, 26, 13, 26, 13, 16, 7, 16}), solid(hex(pal::green)));
  art.add("tile-exit", exit);
  for (int d : {8, 6, 2, 4}) {
    art.add("tile-arrow" + std::to_string(d), arrow_tile(d, 1.0f));
    art.add("edit-arrow" + std::to_string(d), arrow_tile(d, 0.6f));
  }
  Canvas mark(T, T);
  mark.fill(sd_ring(sd_circle(16, 16, 13), 1.2f), solid(hex(0xffffff, 0.6f)));
  art.add("edit-light", mark);
  Canvas mark2(T, T);
  mark2.fill(sd_ring(sd_box(16, 16, 13, 13, 2), 1.2f), solid(hex(pal::red, 0.7f)));
  art.add("edit-laser", mark2);
  Canvas mark3(T, T);
  mark3.fill(sd_ring(sd_box(16, 16, 13, 13, 2), 1.2f), solid(hex(pal::cyan, 0.7f)));
  art.add("edit-toggle", mark3);

  // Pick-ups and doors.
  art.add("tile-cartridge", cartridge_pic(T, true));
  art.add("tile-jewel", crystal_pic(T, hex(pal::cyan)));
  Canvas bomb(T, T);
  bomb.fill(sd_circle(16, 18, 10), radial(13, 15, 12, hex(0x5a5a60), hex(0x101014)));
  bomb.fill(sd_segment(22, 10, 26, 5, 2), solid(hex(0xa08060)));
  bomb.glow(sd_circle(26, 5, 1.5f), hex(0xffd040, 0.9f), 3);
  art.add("tile-bomb", bomb);
  art.add("tile-keycard-red", keycard(pal::red));
  art.add("tile-keycard-blue", keycard(0x3a7adf));
  art.add("tile-keycard-green", keycard(pal::green));
  art.add("tile-lock-red", lock_door(pal::red));
  art.add("tile-lock-blue", lock_door(0x3a7adf));
  art.add("tile-lock-green", lock_door(pal::green));
  Canvas gate(T, T);
  gate.shade([](float x, float y) { return int(std::floor((x + y) / 6)) % 2 ? hex(0xd0a020) : hex(0x202020); });
  gate.fill(sd_ring(sd_box(16, 16, 15, 15, 1), 1), solid(hex(0x101010)));
  art.add("tile-techgate", gate);
  Canvas crate(T, T);
  crate.fill(sd_box(16, 16, 14, 14, 1), solid(hex(0x7a5430)));
  crate.fill(sd_union(sd_segment(4, 4, 28, 28, 3), sd_segment(28, 4, 4, 28, 3)), solid(hex(0x5a3c20)));
  crate.fill(sd_ring(sd_box(16, 16, 13, 13, 1), 1.5f), solid(hex(0x4a3018)));
  art.add("tile-crate", crate);
  Canvas barrel(T, T);
  barrel.fill(sd_circle(16, 16, 13), radial(12, 12, 16, hex(0x6a7a5a), hex(0x2a3420)));
  barrel.fill(sd_ring(sd_circle(16, 16, 9), 1), solid(hex(0x1a2010)));
  art.add("tile-barrel", barrel);
  Canvas pillar(T, T);
  pillar.fill(sd_circle(16, 16, 14), radial(12, 11, 18, hex(0x8a8078), hex(0x2a2420)));
  art.add("tile-pillar", pillar);

  // Effects and the heads-up display.
  art.add("light-glow", radial_glow(128, hex(0xffd9a0, 0.9f), 2.0f));
  art.add("shadow", radial_glow(64, hex(0x000000, 0.7f), 1.5f));
  Canvas cone(256, 128);
  cone.shade([](float x, float y) {
    float dx = x, dy = y - 64, a = std::atan2(dy, dx);
    float k = std::exp(-a * a * 10) * std::max(0.0f, 1 - dx / 256);
    return hex(0xfff4d0, 0.8f * k);
  });
  art.add("flashlight", cone);
  Canvas blast(128, 128);
  blast.glow(sd_circle(64, 64, 20), hex(0xff7020, 0.9f), 30);
  blast.fill(sd_circle(64, 64, 22), radial(64, 64, 22, hex(0xffffd0), hex(pal::orange)));
  art.add("blast", blast);
  Canvas beam(32, 8);
  beam.glow(sd_box(16, 4, 16, 0.8f), hex(pal::red, 0.9f), 2.5f);
  beam.fill(sd_box(16, 4, 16, 0.8f), solid(hex(0xffd0c8)));
  art.add("laser-beam", beam);
  Canvas bullet(8, 8);
  bullet.fill(sd_circle(4, 4, 2.5f), solid(hex(0xffe0a0)));
  art.add("bullet", bullet);
  Canvas battery(64, 32);
  battery.fill(sd_ring(sd_box(30, 16, 26, 12, 3), 1.5f), solid(hex(0xe0e0e0)));
  battery.fill(sd_box(60, 16, 3, 6, 1), solid(hex(0xe0e0e0)));
  battery.fill(sd_box(30, 16, 22, 8, 1), solid(hex(pal::green)));
  art.add("hud-battery", battery);
  art.add("hud-bomb", bomb);
  art.add("hud-cartridge", cartridge_pic(T, true));
  art.add("hud-jewel", crystal_pic(T, hex(pal::cyan)));
  art.add("hud-key-red", keycard(pal::red));
  art.add("hud-key-blue", keycard(0x3a7adf));
  art.add("hud-key-green", keycard(pal::green));

  art.add("ach-nodeaths", medal(glyph_icon(0x2665, 48, hex(0xff6a5a))));
  art.add("ach-cartridges", medal(cartridge_pic(44, true)));
  art.add("ach-jewels", medal(crystal_pic(44, hex(pal::cyan))));
}

}  // namespace tw
