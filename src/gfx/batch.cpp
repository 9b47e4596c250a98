// The triangle batch: images as textured triangles, drawn in one call per
// texture; and recorded pictures, drawn again from kept vertex arrays.
#include <vector>

#include "gfx/gfx.h"
#include "gfx/gl.h"

bool gfx_img_uv(int img, float u0, float v0, float u1, float v1, float uv[4]);
// lattice.cpp
size_t gfx_lattice_find(const std::vector<GfxRecording::Vertex>& verts, size_t first, size_t count,
                        GfxRecording::Lattice* out);
bool gfx_lattice_draw(GfxRecording::Lattice* l, int atlas, float x0, float y0, float x1, float y1);
void gfx_lattice_release(GfxRecording::Lattice* l);

namespace {
struct Vertex {
  float x, y, u, v;
  uint8_t r, g, b, a;
};
std::vector<Vertex> g_batch;
int g_batch_tex = 0;
GfxRecording* g_recording = nullptr;
// Every recording's content gets a number of its own, so that signatures
// of different recorded pictures differ.
uint64_t g_record_serial = 0;
}  // namespace

void tri_batch_img(int img, float x, float y, float w, float h, uint32_t rgb) {
  if (g_recording) {
    float uv[4];
    if (!gfx_img_uv(img, 0, 0, 1, 1, uv)) return;
    const float rgba[4] = {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, 1.0f};
    g_recording->add_batch(gfx_img_tex(img), x, y, w, h, uv, rgba);
    return;
  }
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

// Points GL's vertex, texture and colour arrays at interleaved vertices
// (position and texture pairs, then four colour values of colour_type).
template <typename V>
static void begin_vertex_arrays(const V* v, GLenum colour_type) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(V), &v->x);
  glTexCoordPointer(2, GL_FLOAT, sizeof(V), &v->u);
  glColorPointer(4, colour_type, sizeof(V), &v->r);
}

// Leaves the vertex arrays and texturing off and the current colour back in
// GL, as every other drawing path expects them after a batch.
static void end_vertex_arrays() {
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisable(GL_TEXTURE_2D);
  float c[4];
  gfx_color_get(c);
  glColor4fv(c);
}

void tri_batch_flush() {
  if (g_recording) g_recording->flush_batch();
  if (g_batch.empty()) return;
  if (gfx_gl_ready() && gfx_tex_bind(g_batch_tex)) {
    gfx_drew();
    glEnable(GL_TEXTURE_2D);
    begin_vertex_arrays(g_batch.data(), GL_UNSIGNED_BYTE);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(g_batch.size()));
    end_vertex_arrays();
  }
  g_batch.clear();
}

GfxRecording::~GfxRecording() {
  if (g_recording == this) g_recording = nullptr;
  for (Lattice& l : lattices_) gfx_lattice_release(&l);
}

void GfxRecording::clear() {
  verts_.clear();
  pending_.clear();
  runs_.clear();
  settled_runs_ = 0;
  for (Lattice& l : lattices_) gfx_lattice_release(&l);
  lattices_.clear();
  version_ = ++g_record_serial;
}

void GfxRecording::begin() {
  // What the batch holds was asked for before: it is drawn, not recorded.
  tri_batch_flush();
  g_recording = this;
  version_ = ++g_record_serial;
}

void gfx_record_end() {
  if (g_recording) {
    g_recording->flush_batch();
    g_recording->settle();
  }
  g_recording = nullptr;
}

void GfxRecording::settle() {
  std::vector<Run> runs(runs_.begin(), runs_.begin() + static_cast<long>(settled_runs_));
  for (size_t i = settled_runs_; i < runs_.size(); i++) {
    Run run = runs_[i];
    Lattice l;
    size_t n = run.quads || !run.tex ? 0 : gfx_lattice_find(verts_, run.first, run.count, &l);
    if (n) {
      runs.push_back(Run{run.tex, false, run.first, n, static_cast<int>(lattices_.size())});
      lattices_.push_back(std::move(l));
      run.first += n;
      run.count -= n;
    }
    if (run.count) runs.push_back(run);
  }
  runs_ = std::move(runs);
  settled_runs_ = runs_.size();
}

GfxRecording* gfx_recording() { return g_recording; }

// The quad's four corners, clockwise from (x, y), all in the one colour.
static void push_quad(std::vector<GfxRecording::Vertex>* out, float x, float y, float w, float h, const float uv[4],
                      const float rgba[4]) {
  const float r = rgba[0], g = rgba[1], b = rgba[2], a = rgba[3];
  out->insert(out->end(), {{x, y, uv[0], uv[1], r, g, b, a},
                           {x + w, y, uv[2], uv[1], r, g, b, a},
                           {x + w, y + h, uv[2], uv[3], r, g, b, a},
                           {x, y + h, uv[0], uv[3], r, g, b, a}});
}

void GfxRecording::add(int tex, bool quads, float x, float y, float w, float h, const float uv[4],
                       const float rgba[4]) {
  if (runs_.size() == settled_runs_ || runs_.back().tex != tex || runs_.back().quads != quads)
    runs_.push_back(Run{tex, quads, verts_.size() / 4, 0, -1});
  runs_.back().count++;
  push_quad(&verts_, x, y, w, h, uv, rgba);
}

void GfxRecording::add_batch(int tex, float x, float y, float w, float h, const float uv[4], const float rgba[4]) {
  if (tex != pending_tex_) flush_batch();
  pending_tex_ = tex;
  push_quad(&pending_, x, y, w, h, uv, rgba);
}

void GfxRecording::flush_batch() {
  if (pending_.empty()) return;
  if (runs_.size() == settled_runs_ || runs_.back().tex != pending_tex_ || runs_.back().quads)
    runs_.push_back(Run{pending_tex_, false, verts_.size() / 4, 0, -1});
  runs_.back().count += pending_.size() / 4;
  verts_.insert(verts_.end(), pending_.begin(), pending_.end());
  pending_.clear();
}

void GfxRecording::draw(float x0, float y0, float x1, float y1) const {
  if (gfx_sig_on()) {
    const float args[6] = {static_cast<float>(version_ & 0xffffff), static_cast<float>(version_ >> 24), x0, y0, x1, y1};
    gfx_sig_draw(GFX_OP_RECORDING, args, 6);
    return;
  }
  if (!gfx_gl_ready() || verts_.empty()) return;
  tri_batch_flush();
  gfx_drew();
  begin_vertex_arrays(verts_.data(), GL_FLOAT);
  for (const Run& run : runs_) {
    if (run.lattice >= 0 && gfx_lattice_draw(&lattices_[static_cast<size_t>(run.lattice)], run.tex, x0, y0, x1, y1))
      continue;
    // Only the quads that can reach the rectangle go to the renderer; the
    // order within the run stays as recorded.
    index_.clear();
    for (size_t q = run.first; q < run.first + run.count; q++) {
      const Vertex& a = verts_[q * 4];
      const Vertex& c = verts_[q * 4 + 2];
      float qx0 = a.x < c.x ? a.x : c.x, qx1 = a.x < c.x ? c.x : a.x;
      float qy0 = a.y < c.y ? a.y : c.y, qy1 = a.y < c.y ? c.y : a.y;
      if (qx1 < x0 || qx0 > x1 || qy1 < y0 || qy0 > y1) continue;
      unsigned v = static_cast<unsigned>(q * 4);
      if (run.quads)
        index_.insert(index_.end(), {v, v + 1, v + 2, v + 3});
      else
        index_.insert(index_.end(), {v, v + 1, v + 2, v, v + 2, v + 3});
    }
    if (index_.empty()) continue;
    if (run.tex) {
      if (!gfx_tex_bind(run.tex)) continue;
      glEnable(GL_TEXTURE_2D);
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    glDrawElements(run.quads ? GL_QUADS : GL_TRIANGLES, static_cast<GLsizei>(index_.size()), GL_UNSIGNED_INT,
                   index_.data());
  }
  end_vertex_arrays();
}
