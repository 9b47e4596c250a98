// Recorded lattices of whole-cell images drawn in one pass by a fragment program that looks up each pixel's cell.
#include <cmath>
#include <cstdio>
#include <vector>

#include "gfx/gfx.h"
#include "gfx/gl.h"

namespace {
// Fewer cells than this are drawn as they were recorded.
const size_t kLatticeMin = 512;
// A lattice spread thinner than one cell in this many, or wider than the
// side, is drawn as recorded too: its table would cost more than it saves.
const size_t kLatticeSparse = 16;
const int kLatticeSide = 2048;
// With fewer cells in view than this, the triangles cost less than a pass
// over every pixel that looks each cell up.
const float kLatticeInView = 4096;

const char* const kVertex =
    "varying vec2 world;\n"
    "void main() {\n"
    "  world = gl_Vertex.xy;\n"
    "  gl_FrontColor = gl_Color;\n"
    "  gl_Position = ftransform();\n"
    "}\n";
// The cell under the pixel and the place in it are found as the rasteriser
// finds them for two triangles a cell: against cell edges snapped to its
// 1/256 pixel grid, a pixel centre on a left or a top edge going with the
// cell right of or below it.
const char* const kFragment =
    "uniform sampler2D atlas;\n"
    "uniform sampler2D cells;\n"
    "uniform vec4 area;\n"
    "uniform vec4 xform;\n"
    "varying vec2 world;\n"
    "float snap(float v) { return floor(v * 256.0 + 0.5) / 256.0; }\n"
    "vec2 edge(vec2 c) { return vec2(snap(xform.x * c.x + xform.z), snap(xform.y * c.y + xform.w)); }\n"
    "void main() {\n"
    "  vec2 c = floor(world);\n"
    "  vec2 p = gl_FragCoord.xy;\n"
    "  vec2 e0 = edge(c), e1 = edge(c + 1.0);\n"
    "  if (p.x < e0.x) c.x -= 1.0; else if (p.x >= e1.x) c.x += 1.0;\n"
    "  if (p.y >= e0.y) c.y -= 1.0; else if (p.y < e1.y) c.y += 1.0;\n"
    "  vec2 at = c - area.xy;\n"
    "  if (at.x < 0.0 || at.y < 0.0 || at.x >= area.z || at.y >= area.w) discard;\n"
    "  vec4 r = texture2D(cells, (at + 0.5) / area.zw);\n"
    "  if (r.x < -0.5) discard;\n"
    "  gl_FragColor = texture2D(atlas, mix(r.xy, r.zw, clamp(world - c, 0.0, 1.0))) * gl_Color;\n"
    "}\n";

struct Program {
  unsigned generation = 0;
  GLuint id = 0;
  GLint atlas = -1, cells = -1, area = -1, xform = -1;
  bool failed = false;
};
Program g_program;

GLuint compile(GLenum type, const char* src) {
  GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &src, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = "";
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    std::fprintf(stderr, "gfx lattice: shader not compiled: %s\n", log);
    glDeleteShader(s);
    return 0;
  }
  return s;
}

// The program of the current GL context, made on first use; null when this
// renderer has no programs or float textures (the caller then draws quads).
const Program* program() {
  Program& p = g_program;
  if (p.generation != gfx_gl_generation()) p = Program{gfx_gl_generation()};
  if (p.id || p.failed) return p.id ? &p : nullptr;
  p.failed = true;
  if (!GLEW_VERSION_2_0 || !(GLEW_VERSION_3_0 || GLEW_ARB_texture_float)) return nullptr;
  GLuint vs = compile(GL_VERTEX_SHADER, kVertex), fs = compile(GL_FRAGMENT_SHADER, kFragment);
  if (!vs || !fs) return nullptr;
  GLuint id = glCreateProgram();
  glAttachShader(id, vs);
  glAttachShader(id, fs);
  glLinkProgram(id);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(id, GL_LINK_STATUS, &ok);
  if (!ok) {
    std::fprintf(stderr, "gfx lattice: program not linked\n");
    glDeleteProgram(id);
    return nullptr;
  }
  p.id = id;
  p.atlas = glGetUniformLocation(id, "atlas");
  p.cells = glGetUniformLocation(id, "cells");
  p.area = glGetUniformLocation(id, "area");
  p.xform = glGetUniformLocation(id, "xform");
  p.failed = false;
  return &p;
}

// The current transform from recorded coordinates to window pixels, when it
// only scales and moves, x growing rightwards and y downwards on the window:
// window = a * point + b for each axis.
bool window_transform(float out[4]) {
  GLfloat m[16], p[16];
  GLint vp[4];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  glGetIntegerv(GL_VIEWPORT, vp);
  auto window = [&](float x, float y, float* wx, float* wy) {
    float mx = m[0] * x + m[4] * y + m[12], my = m[1] * x + m[5] * y + m[13];
    float nx = p[0] * mx + p[4] * my + p[12], ny = p[1] * mx + p[5] * my + p[13];
    *wx = vp[0] + (nx + 1) * 0.5f * vp[2];
    *wy = vp[1] + (ny + 1) * 0.5f * vp[3];
  };
  float x0, y0, x1, y1;
  window(0, 0, &x0, &y0);
  window(1, 1, &x1, &y1);
  bool plain = m[1] == 0 && m[4] == 0 && p[1] == 0 && p[4] == 0 && p[3] == 0 && p[7] == 0 && p[15] == 1;
  out[0] = x1 - x0;
  out[1] = y1 - y0;
  out[2] = x0;
  out[3] = y0;
  return plain && out[0] > 0 && out[1] < 0;
}

bool on_cell(const GfxRecording::Vertex& a, const GfxRecording::Vertex& c) {
  return c.x - a.x == 1 && c.y - a.y == 1 && a.x == std::floor(a.x) && a.y == std::floor(a.y) &&
         std::fabs(a.x) < (1 << 20) && std::fabs(a.y) < (1 << 20) && a.r == 1 && a.g == 1 && a.b == 1 && a.a == 1;
}
}  // namespace

// The longest front of the quads that forms a lattice (untinted unit quads
// on whole cells, no cell twice), when it has enough cells: its length, and
// the lattice in *out. 0 when there is none.
size_t gfx_lattice_find(const std::vector<GfxRecording::Vertex>& verts, size_t first, size_t count,
                        GfxRecording::Lattice* out) {
  size_t n = 0;
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (; n < count; n++) {
    const GfxRecording::Vertex& a = verts[(first + n) * 4];
    if (!on_cell(a, verts[(first + n) * 4 + 2])) break;
    if (n == 0 || a.x < x0) x0 = a.x;
    if (n == 0 || a.y < y0) y0 = a.y;
    if (n == 0 || a.x > x1) x1 = a.x;
    if (n == 0 || a.y > y1) y1 = a.y;
  }
  if (n < kLatticeMin || x1 - x0 >= kLatticeSide || y1 - y0 >= kLatticeSide) return 0;
  GfxRecording::Lattice l;
  l.x0 = static_cast<int>(x0);
  l.y0 = static_cast<int>(y0);
  l.w = static_cast<int>(x1 - x0) + 1;
  l.h = static_cast<int>(y1 - y0) + 1;
  if (static_cast<size_t>(l.w) * l.h > kLatticeSparse * n) return 0;
  l.cells.assign(static_cast<size_t>(l.w) * l.h * 4, -1.0f);
  size_t taken = 0;
  for (; taken < n; taken++) {
    const GfxRecording::Vertex& a = verts[(first + taken) * 4];
    const GfxRecording::Vertex& c = verts[(first + taken) * 4 + 2];
    float* cell = &l.cells[(static_cast<size_t>(a.y - l.y0) * l.w + static_cast<size_t>(a.x - l.x0)) * 4];
    if (cell[0] != -1.0f || cell[1] != -1.0f) break;  // a second quad on a cell: the lattice ends before it
    cell[0] = a.u;
    cell[1] = a.v;
    cell[2] = c.u;
    cell[3] = c.v;
  }
  if (taken < kLatticeMin) return 0;
  *out = std::move(l);
  return taken;
}

void gfx_lattice_release(GfxRecording::Lattice* l) {
  if (l->tex && l->generation == gfx_gl_generation() && gfx_gl_ready()) glDeleteTextures(1, &l->tex);
  l->tex = 0;
}

// Draws the lattice's cells that meet the rectangle with the atlas texture;
// false when this renderer cannot, or when so few cells are in view that
// their quads cost less (the caller then draws the quads).
bool gfx_lattice_draw(GfxRecording::Lattice* l, int atlas, float x0, float y0, float x1, float y1) {
  float qx0 = std::fmax(x0, static_cast<float>(l->x0)), qy0 = std::fmax(y0, static_cast<float>(l->y0));
  float qx1 = std::fmin(x1, static_cast<float>(l->x0 + l->w)), qy1 = std::fmin(y1, static_cast<float>(l->y0 + l->h));
  if (qx0 >= qx1 || qy0 >= qy1) return true;
  if ((qx1 - qx0) * (qy1 - qy0) < kLatticeInView) return false;
  const Program* p = program();
  float xform[4];
  if (!p || !window_transform(xform)) return false;
  if (l->generation != gfx_gl_generation()) l->tex = 0;
  if (!l->tex) {
    l->generation = gfx_gl_generation();
    glGenTextures(1, &l->tex);
    glBindTexture(GL_TEXTURE_2D, l->tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, l->w, l->h, 0, GL_RGBA, GL_FLOAT, l->cells.data());
  }
  if (!gfx_tex_bind(atlas)) return true;
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, l->tex);
  glActiveTexture(GL_TEXTURE0);
  glUseProgram(p->id);
  glUniform1i(p->atlas, 0);
  glUniform1i(p->cells, 1);
  glUniform4f(p->area, static_cast<float>(l->x0), static_cast<float>(l->y0), static_cast<float>(l->w),
              static_cast<float>(l->h));
  glUniform4f(p->xform, xform[0], xform[1], xform[2], xform[3]);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glVertex2f(qx0, qy0);
  glVertex2f(qx1, qy0);
  glVertex2f(qx1, qy1);
  glVertex2f(qx0, qy1);
  glEnd();
  glUseProgram(0);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
  return true;
}
