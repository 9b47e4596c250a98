// Draws the generated art: distance-field shapes, fills, glows, blurs, scaling and TrueType text.
#include "art/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <stb/stb_truetype.h>

#include "common/out.h"

namespace tw {

Color hex(uint32_t rgb, float a) {
  return Color{((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, a};
}
Color mix(Color a, Color b, float t) {
  return Color{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
Color scale(Color c, float k) { return Color{c.r * k, c.g * k, c.b * k, c.a}; }

Sdf sd_circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}
Sdf sd_box(float cx, float cy, float hw, float hh, float rad) {
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - hw + rad, qy = std::fabs(y - cy) - hh + rad;
    return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - rad;
  };
}
Sdf sd_segment(float ax, float ay, float bx, float by, float th) {
  return [=](float x, float y) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float l2 = dx * dx + dy * dy;
    float t = l2 > 0 ? std::clamp((px * dx + py * dy) / l2, 0.0f, 1.0f) : 0;
    return std::hypot(px - dx * t, py - dy * t) - th * 0.5f;
  };
}
Sdf sd_poly(std::vector<float> v) {
  return [v](float x, float y) {
    size_t n = v.size() / 2;
    float d = 1e30f, s = 1;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
      float ex = v[2 * j] - v[2 * i], ey = v[2 * j + 1] - v[2 * i + 1];
      float wx = x - v[2 * i], wy = y - v[2 * i + 1];
      float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
      float bx = wx - ex * t, by = wy - ey * t;
      d = std::min(d, bx * bx + by * by);
      bool c1 = y >= v[2 * i + 1], c2 = y < v[2 * j + 1], c3 = ex * wy > ey * wx;
      if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
  };
}
Sdf sd_union(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Sdf sd_cut(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Sdf sd_ring(Sdf a, float half) {
  return [=](float x, float y) { return std::fabs(a(x, y)) - half; };
}
Paint solid(Color c) {
  return [=](float, float) { return c; };
}
Paint vgrad(float y0, Color a, float y1, Color b) {
  return [=](float, float y) { return mix(a, b, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f)); };
}
Paint radial(float cx, float cy, float r, Color inner, Color outer) {
  return [=](float x, float y) { return mix(inner, outer, std::clamp(std::hypot(x - cx, y - cy) / r, 0.0f, 1.0f)); };
}

Canvas::Canvas(int w_, int h_) : w(w_), h(h_), px(size_t(w_) * h_ * 4, 0.0f) {}

Color Canvas::get(int x, int y) const {
  const float* p = &px[(size_t(y) * w + x) * 4];
  if (p[3] <= 0) return Color{};
  return Color{p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}
void Canvas::set(int x, int y, Color c) {
  float* p = &px[(size_t(y) * w + x) * 4];
  p[0] = c.r * c.a; p[1] = c.g * c.a; p[2] = c.b * c.a; p[3] = c.a;
}
void Canvas::over(int x, int y, Color c, float cov) {
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  float a = std::clamp(c.a * cov, 0.0f, 1.0f);
  if (a <= 0) return;
  float* p = &px[(size_t(y) * w + x) * 4];
  p[0] = c.r * a + p[0] * (1 - a);
  p[1] = c.g * a + p[1] * (1 - a);
  p[2] = c.b * a + p[2] * (1 - a);
  p[3] = a + p[3] * (1 - a);
}
void Canvas::fill(const Sdf& sdf, const Paint& paint, int x0, int y0, int x1, int y1) {
  if (x1 < 0) x1 = w;
  if (y1 < 0) y1 = h;
  x0 = std::max(x0, 0); y0 = std::max(y0, 0); x1 = std::min(x1, w); y1 = std::min(y1, h);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      float fx = x + 0.5f, fy = y + 0.5f;
      float cov = std::clamp(0.5f - sdf(fx, fy), 0.0f, 1.0f);
      if (cov > 0) over(x, y, paint(fx, fy), cov);
    }
}
void Canvas::glow(const Sdf& sdf, Color c, float radius) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float d = std::max(sdf(x + 0.5f, y + 0.5f), 0.0f);
      float k = std::exp(-d * d / (radius * radius));
      if (k > 0.002f) over(x, y, c, k);
    }
}
void Canvas::shade(const std::function<Color(float, float)>& f) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) set(x, y, f(x + 0.5f, y + 0.5f));
}
void Canvas::draw(const Canvas& s, int ox, int oy, float alpha) {
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x) {
      int tx = ox + x, ty = oy + y;
      if (tx < 0 || ty < 0 || tx >= w || ty >= h) continue;
      const float* q = &s.px[(size_t(y) * s.w + x) * 4];
      float* p = &px[(size_t(ty) * w + tx) * 4];
      float a = q[3] * alpha;
      for (int i = 0; i < 3; ++i) p[i] = q[i] * alpha + p[i] * (1 - a);
      p[3] = a + p[3] * (1 - a);
    }
}
void Canvas::draw_scaled(const Canvas& s, float ox, float oy, float dw, float dh) {
  // Box-filtered resampling: good enough for a contact sheet.
  int x0 = int(std::floor(ox)), y0 = int(std::floor(oy));
  int x1 = int(std::ceil(ox + dw)), y1 = int(std::ceil(oy + dh));
  float sx = s.w / dw, sy = s.h / dh;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      if (x < 0 || y < 0 || x >= w || y >= h) continue;
      int ax = int((x - ox) * sx), bx = std::max(ax + 1, int((x + 1 - ox) * sx));
      int ay = int((y - oy) * sy), by = std::max(ay + 1, int((y + 1 - oy) * sy));
      float acc[4] = {0, 0, 0, 0};
      int n = 0;
      for (int v = std::max(ay, 0); v < std::min(by, s.h); ++v)
        for (int u = std::max(ax, 0); u < std::min(bx, s.w); ++u, ++n)
          for (int i = 0; i < 4; ++i) acc[i] += s.px[(size_t(v) * s.w + u) * 4 + i];
      if (!n) continue;
      float* p = &px[(size_t(y) * w + x) * 4];
      float a = acc[3] / n;
      for (int i = 0; i < 3; ++i) p[i] = acc[i] / n + p[i] * (1 - a);
      p[3] = a + p[3] * (1 - a);
    }
}
Canvas Canvas::blurred(int rx, int ry) const {
  Canvas a = *this, b = *this;
  auto pass = [](const Canvas& in, Canvas& out, int r, bool horiz) {
    for (int y = 0; y < in.h; ++y)
      for (int x = 0; x < in.w; ++x) {
        float acc[4] = {0, 0, 0, 0};
        for (int k = -r; k <= r; ++k) {
          int u = horiz ? std::clamp(x + k, 0, in.w - 1) : x, v = horiz ? y : std::clamp(y + k, 0, in.h - 1);
          for (int i = 0; i < 4; ++i) acc[i] += in.px[(size_t(v) * in.w + u) * 4 + i];
        }
        for (int i = 0; i < 4; ++i) out.px[(size_t(y) * in.w + x) * 4 + i] = acc[i] / (2 * r + 1);
      }
  };
  if (rx > 0) { pass(a, b, rx, true); a = b; }
  if (ry > 0) { pass(a, b, ry, false); a = b; }
  return a;
}
Canvas Canvas::crop(int x, int y, int cw, int ch) const {
  Canvas c(cw, ch);
  for (int v = 0; v < ch; ++v)
    for (int u = 0; u < cw; ++u)
      for (int i = 0; i < 4; ++i) c.px[(size_t(v) * cw + u) * 4 + i] = px[(size_t(y + v) * w + x + u) * 4 + i];
  return c;
}
std::vector<uint8_t> Canvas::rgba8() const {
  std::vector<uint8_t> out(size_t(w) * h * 4);
  for (size_t i = 0; i < size_t(w) * h; ++i) {
    float a = std::clamp(px[i * 4 + 3], 0.0f, 1.0f);
    for (int k = 0; k < 3; ++k) {
      float v = a > 0 ? px[i * 4 + k] / a : 0;
      out[i * 4 + k] = uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
    }
    out[i * 4 + 3] = uint8_t(std::lround(a * 255));
  }
  return out;
}

const char* font_dir() { return "/usr/share/fonts/truetype/dejavu"; }

const FontFace* font_face(const std::string& file) {
  static std::map<std::string, std::unique_ptr<FontFace>> cache;
  auto it = cache.find(file);
  if (it != cache.end()) return it->second.get();
  auto f = std::make_unique<FontFace>();
  std::string path = std::string(font_dir()) + "/" + file;
  if (!read_file(path, f->data) ||
      !stbtt_InitFont(&f->info, reinterpret_cast<const unsigned char*>(f->data.data()), 0)) {
    std::fprintf(stderr, "font_face(): cannot use %s\n", path.c_str());
    cache[file] = nullptr;
    return nullptr;
  }
  return (cache[file] = std::move(f)).get();
}

namespace {

// Decodes UTF-8 into code points (invalid bytes become '?').
std::vector<int> utf8(const std::string& s) {
  std::vector<int> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (n < 0 || i + n >= s.size() + (n == 0)) { out.push_back('?'); ++i; continue; }
    int cp = n == 0 ? c : c & (0x3f >> n);
    for (int k = 1; k <= n; ++k) cp = (cp << 6) | (s[i + k] & 0x3f);
    out.push_back(cp);
    i += n + 1;
  }
  return out;
}

void blit_glyph(Canvas& c, const FontFace* f, float sc, float x, float y, int cp, Color col) {
  int x0, y0, x1, y1;
  float fx = x - std::floor(x);
  stbtt_GetCodepointBitmapBoxSubpixel(&f->info, cp, sc, sc, fx, 0, &x0, &y0, &x1, &y1);
  int gw = x1 - x0, gh = y1 - y0;
  if (gw <= 0 || gh <= 0) return;
  std::vector<unsigned char> bm(size_t(gw) * gh);
  stbtt_MakeCodepointBitmapSubpixel(&f->info, bm.data(), gw, gh, gw, sc, sc, fx, 0, cp);
  int bx = int(std::floor(x)) + x0, by = int(std::lround(y)) + y0;
  for (int v = 0; v < gh; ++v)
    for (int u = 0; u < gw; ++u) c.over(bx + u, by + v, col, bm[size_t(v) * gw + u] / 255.0f);
}

}  // namespace

float text_width(const std::string& font, float size, const std::string& text) {
  const FontFace* f = font_face(font);
  if (!f) return 0;
  float sc = stbtt_ScaleForMappingEmToPixels(&f->info, size), w = 0;
  for (int cp : utf8(text)) {
    int adv, lsb;
    stbtt_GetCodepointHMetrics(&f->info, cp, &adv, &lsb);
    w += adv * sc;
  }
  return w;
}

void text_draw(Canvas& c, const std::string& font, float size, float x, float y, const std::string& text, Color col) {
  const FontFace* f = font_face(font);
  if (!f) return;
  float sc = stbtt_ScaleForMappingEmToPixels(&f->info, size);
  for (int cp : utf8(text)) {
    blit_glyph(c, f, sc, x, y, cp, col);
    int adv, lsb;
    stbtt_GetCodepointHMetrics(&f->info, cp, &adv, &lsb);
    x += adv * sc;
  }
}

void text_centred(Canvas& c, const std::string& font, float size, float cx, float cy, const std::string& text,
                  Color col, float shadow) {
  const FontFace* f = font_face(font);
  if (!f) return;
  // Centre on the cap height rather than the full ascent.
  float base = cy + 0.36f * size;
  float x = cx - text_width(font, size, text) / 2;
  if (shadow > 0) {
    Canvas s(c.w, c.h);
    text_draw(s, font, size, x + shadow * 0.6f, base + shadow, text, hex(0x000000, 0.9f));
    c.draw(s.blurred(int(shadow), int(shadow)), 0, 0);
  }
  text_draw(c, font, size, x, base, text, col);
}

void glyph_centred(Canvas& c, const std::string& font, float size, float cx, float cy, int cp, Color col) {
  const FontFace* f = font_face(font);
  if (!f) return;
  float sc = stbtt_ScaleForMappingEmToPixels(&f->info, size);
  int x0, y0, x1, y1;
  stbtt_GetCodepointBitmapBox(&f->info, cp, sc, sc, &x0, &y0, &x1, &y1);
  blit_glyph(c, f, sc, cx - (x0 + x1) / 2.0f, cy - (y0 + y1) / 2.0f, cp, col);
}

}  // namespace tw
