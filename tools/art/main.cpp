// tw_mkart: paints every picture and font of the game.
//
//   tw_mkart <campaign.txt> <data dir> <catalogue fragment> <contact sheet png>
//
// Writes the textures into <data dir>/gfx, "icon32.bmp" into the data
// directory, the "textures", "images" and "fonts" members of "data.json" into
// the fragment, and one sheet of every picture for review.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <stb/stb_image_write.h>

#include "art/art.h"
#include "art/fonts.h"
#include "art/pack.h"
#include "common/out.h"

using namespace tw;

namespace {

constexpr int kAtlasSide = 2048, kPad = 2;

bool read_spots(const std::string& path, std::vector<MapSpot>& spots) {
  std::string text;
  if (!read_file(path, text)) return false;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ls(line);
    int number;
    MapSpot s;
    if (ls >> number >> s.sector >> s.x >> s.y) spots.push_back(s);
  }
  return true;
}

Canvas window_icon() {
  Canvas c(32, 32);
  c.fill(sd_box(16, 16, 16, 16, 5), solid(hex(pal::night)));
  c.fill(sd_cut(sd_ring(sd_circle(16, 19, 11), 2.5f), sd_box(16, 30, 16, 6)), solid(hex(pal::amber)));
  c.glow(sd_circle(16, 19, 3), hex(0xffe0a0, 0.9f), 5);
  c.fill(sd_circle(16, 19, 3), solid(hex(0xfff4d8)));
  return c;
}

bool write_bmp24(const std::string& path, const Canvas& c) {
  std::vector<uint8_t> rgba = c.rgba8(), rgb;
  for (size_t i = 0; i < rgba.size(); i += 4)
    for (int k = 0; k < 3; ++k) rgb.push_back(uint8_t(rgba[i + k] * rgba[i + 3] / 255));
  if (!stbi_write_bmp(path.c_str(), c.w, c.h, 3, rgb.data())) {
    std::fprintf(stderr, "write_bmp24(): cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

Canvas contact_sheet(const std::vector<Image>& images) {
  const int cw = 170, chh = 150, cols = 10;
  int rows = int(images.size() + cols - 1) / cols;
  Canvas sheet(cols * cw, rows * chh);
  sheet.shade([](float x, float y) {
    return (int(x / 10) + int(y / 10)) % 2 ? hex(0x404040) : hex(0x585858);
  });
  for (size_t i = 0; i < images.size(); ++i) {
    const Canvas& p = images[i].pic;
    int cx = int(i % cols) * cw, cy = int(i / cols) * chh;
    float k = std::min({1.0f, 150.0f / p.w, 120.0f / p.h});
    float w = p.w * k, h = p.h * k;
    sheet.draw_scaled(p, cx + (cw - w) / 2, cy + 4 + (120 - h) / 2, w, h);
    sheet.fill(sd_box(cx + cw / 2.0f, cy + 138.0f, cw / 2.0f - 2, 10), solid(hex(0x101010, 0.85f)));
    text_draw(sheet, kSans, 11, cx + 6.0f, cy + 142.0f, images[i].name, hex(0xffffff));
  }
  return sheet;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: tw_mkart <campaign.txt> <data dir> <catalogue fragment> <contact sheet png>\n");
    return 2;
  }
  std::string data = argv[2];
  std::vector<MapSpot> spots;
  if (!read_spots(argv[1], spots) || !make_dirs(data + "/gfx")) return 1;

  Art art;
  add_ui_images(art);
  add_map_images(art, spots);
  add_world_images(art);

  std::map<std::string, std::string> textures, images, fonts;
  // Pictures with a texture of their own.
  std::vector<std::pair<int, int>> sizes;
  std::vector<size_t> shared;
  for (size_t i = 0; i < art.images.size(); ++i) {
    const Image& im = art.images[i];
    if (images.count(im.name)) {
      std::fprintf(stderr, "tw_mkart: image \"%s\" is made twice\n", im.name.c_str());
      return 1;
    }
    images[im.name] = "";
    if (im.tex.empty()) {
      shared.push_back(i);
      sizes.push_back({im.pic.w, im.pic.h});
      continue;
    }
    std::string file = "gfx/" + im.tex + ".png";
    if (!write_png(data + "/" + file, im.pic)) return 1;
    textures[im.tex] = "{\"file\":\"" + file + "\",\"filter\":\"linear\"}";
    images[im.name] = "{\"tex\":\"" + im.tex + "\",\"rect\":[0,0," + std::to_string(im.pic.w) + "," +
                      std::to_string(im.pic.h) + "]}";
  }
  std::vector<Placed> at;
  int count = 0;
  if (!pack_rects(sizes, kAtlasSide, kPad, at, &count)) return 1;
  std::vector<Canvas> atlases(count, Canvas(kAtlasSide, kAtlasSide));
  for (size_t k = 0; k < shared.size(); ++k) {
    const Image& im = art.images[shared[k]];
    blit_extruded(atlases[at[k].tex], im.pic, at[k].x, at[k].y, kPad);
    images[im.name] = "{\"tex\":\"atlas" + std::to_string(at[k].tex) + "\",\"rect\":[" + std::to_string(at[k].x) +
                      "," + std::to_string(at[k].y) + "," + std::to_string(im.pic.w) + "," +
                      std::to_string(im.pic.h) + "]}";
  }
  for (int t = 0; t < count; ++t) {
    std::string name = "atlas" + std::to_string(t), file = "gfx/" + name + ".png";
    if (!write_png(data + "/" + file, atlases[t])) return 1;
    textures[name] = "{\"file\":\"" + file + "\",\"filter\":\"linear\"}";
  }

  int nfonts = 0;
  const FontSpec* specs = font_specs(&nfonts);
  for (int i = 0; i < nfonts; ++i) {
    Canvas tex;
    std::string entry, file = std::string("gfx/") + specs[i].name + ".png";
    if (!make_font(specs[i], tex, entry) || !write_png(data + "/" + file, tex)) return 1;
    textures[specs[i].name] = "{\"file\":\"" + file + "\",\"filter\":\"linear\"}";
    fonts[specs[i].name] = entry;
  }

  if (!write_bmp24(data + "/icon32.bmp", window_icon())) return 1;

  auto object = [](const std::map<std::string, std::string>& m) {
    std::string s = "{";
    for (const auto& kv : m) s += (s.size() > 1 ? ",\n  " : "\n  ") + json_str(kv.first) + ":" + kv.second;
    return s + "\n}";
  };
  std::string frag = "\"textures\":" + object(textures) + ",\n\"images\":" + object(images) +
                     ",\n\"fonts\":" + object(fonts);
  if (!write_file(argv[3], frag)) return 1;
  return write_png(argv[4], contact_sheet(art.images)) ? 0 : 1;
}
