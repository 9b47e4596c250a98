// Carves a seeded maze of tunnels and paints it lamp-lit, as backdrops for menus, map and movies.
#include <algorithm>
#include <cmath>

#include "art/art.h"
#include "common/out.h"

namespace tw {

void Tunnels::carve_line(int x0, int y0, int x1, int y1) {
  int x = x0, y = y0;
  carve(x, y);
  while (x != x1) { x += x1 > x ? 1 : -1; carve(x, y); }
  while (y != y1) { y += y1 > y ? 1 : -1; carve(x, y); }
}

Tunnels make_tunnels(int cols, int rows, unsigned seed, float loops) {
  Tunnels t{cols, rows, std::vector<bool>(size_t(cols) * rows, false)};
  Rng rng(seed);
  // Depth-first maze on the odd cells, then a few extra openings for loops.
  std::vector<int> stack{1 * cols + 1};
  t.carve(1, 1);
  while (!stack.empty()) {
    int cx = stack.back() % cols, cy = stack.back() / cols;
    int dirs[4][2] = {{2, 0}, {-2, 0}, {0, 2}, {0, -2}};
    int order[4] = {0, 1, 2, 3};
    for (int i = 3; i > 0; --i) std::swap(order[i], order[rng.range(0, i)]);
    bool moved = false;
    for (int k : order) {
      int nx = cx + dirs[k][0], ny = cy + dirs[k][1];
      if (nx < 1 || ny < 1 || nx >= cols - 1 || ny >= rows - 1 || t.at(nx, ny)) continue;
      t.carve(cx + dirs[k][0] / 2, cy + dirs[k][1] / 2);
      t.carve(nx, ny);
      stack.push_back(ny * cols + nx);
      moved = true;
      break;
    }
    if (!moved) stack.pop_back();
  }
  for (int y = 1; y < rows - 1; ++y)
    for (int x = 1; x < cols - 1; ++x)
      if (!t.at(x, y) && rng.unit() < loops) t.carve(x, y);
  return t;
}

Canvas paint_tunnels(int w, int h, const Tunnels& t, float cell, const std::vector<Lamp>& lamps, float ambient,
                     Color floor_tint, Color wall_tint, unsigned seed) {
  Canvas c(w, h);
  c.shade([&](float x, float y) {
    int cx = int(std::floor(x / cell)), cy = int(std::floor(y / cell));
    float fx = x / cell - cx, fy = y / cell - cy;
    bool open = t.at(cx, cy);
    Color base;
    float n = hashf(int(x / 3), int(y / 3), int(seed)) * 0.5f + hashf(int(x), int(y), int(seed) + 1) * 0.5f;
    if (open) {
      // Flagstones: two per cell with dark grout between them.
      float sx = fx * 2 - std::floor(fx * 2), sy = fy * 2 - std::floor(fy * 2);
      float grout = std::min(std::min(sx, 1 - sx), std::min(sy, 1 - sy)) * cell * 0.5f;
      float stone = hashf(int(std::floor(x / cell * 2)), int(std::floor(y / cell * 2)), int(seed) + 7);
      base = scale(floor_tint, 0.8f + 0.3f * stone + 0.15f * (n - 0.5f));
      if (grout < 1.2f) base = scale(base, 0.55f);
    } else {
      // Rock; its edge next to a corridor catches the light.
      float edge = 1e9f;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          if (!t.at(cx + dx, cy + dy)) continue;
          float ex = std::max({float(cx + dx) - x / cell, x / cell - float(cx + dx + 1), 0.0f});
          float ey = std::max({float(cy + dy) - y / cell, y / cell - float(cy + dy + 1), 0.0f});
          edge = std::min(edge, std::hypot(ex, ey) * cell);
        }
      base = scale(wall_tint, 0.7f + 0.5f * n);
      if (edge < cell * 0.22f) base = scale(base, 1.35f - edge / (cell * 0.22f) * 0.3f);
      else base = scale(base, 0.75f);
    }
    Color warm{0, 0, 0, 0};
    for (const Lamp& l : lamps) {
      float d2 = ((x - l.x) * (x - l.x) + (y - l.y) * (y - l.y)) / (l.radius * l.radius);
      float k = std::exp(-d2 * 2.5f);
      warm.r += l.col.r * k; warm.g += l.col.g * k; warm.b += l.col.b * k;
    }
    Color out{base.r * (ambient + warm.r), base.g * (ambient + warm.g), base.b * (ambient + warm.b), 1};
    out.r = std::min(out.r, 1.0f); out.g = std::min(out.g, 1.0f); out.b = std::min(out.b, 1.0f);
    return out;
  });
  return c;
}

}  // namespace tw
