// Bitmap fonts named in "data.json" and text drawing.
#include "gfx/text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "driver/driver.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"

namespace {
struct Glyph {
  float x, y, w, h, xoff, yoff, adv;
};
struct Font {
  std::string name;
  int tex = 0;
  int height = 0;
  int base = 0;
  std::map<int, Glyph> glyphs;
  float missing_adv = 0;  // advance of "?"
  // Advances of the ASCII code points, looked up without the map: texts
  // are measured again on every layout.
  float ascii_adv[128] = {};
};
std::vector<Font> g_fonts(1);

const Font* font_at(int font) {
  if (font <= 0 || font >= static_cast<int>(g_fonts.size())) return nullptr;
  return &g_fonts[font];
}

// The next code point of UTF-8 text (bytes that are not UTF-8 count as
// themselves).
int next_cp(const std::string& s, size_t* i) {
  unsigned char c = static_cast<unsigned char>(s[*i]);
  int n = c < 0x80             ? 0
          : (c & 0xe0) == 0xc0 ? 1
          : (c & 0xf0) == 0xe0 ? 2
          : (c & 0xf8) == 0xf0 ? 3
                               : -1;
  if (n <= 0 || *i + n >= s.size()) {
    (*i)++;
    return c;
  }
  int cp = c & (0x3f >> n);
  for (int k = 1; k <= n; k++) {
    unsigned char d = static_cast<unsigned char>(s[*i + k]);
    if ((d & 0xc0) != 0x80) {
      (*i)++;
      return c;
    }
    cp = (cp << 6) | (d & 0x3f);
  }
  *i += n + 1;
  return cp;
}

float advance(const Font& f, int cp) {
  if (cp >= 0 && cp < 128) return f.ascii_adv[cp];
  auto it = f.glyphs.find(cp);
  return it == f.glyphs.end() ? f.missing_adv : it->second.adv;
}

float line_width(const Font& f, const std::string& s) {
  float w = 0;
  for (size_t i = 0; i < s.size();) w += advance(f, next_cp(s, &i));
  return w;
}
}  // namespace

int font_load(const char* name) {
  if (!name || !*name) return 0;
  for (size_t i = 1; i < g_fonts.size(); i++)
    if (g_fonts[i].name == name) return static_cast<int>(i);
  var entry = g_driver ? g_driver->data["fonts"][name] : var();
  if (!entry.is_dict()) {
    std::fprintf(stderr, "font_load: no font %s\n", name);
    return 0;
  }
  Font f;
  f.name = name;
  f.tex = gfx_tex_load(var_str(entry["tex"]).c_str());
  if (!f.tex) {
    std::fprintf(stderr, "font_load: font %s has no texture\n", name);
    return 0;
  }
  f.height = static_cast<int>(entry["height"].num());
  f.base = static_cast<int>(entry["base"].num());
  var glyphs = entry["glyphs"];
  for (const std::string& key : glyphs.keys()) {
    var g = glyphs[key];
    if (!g.is_list() || g.len() != 7) {
      std::fprintf(stderr, "font_load: %s: bad glyph %s\n", name, key.c_str());
      continue;
    }
    Glyph gl{};
    float* slots[7] = {&gl.x, &gl.y, &gl.w, &gl.h, &gl.xoff, &gl.yoff, &gl.adv};
    for (int k = 0; k < 7; k++) *slots[k] = static_cast<float>(g[k].num());
    f.glyphs[std::atoi(key.c_str())] = gl;
  }
  auto q = f.glyphs.find('?');
  f.missing_adv = q == f.glyphs.end() ? 0 : q->second.adv;
  for (int cp = 0; cp < 128; cp++) {
    auto it = f.glyphs.find(cp);
    f.ascii_adv[cp] = it == f.glyphs.end() ? f.missing_adv : it->second.adv;
  }
  g_fonts.push_back(f);
  return static_cast<int>(g_fonts.size() - 1);
}

int font_height(int font) {
  const Font* f = font_at(font);
  return f ? f->height : 0;
}

float text_width(int font, const std::string& text) {
  const Font* f = font_at(font);
  return f ? line_width(*f, text) : 0.0f;
}

std::vector<std::string> text_wrap(int font, const std::string& text,
                                   float wrap) {
  std::vector<std::string> lines;
  const Font* f = font_at(font);
  size_t start = 0;
  while (true) {
    size_t nl = text.find('\n', start);
    std::string para = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!f || wrap <= 0) {
      lines.push_back(para);
    } else {
      // Greedy: words go on the line while they fit. Widths add up, so
      // each word is measured once. A word wider than a whole line is
      // broken at whole characters rather than run past the width.
      const float space = advance(*f, ' ');
      std::string line;
      float line_w = 0;
      size_t i = 0;
      while (i < para.size()) {
        size_t sp = para.find(' ', i);
        size_t end = sp == std::string::npos ? para.size() : sp;
        std::string word = para.substr(i, end - i);
        float word_w = line_width(*f, word);
        if (!line.empty() && line_w + space + word_w > wrap) {
          lines.push_back(line);
          line.clear();
          line_w = 0;
        }
        if (line.empty() && word_w > wrap) {
          size_t piece = 0;
          float piece_w = 0;
          for (size_t k = 0; k < word.size();) {
            size_t at = k;
            float a = advance(*f, next_cp(word, &k));
            if (piece_w + a > wrap && at > piece) {
              lines.push_back(word.substr(piece, at - piece));
              piece = at;
              piece_w = 0;
            }
            piece_w += a;
          }
          line = word.substr(piece);
          line_w = piece_w;
        } else {
          line_w = line.empty() ? word_w : line_w + space + word_w;
          if (!line.empty()) line += ' ';
          line += word;
        }
        if (sp == std::string::npos) break;
        i = sp + 1;
      }
      lines.push_back(line);
    }
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

void text_size(int font, const std::string& text, float wrap, float* w,
               float* h) {
  std::vector<std::string> lines = text_wrap(font, text, wrap);
  float mw = 0;
  for (const std::string& l : lines) mw = std::max(mw, text_width(font, l));
  *w = mw;
  *h = static_cast<float>(lines.size() * font_height(font));
}

void text_draw_wrapped(int font, const std::string& text, float x, float y,
                       float wrap, int align) {
  const Font* f = font_at(font);
  if (!f || !gfx_gl_ready()) return;
  if (gfx_sig_on()) {
    const float args[5] = {static_cast<float>(font), x, y, wrap, static_cast<float>(align)};
    gfx_sig_draw(GFX_OP_TEXT, args, 5);
    gfx_sig_bytes(text.data(), text.size());
    return;
  }
  std::vector<std::string> lines = text_wrap(font, text, wrap);
  float region = wrap;
  if (region <= 0)
    for (const std::string& l : lines) region = std::max(region, line_width(*f, l));
  int tw = 0, th = 0;
  gfx_tex_size(f->tex, &tw, &th);
  if (tw <= 0 || th <= 0 || !gfx_tex_bind(f->tex)) return;
  float c[4];
  gfx_color_get(c);
  gfx_drew();
  glEnable(GL_TEXTURE_2D);
  glColor4fv(c);
  glBegin(GL_QUADS);
  float ly = y;
  for (const std::string& l : lines) {
    float lw = line_width(*f, l);
    float px = x;
    if (align == 0) px = x + (region - lw) / 2;
    else if (align > 0) px = x + region - lw;
    for (size_t i = 0; i < l.size();) {
      int cp = next_cp(l, &i);
      auto it = f->glyphs.find(cp);
      if (it == f->glyphs.end()) {
        px += f->missing_adv;
        continue;
      }
      const Glyph& g = it->second;
      float gx = px + g.xoff, gy = ly + g.yoff;
      float u0 = g.x / tw, v0 = g.y / th, u1 = (g.x + g.w) / tw, v1 = (g.y + g.h) / th;
      glTexCoord2f(u0, v0);
      glVertex2f(gx, gy);
      glTexCoord2f(u1, v0);
      glVertex2f(gx + g.w, gy);
      glTexCoord2f(u1, v1);
      glVertex2f(gx + g.w, gy + g.h);
      glTexCoord2f(u0, v1);
      glVertex2f(gx, gy + g.h);
      px += g.adv;
    }
    ly += f->height;
  }
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

std::string text_fit(int font, const std::string& text, float width) {
  const Font* f = font_at(font);
  if (!f) return text;  // no font measures nothing
  // One pass: the prefix widths grow with every character, so the longest
  // cut that fits with the ellipsis is the last one seen before the whole
  // prefix runs past the width.
  const float ellipsis = line_width(*f, "...");
  float w = 0;       // the width of text[0, i)
  size_t keep = 0;   // the longest fitting cut that ends in no blank
  for (size_t i = 0; i < text.size();) {
    int cp = next_cp(text, &i);
    w += advance(*f, cp);
    if (w > width) return text.substr(0, keep) + "...";
    bool whole = i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (cp != ' ' && whole && w + ellipsis <= width) keep = i;
  }
  return text;
}
