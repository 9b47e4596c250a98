// Shared by the driver, renderer and widget tests: a temporary directory
// with a small data directory of our own, and a window under Xvfb.
#pragma once

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <dirent.h>
#include <stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "support/temp_dir.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"

namespace tw_test {

// Paths inside a temporary directory: dir / "name".
inline std::string operator/(const TempDir& d, const std::string& name) { return d.file(name); }

inline void write_file(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// A PNG whose pixel (x, y) is colour(x, y) as 0xAARRGGBB.
inline void write_png(const std::string& path, int w, int h,
                      const std::function<uint32_t(int, int)>& colour) {
  std::vector<unsigned char> px(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      uint32_t c = colour(x, y);
      unsigned char* p = &px[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = (c >> 16) & 255;
      p[1] = (c >> 8) & 255;
      p[2] = c & 255;
      p[3] = (c >> 24) & 255;
    }
  stbi_write_png(path.c_str(), w, h, 4, px.data(), w * 4);
}

// Image names that the widget factories use, all drawn from the white
// quadrant unless a test names another.
inline const char* const kWhiteImages[] = {
    "dialog-box",   "dialog-box1",  "dialog-box3",  "menu-box1",
    "menu-box2",    "menu-button1", "menu-button2", "menu-tab1",
    "menu-tab2",    "backbutton",   "stars",        "u_stars",
    "icon-play",    "icon-build",   "icon-quit",    "logo"};

// data/ in the directory: atlas.png 64 by 64 with quadrants red (top left),
// green (top right), blue (bottom left) and white (bottom right); images
// "red", "green", "blue", "white", "wide" (64 by 32, aspect 2) and
// "boxart" (blue); "menu-background" (red), "dialog-box2" and
// "backbutton-focus" (green); "glass" (white at half alpha); a font
// texture of solid white glyphs 8 wide and 16 high advancing by 10 (space:
// nothing drawn), as fonts "font1",
// "font2", "font15", "font3", "font2s"; samples and music entries.
inline std::string make_data(const std::string& root) {
  std::string data = root + "/data";
  mkdir(data.c_str(), 0755);
  write_png(data + "/atlas.png", 64, 64, [](int x, int y) -> uint32_t {
    if (y < 32) return x < 32 ? 0xffff0000 : 0xff00ff00;
    return x < 32 ? 0xff0000ff : 0xffffffff;
  });
  write_png(data + "/font.png", 16, 16, [](int, int) { return 0xffffffffu; });
  write_png(data + "/glass.png", 8, 8, [](int, int) { return 0x80ffffffu; });
  write_file(data + "/corrupt.png", "not a picture");
  std::string glyphs;
  for (int c = 32; c < 127; c++) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s\"%d\":[0,0,%d,16,0,0,10]",
                  glyphs.empty() ? "" : ",", c, c == 32 ? 0 : 8);
    glyphs += buf;
  }
  std::string font = "{\"tex\":\"font\",\"height\":16,\"base\":12,\"glyphs\":{" + glyphs + "}}";
  std::string images =
      "\"red\":{\"tex\":\"atlas\",\"rect\":[0,0,32,32]},"
      "\"green\":{\"tex\":\"atlas\",\"rect\":[32,0,32,32]},"
      "\"blue\":{\"tex\":\"atlas\",\"rect\":[0,32,32,32]},"
      "\"white\":{\"tex\":\"atlas\",\"rect\":[32,32,32,32]},"
      "\"wide\":{\"tex\":\"atlas\",\"rect\":[0,0,64,32]},"
      "\"boxart\":{\"tex\":\"atlas\",\"rect\":[0,32,32,32]},"
      "\"menu-background\":{\"tex\":\"atlas\",\"rect\":[0,0,32,32]},"
      "\"dialog-box2\":{\"tex\":\"atlas\",\"rect\":[32,0,32,32]},"
      "\"backbutton-focus\":{\"tex\":\"atlas\",\"rect\":[32,0,32,32]},"
      "\"broken\":{\"tex\":\"corrupt\",\"rect\":[0,0,8,8]},"
      "\"glass\":{\"tex\":\"glass\",\"rect\":[0,0,8,8]}";
  for (const char* n : kWhiteImages)
    images += std::string(",\"") + n + "\":{\"tex\":\"atlas\",\"rect\":[32,32,32,32]}";
  std::string json =
      "{\"textures\":{\"atlas\":{\"file\":\"atlas.png\",\"filter\":\"nearest\"},"
      "\"font\":{\"file\":\"font.png\",\"filter\":\"nearest\"},"
      "\"corrupt\":{\"file\":\"corrupt.png\"},"
      "\"glass\":{\"file\":\"glass.png\",\"filter\":\"nearest\"}},"
      "\"images\":{" + images + "},"
      "\"fonts\":{\"font1\":" + font + ",\"font2\":" + font + ",\"font15\":" +
      font + ",\"font3\":" + font + ",\"font2s\":" + font + "},"
      "\"samples\":{\"gui-change\":{\"file\":\"sfx/a.wav\",\"volume\":1.0},"
      "\"gui-click\":{\"file\":\"sfx/b.wav\",\"volume\":0.5},"
      "\"gui-down\":{\"file\":\"sfx/c.wav\"},"
      "\"gui-enter\":{\"file\":\"sfx/d.wav\"},"
      "\"map-enter\":{\"file\":\"sfx/e.wav\"}},"
      "\"music\":{\"mus-menus\":{\"file\":\"music/m.ogg\",\"volume\":0.5},"
      "\"mus-select\":{\"file\":\"music/s.ogg\",\"volume\":1.0}}}";
  write_file(data + "/data.json", json);
  return data;
}

// A driver over a fresh data directory, with a 640 by 640 window when
// `video` is set.
struct Env {
  TempDir dir;
  Driver driver;
  explicit Env(bool video) {
    g_driver = &driver;
    driver.data_dir = make_data(dir.path());
    driver.load_data();
    // As at the game's start: every texture decodes ahead in worker
    // threads, so the tests see them through that road.
    gfx_tex_prefetch();
    if (video) {
      driver.video_mode((640 << 16) | 640, -1, -1);
      gfx_init(driver.screen_w, driver.screen_h);
    }
  }
};

// The one window of the test process: the catalogues keep their entries
// for the run, so the data directory must live as long.
inline Env& env() {
  static Env e(true);
  return e;
}

// The colour of the window pixel (x, y), counted from the top left, as
// 0xRRGGBB.
inline uint32_t pixel(int x, int y) {
  unsigned char p[4] = {0, 0, 0, 0};
  glReadPixels(x, g_view.target_h - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return (static_cast<uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2];
}
// Each listed window pixel {x, y, colour} has its colour.
struct PixelIs {
  int x, y;
  uint32_t colour;
};
inline void expect_pixels(std::initializer_list<PixelIs> want) {
  for (const PixelIs& p : want) EXPECT_EQ(pixel(p.x, p.y), p.colour) << "at " << p.x << ", " << p.y;
}
inline int red(uint32_t c) { return (c >> 16) & 255; }
inline int green(uint32_t c) { return (c >> 8) & 255; }

inline void frame_start() {
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  gfx_color(1, 1, 1, 1);
}

}  // namespace tw_test
