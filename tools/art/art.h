// The picture catalogue the art tool fills: every named image with the
// texture it goes to ("" packs it into a shared atlas).
#pragma once
#include <string>
#include <vector>

#include "art/canvas.h"

namespace tw {

struct Image {
  std::string name;
  Canvas pic;
  std::string tex;
};

struct Art {
  std::vector<Image> images;
  void add(const std::string& name, Canvas pic, const std::string& tex = "") {
    images.push_back(Image{name, std::move(pic), tex});
  }
};

// Level icon positions on the sector map, read from the campaign file.
struct MapSpot {
  int sector, x, y;
};

// The palette of the tunnel world.
namespace pal {
constexpr uint32_t night = 0x0b0907, rock = 0x1d1814, wall = 0x3a3029, floor = 0x4a3e33;
constexpr uint32_t amber = 0xffaa55, gold = 0xffc83a, deep = 0x6a2b02, orange = 0xcd5f0a;
constexpr uint32_t rust = 0x883805, umber = 0x512000, cyan = 0x5fe3ff, red = 0xe0402a, green = 0x6fd35f;
}  // namespace pal

// A maze of corridors on a cell grid: true where the floor is.
struct Tunnels {
  int cols, rows;
  std::vector<bool> open;
  bool at(int x, int y) const { return x >= 0 && y >= 0 && x < cols && y < rows && open[y * cols + x]; }
  void carve(int x, int y) { if (x >= 0 && y >= 0 && x < cols && y < rows) open[y * cols + x] = true; }
  void carve_line(int x0, int y0, int x1, int y1);  // an L-shaped corridor
};
Tunnels make_tunnels(int cols, int rows, unsigned seed, float loops = 0.1f);

struct Lamp {
  float x, y, radius;
  Color col;
};
// Paints the tunnels seen from above at the cell size, lit by the lamps,
// with an ambient light level for the unlit parts.
Canvas paint_tunnels(int w, int h, const Tunnels& t, float cell, const std::vector<Lamp>& lamps, float ambient,
                     Color floor_tint, Color wall_tint, unsigned seed);

void add_ui_images(Art& art);
void add_map_images(Art& art, const std::vector<MapSpot>& spots);
void add_world_images(Art& art);

// Shared pieces.
Canvas glyph_icon(int codepoint, int size, Color col, float em = 0.72f);
Canvas cartridge_pic(int size, bool lit);
Canvas crystal_pic(int size, Color col);
extern const char* const kSans;
extern const char* const kSansBold;
extern const char* const kSerifBold;

}  // namespace tw
