// Renders each bitmap font of the game onto a texture with the glyph table the game reads.
#include "art/fonts.h"

#include <cmath>
#include <cstdio>
#include <stb/stb_rect_pack.h>
#include <stb/stb_truetype.h>
#include <vector>

#include "art/pack.h"

namespace tw {

namespace {

const FontSpec kFonts[] = {
  {"font1", "DejaVuSans-Bold.ttf", 26},           // titles
  {"font15", "DejaVuSans.ttf", 15},               // small buttons and notes
  {"font2", "DejaVuSansCondensed-Bold.ttf", 18},  // labels and buttons
  {"font2s", "DejaVuSansMono-Bold.ttf", 14},      // times and counts
  {"font3", "DejaVuSerif-Bold.ttf", 22},          // headings
};

}  // namespace

const FontSpec* font_specs(int* count) {
  *count = int(sizeof kFonts / sizeof kFonts[0]);
  return kFonts;
}

bool make_font(const FontSpec& spec, Canvas& texture, std::string& json) {
  const FontFace* f = font_face(spec.file);
  if (!f) return false;
  float sc = stbtt_ScaleForMappingEmToPixels(&f->info, spec.px);
  int asc, desc, gap;
  stbtt_GetFontVMetrics(&f->info, &asc, &desc, &gap);
  int base = int(std::lround(asc * sc));
  int height = int(std::lround((asc - desc + gap) * sc));

  struct Glyph {
    int cp, x0, y0, w, h, adv;
    std::vector<unsigned char> bm;
  };
  std::vector<Glyph> glyphs;
  std::vector<std::pair<int, int>> sizes;
  for (int cp = 32; cp <= 255; ++cp) {
    if (cp > 126 && cp < 160) continue;
    Glyph g{cp, 0, 0, 0, 0, 0, {}};
    int adv, lsb, x1, y1;
    stbtt_GetCodepointHMetrics(&f->info, cp, &adv, &lsb);
    g.adv = int(std::lround(adv * sc));
    stbtt_GetCodepointBitmapBox(&f->info, cp, sc, sc, &g.x0, &g.y0, &x1, &y1);
    g.w = std::max(0, x1 - g.x0);
    g.h = std::max(0, y1 - g.y0);
    if (g.w > 0 && g.h > 0) {
      g.bm.resize(size_t(g.w) * g.h);
      stbtt_MakeCodepointBitmap(&f->info, g.bm.data(), g.w, g.h, g.w, sc, sc, cp);
    }
    sizes.push_back({std::max(g.w, 1), std::max(g.h, 1)});
    glyphs.push_back(std::move(g));
  }
  std::vector<Placed> at;
  int side = 128, textures = 0;
  for (;; side *= 2) {
    if (!pack_rects(sizes, side, 1, at, &textures)) return false;
    if (textures == 1) break;
  }
  texture = Canvas(side, side);
  json = "{\"tex\":\"" + std::string(spec.name) + "\",\"height\":" + std::to_string(height) +
         ",\"base\":" + std::to_string(base) + ",\"glyphs\":{";
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const Glyph& g = glyphs[i];
    for (int v = 0; v < g.h; ++v)
      for (int u = 0; u < g.w; ++u)
        texture.set(at[i].x + u, at[i].y + v, Color{1, 1, 1, g.bm[size_t(v) * g.w + u] / 255.0f});
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s\"%d\":[%d,%d,%d,%d,%d,%d,%d]", i ? "," : "", g.cp, g.w ? at[i].x : 0,
                  g.w ? at[i].y : 0, g.w, g.h, g.x0, base + g.y0, g.adv);
    json += buf;
  }
  json += "}}";
  return true;
}

}  // namespace tw
