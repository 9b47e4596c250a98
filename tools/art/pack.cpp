// Packs pictures into texture sheets with extruded edges and writes them as PNG files.
#include "art/pack.h"

#include <algorithm>
#include <cstdio>
#include <stb/stb_image_write.h>
#include <stb/stb_rect_pack.h>

namespace tw {

bool pack_rects(const std::vector<std::pair<int, int>>& sizes, int side, int pad, std::vector<Placed>& out,
                int* textures) {
  out.assign(sizes.size(), Placed());
  std::vector<bool> done(sizes.size(), false);
  size_t left = sizes.size();
  int tex = 0;
  while (left > 0) {
    stbrp_context ctx;
    std::vector<stbrp_node> nodes(side);
    stbrp_init_target(&ctx, side, side, nodes.data(), int(nodes.size()));
    std::vector<stbrp_rect> rects;
    for (size_t i = 0; i < sizes.size(); ++i) {
      if (done[i]) continue;
      if (sizes[i].first + 2 * pad > side || sizes[i].second + 2 * pad > side) {
        std::fprintf(stderr, "pack_rects(): a %dx%d picture does not fit a %d texture\n", sizes[i].first,
                     sizes[i].second, side);
        return false;
      }
      stbrp_rect r{};
      r.id = int(i);
      r.w = sizes[i].first + 2 * pad;
      r.h = sizes[i].second + 2 * pad;
      rects.push_back(r);
    }
    stbrp_pack_rects(&ctx, rects.data(), int(rects.size()));
    for (const stbrp_rect& r : rects) {
      if (!r.was_packed) continue;
      out[r.id] = Placed{tex, r.x + pad, r.y + pad};
      done[r.id] = true;
      --left;
    }
    ++tex;
  }
  *textures = tex;
  return true;
}

void blit_extruded(Canvas& tex, const Canvas& pic, int x, int y, int pad) {
  for (int v = -pad; v < pic.h + pad; ++v)
    for (int u = -pad; u < pic.w + pad; ++u) {
      int su = std::clamp(u, 0, pic.w - 1), sv = std::clamp(v, 0, pic.h - 1);
      int tx = x + u, ty = y + v;
      if (tx < 0 || ty < 0 || tx >= tex.w || ty >= tex.h) continue;
      for (int i = 0; i < 4; ++i)
        tex.px[(size_t(ty) * tex.w + tx) * 4 + i] = pic.px[(size_t(sv) * pic.w + su) * 4 + i];
    }
}

bool write_png(const std::string& path, const Canvas& c) {
  std::vector<uint8_t> px = c.rgba8();
  if (!stbi_write_png(path.c_str(), c.w, c.h, 4, px.data(), c.w * 4)) {
    std::fprintf(stderr, "write_png(): cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace tw
