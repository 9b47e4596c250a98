// The view, the colour state, plain drawing and the clip stack.
#include "gfx/gfx.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "driver/event.h"
#include "gfx/gl.h"

GfxView g_view;

namespace {
bool g_ready = false;
unsigned g_generation = 0;
int g_win_w = 640, g_win_h = 640;
float g_base_w = 640, g_base_h = 640;
float g_color_state[4] = {1, 1, 1, 1};
bool g_texturing = true;
struct Clip {
  int x, y, w, h;
};
std::vector<Clip> g_clips;
// The target holds nothing but the last clear (of this colour, unclipped).
bool g_clean = false;
float g_clean_color[4];
}  // namespace

void gfx_drew() { g_clean = false; }

void gfx_sig_state(float out[32]) {
  for (int i = 0; i < 4; i++) out[i] = g_color_state[i];
  if (g_ready)
    glGetFloatv(GL_MODELVIEW_MATRIX, out + 4);
  else
    std::fill(out + 4, out + 20, 0.0f);
  Clip c = g_clips.empty() ? Clip{-1, -1, -1, -1} : g_clips.back();
  out[20] = static_cast<float>(c.x);
  out[21] = static_cast<float>(c.y);
  out[22] = static_cast<float>(c.w);
  out[23] = static_cast<float>(c.h);
  out[24] = g_texturing ? 1.0f : 0.0f;
  out[25] = g_view.x0;
  out[26] = g_view.y0;
  out[27] = g_view.w;
  out[28] = g_view.h;
  out[29] = static_cast<float>(g_view.target_w);
  out[30] = static_cast<float>(g_view.target_h);
  out[31] = 0;
}

bool gfx_gl_ready() { return g_ready; }
unsigned gfx_gl_generation() { return g_generation; }
bool gfx_texturing_on() { return g_texturing; }
void gfx_textures_lost();  // texture.cpp

int gfx_init(int window_w, int window_h) {
  g_win_w = window_w > 0 ? window_w : 640;
  g_win_h = window_h > 0 ? window_h : 640;
  g_view.target_w = g_win_w;
  g_view.target_h = g_win_h;
  gfx_textures_lost();
  ++g_generation;
  glewExperimental = GL_TRUE;
  GLenum err = glewInit();
  if (err != GLEW_OK) {
    // GLEW only matters for the transition targets; drawing goes on.
    std::fprintf(stderr, "gfx_init: glewInit: %s\n",
                 reinterpret_cast<const char*>(glewGetErrorString(err)));
  }
  g_ready = true;
  g_clean = false;
  g_clips.clear();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gfx_set_view(640, 640);
  gfx_fit_view();
  return 0;
}

void gfx_deinit() {
  gfx_textures_lost();
  ++g_generation;
  g_ready = false;
  g_clean = false;
  g_clips.clear();
}

void gfx_frame_shown() { g_clean = false; }

void gfx_set_view(float w, float h) {
  g_base_w = w;
  g_base_h = h;
  g_view.x0 = 0;
  g_view.y0 = 0;
  g_view.w = w;
  g_view.h = h;
}

void gfx_fit_view() {
  float s = std::min(g_win_w / g_base_w, g_win_h / g_base_h);
  if (!(s > 0)) s = 1;
  g_view.w = g_win_w / s;
  g_view.h = g_win_h / s;
  g_view.x0 = (g_base_w - g_view.w) / 2;
  g_view.y0 = (g_base_h - g_view.h) / 2;
}

void gfx_project() {
  if (!g_ready) return;
  glViewport(0, 0, g_view.target_w, g_view.target_h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(g_view.x0, g_view.x0 + g_view.w, g_view.y0 + g_view.h,
             g_view.y0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  g_clips.clear();
  glDisable(GL_SCISSOR_TEST);
}

void gfx_window_to_view(float wx, float wy, float* vx, float* vy) {
  *vx = g_view.x0 + wx * g_view.w / g_win_w;
  *vy = g_view.y0 + wy * g_view.h / g_win_h;
}

void gfx_event_to_view(Event* e) {
  switch (e->type()) {
    case EVT_DOWN:
    case EVT_UP:
    case EVT_MOTION:
    case EVT_WHEEL: {
      float vx, vy;
      gfx_window_to_view(static_cast<float>(e->w[EVW_X]),
                         static_cast<float>(e->w[EVW_Y]), &vx, &vy);
      e->w[EVW_X] = static_cast<int32_t>(vx);
      e->w[EVW_Y] = static_cast<int32_t>(vy);
      e->w[EVW_DX] = static_cast<int32_t>(e->w[EVW_DX] * g_view.w / g_win_w);
      e->w[EVW_DY] = static_cast<int32_t>(e->w[EVW_DY] * g_view.h / g_win_h);
      break;
    }
    default:
      break;
  }
}

void gfx_color(float r, float g, float b, float a) {
  g_color_state[0] = r;
  g_color_state[1] = g;
  g_color_state[2] = b;
  g_color_state[3] = a;
  if (g_ready) glColor4fv(g_color_state);
}

void gfx_color_rgb(uint32_t rgb, float a) {
  gfx_color(((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f,
            (rgb & 255) / 255.0f, a);
}

void gfx_color_get(float out[4]) {
  for (int i = 0; i < 4; i++) out[i] = g_color_state[i];
}

void gfx_texturing(bool on) { g_texturing = on; }

void gfx_clear(float r, float g, float b, float a) {
  if (!g_ready) return;
  const float rgba[4] = {r, g, b, a};
  if (gfx_sig_on()) {
    gfx_sig_draw(GFX_OP_CLEAR, rgba, 4);
    return;
  }
  // Clearing again to the same colour changes no pixel: screens clear on
  // top of the game's own clear, and on a software renderer each costs a
  // pass over the whole window.
  bool clipped = !g_clips.empty();
  if (g_clean && !clipped && std::equal(rgba, rgba + 4, g_clean_color)) return;
  g_clean = !clipped;
  std::copy(rgba, rgba + 4, g_clean_color);
  glClearColor(r, g, b, a);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void gfx_rect(float x, float y, float w, float h) {
  if (!g_ready) return;
  if (GfxRecording* r = gfx_recording()) {
    const float uv[4] = {0, 0, 0, 0};
    r->add(0, true, x, y, w, h, uv, g_color_state);
    return;
  }
  if (gfx_sig_on()) {
    const float args[4] = {x, y, w, h};
    gfx_sig_draw(GFX_OP_RECT, args, 4);
    return;
  }
  gfx_drew();
  glDisable(GL_TEXTURE_2D);
  glColor4fv(g_color_state);
  glBegin(GL_QUADS);
  glVertex2f(x, y);
  glVertex2f(x + w, y);
  glVertex2f(x + w, y + h);
  glVertex2f(x, y + h);
  glEnd();
}

// The rectangle in the current modelview transform, in target pixels with
// GL's bottom-up rows.
static Clip clip_rect(float x, float y, float w, float h) {
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  float ax = m[0] * x + m[12], ay = m[5] * y + m[13];
  float bx = m[0] * (x + w) + m[12], by = m[5] * (y + h) + m[13];
  if (ax > bx) std::swap(ax, bx);
  if (ay > by) std::swap(ay, by);
  float sx = g_view.target_w / g_view.w, sy = g_view.target_h / g_view.h;
  int px0 = static_cast<int>((ax - g_view.x0) * sx + 0.5f);
  int px1 = static_cast<int>((bx - g_view.x0) * sx + 0.5f);
  int py0 = static_cast<int>((ay - g_view.y0) * sy + 0.5f);
  int py1 = static_cast<int>((by - g_view.y0) * sy + 0.5f);
  return Clip{px0, g_view.target_h - py1, px1 - px0, py1 - py0};
}

void gfx_clip_push(float x, float y, float w, float h) {
  Clip c = g_ready ? clip_rect(x, y, w, h) : Clip{0, 0, 0, 0};
  if (!g_clips.empty()) {
    const Clip& t = g_clips.back();
    int x0 = std::max(c.x, t.x), y0 = std::max(c.y, t.y);
    int x1 = std::min(c.x + c.w, t.x + t.w), y1 = std::min(c.y + c.h, t.y + t.h);
    c = Clip{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
  }
  if (c.w < 0) c.w = 0;
  if (c.h < 0) c.h = 0;
  g_clips.push_back(c);
  if (!g_ready) return;
  glEnable(GL_SCISSOR_TEST);
  glScissor(c.x, c.y, c.w, c.h);
}

void gfx_clip_pop() {
  if (g_clips.empty()) {
    std::fprintf(stderr, "gfx_clip_pop: the clip stack is empty\n");
    return;
  }
  g_clips.pop_back();
  if (!g_ready) return;
  if (g_clips.empty()) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    const Clip& c = g_clips.back();
    glScissor(c.x, c.y, c.w, c.h);
  }
}

int gfx_clip_depth() { return static_cast<int>(g_clips.size()); }
