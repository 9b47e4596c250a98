// A float RGBA canvas with anti-aliased shapes described by signed distance
// functions, text from TrueType fonts, and the few filters the art needs.
#pragma once
#include <cstdint>
#include <stb/stb_truetype.h>
#include <functional>
#include <string>
#include <vector>

namespace tw {

struct Color {
  float r = 0, g = 0, b = 0, a = 0;
};
Color hex(uint32_t rgb, float a = 1.0f);
Color mix(Color a, Color b, float t);
Color scale(Color c, float k);  // rgb times k, alpha kept

using Sdf = std::function<float(float, float)>;
using Paint = std::function<Color(float, float)>;

// Signed distances (negative inside), in pixels.
Sdf sd_circle(float cx, float cy, float r);
Sdf sd_box(float cx, float cy, float hw, float hh, float radius = 0);
Sdf sd_segment(float ax, float ay, float bx, float by, float thickness);
Sdf sd_poly(std::vector<float> xy);  // x0, y0, x1, y1, ... (any simple polygon)
Sdf sd_union(Sdf a, Sdf b);
Sdf sd_cut(Sdf a, Sdf b);        // a minus b
Sdf sd_ring(Sdf a, float half);  // a band of the given half width around a's edge
Paint solid(Color c);
Paint vgrad(float y0, Color a, float y1, Color b);
Paint radial(float cx, float cy, float r, Color inner, Color outer);

struct Canvas {
  int w = 0, h = 0;
  std::vector<float> px;  // premultiplied RGBA, row-major

  Canvas() = default;
  Canvas(int w, int h);
  Color get(int x, int y) const;  // straight alpha
  void set(int x, int y, Color c);
  // Composites the colour over the pixel with the coverage (0..1).
  void over(int x, int y, Color c, float coverage = 1);
  // Fills the shape; the clip limits the pixels looked at (default: all).
  void fill(const Sdf& sdf, const Paint& paint, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1);
  // A soft glow outside (and inside) the shape fading over the radius.
  void glow(const Sdf& sdf, Color c, float radius);
  // Every pixel from a function of its centre.
  void shade(const std::function<Color(float, float)>& f);
  void draw(const Canvas& src, int x, int y, float alpha = 1);
  void draw_scaled(const Canvas& src, float x, float y, float w, float h);
  Canvas blurred(int rx, int ry) const;
  Canvas crop(int x, int y, int w, int h) const;
  std::vector<uint8_t> rgba8() const;  // straight alpha
};

// Text from a DejaVu font file name ("DejaVuSans-Bold.ttf"), pixel size
// the em height. Position is the left end of the baseline.
float text_width(const std::string& font, float size, const std::string& text);
void text_draw(Canvas& c, const std::string& font, float size, float x, float y, const std::string& text, Color col);
// Centred on (cx, cy) both ways, with a dark drop shadow when shadow > 0.
void text_centred(Canvas& c, const std::string& font, float size, float cx, float cy, const std::string& text,
                  Color col, float shadow = 0);
// A single code point, centred.
void glyph_centred(Canvas& c, const std::string& font, float size, float cx, float cy, int codepoint, Color col);

// The directory of the DejaVu fonts.
const char* font_dir();
struct FontFace {
  std::string data;
  stbtt_fontinfo info;
};
// The loaded face of the file (cached for the run); nullptr with a diagnostic
// when the file cannot be read.
const FontFace* font_face(const std::string& file);

}  // namespace tw
