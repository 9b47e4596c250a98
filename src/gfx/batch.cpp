// The triangle batch: images as textured triangles, drawn in one call per
// texture.
#include <vector>

#include "gfx/gfx.h"
#include "gfx/gl.h"

bool gfx_img_uv(int img, float u0, float v0, float u1, float v1, float uv[4]);

namespace {
struct Vertex {
  float x, y, u, v;
  uint8_t r, g, b, a;
};
std::vector<Vertex> g_batch;
int g_batch_tex = 0;
}  // namespace

void tri_batch_img(int img, float x, float y, float w, float h, uint32_t rgb) {
  if (gfx_sig_on()) {
    const float args[6] = {static_cast<float>(img), x, y, w, h, static_cast<float>(rgb)};
    gfx_sig_draw(GFX_OP_BATCH, args, 6);
    return;
  }
  float uv[4];
  if (!gfx_img_uv(img, 0, 0, 1, 1, uv)) return;
  int tex = gfx_img_tex(img);
  if (tex != g_batch_tex) {
    tri_batch_flush();
    g_batch_tex = tex;
  }
  uint8_t r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
  Vertex a{x, y, uv[0], uv[1], r, g, b, 255};
  Vertex bq{x + w, y, uv[2], uv[1], r, g, b, 255};
  Vertex c{x + w, y + h, uv[2], uv[3], r, g, b, 255};
  Vertex d{x, y + h, uv[0], uv[3], r, g, b, 255};
  g_batch.insert(g_batch.end(), {a, bq, c, a, c, d});
}

void tri_batch_flush() {
  if (g_batch.empty()) return;
  if (gfx_gl_ready() && gfx_tex_bind(g_batch_tex)) {
    gfx_drew();
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &g_batch[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &g_batch[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), &g_batch[0].r);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(g_batch.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_TEXTURE_2D);
    float c[4];
    gfx_color_get(c);
    glColor4fv(c);
  }
  g_batch.clear();
}
