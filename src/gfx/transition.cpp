// Screen transitions through two off-screen framebuffer targets.
#include "gfx/transition.h"

#include <cstdio>

#include "gfx/gfx.h"
#include "gfx/gl.h"

Transition g_transition;

// Counts the captures, so that a picture signature tells a captured
// picture from the one captured before it.
static unsigned g_captures = 0;

static int length_of(int type) {
  switch (type) {
    case TRANS_NONE: return 0;
    case TRANS_5:
    case TRANS_6:
    case TRANS_8: return 45;
    case TRANS_7: return 30;
    default: return 15;
  }
}

void transition_deinit() {
  Transition& t = g_transition;
  if (t.ready && gfx_gl_ready()) {
    glDeleteFramebuffersEXT(2, t.fbo);
    glDeleteTextures(2, t.tex);
  }
  t.fbo[0] = t.fbo[1] = t.tex[0] = t.tex[1] = 0;
  t.ready = false;
}

void transition_init() {
  Transition& t = g_transition;
  t.boxart = 1;
  t.ticks_since_capture = 1;
  // The old targets died with the old GL context.
  t.fbo[0] = t.fbo[1] = t.tex[0] = t.tex[1] = 0;
  t.ready = false;
  if (!gfx_gl_ready()) return;
  if (!GLEW_EXT_framebuffer_object || !glGenFramebuffersEXT) {
    std::fprintf(stderr, "transition_init: no framebuffer objects\n");
    return;
  }
  glGenTextures(2, t.tex);
  glGenFramebuffersEXT(2, t.fbo);
  for (int i = 0; i < 2; i++) {
    glBindTexture(GL_TEXTURE_2D, t.tex[i]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, TRANSITION_SIZE, TRANSITION_SIZE,
                 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t.fbo[i]);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                              GL_TEXTURE_2D, t.tex[i], 0);
    GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT)
      std::fprintf(stderr, "transition_init: target %d incomplete (0x%x)\n",
                   i + 1, status);
  }
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  t.ready = true;
}

void transition_paint_boxart() {
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  int img = gfx_img_load("boxart");
  if (!img) return;
  // Fitted whole into the view, centred.
  float aspect = gfx_img_aspect(img);
  float w = g_view.w, h = w / aspect;
  if (h > g_view.h) {
    h = g_view.h;
    w = h * aspect;
  }
  gfx_color(1, 1, 1, 1);
  gfx_img_draw(img, g_view.x0 + (g_view.w - w) / 2,
               g_view.y0 + (g_view.h - h) / 2, w, h);
}

static void capture(int target, transition_paint_fn paint, void* ctx) {
  Transition& t = g_transition;
  bool boxart = target == 1 && t.boxart;
  if (boxart) {
    t.boxart = 0;
    t.type = TRANS_FADE;
  }
  if (!t.ready || !gfx_gl_ready()) return;
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  int saved_w = g_view.target_w, saved_h = g_view.target_h;
  g_captures++;
  // The clears below are the target's, not the window's.
  gfx_drew();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t.fbo[target - 1]);
  g_view.target_w = g_view.target_h = TRANSITION_SIZE;
  glViewport(0, 0, TRANSITION_SIZE, TRANSITION_SIZE);
  if (boxart) {
    transition_paint_boxart();
  } else if (paint) {
    paint(ctx);
  } else {
    gfx_clear(0, 0, 0, 1);
  }
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  gfx_drew();
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  g_view.target_w = saved_w;
  g_view.target_h = saved_h;
}

void transition_start(int target, int type, transition_paint_fn paint,
                      void* ctx) {
  Transition& t = g_transition;
  if (type >= 0) {
    t.type = type;
    t.length = length_of(type);
    t.remaining = t.length;
  }
  if (t.type == TRANS_NONE) {
    t.remaining = 0;
    return;
  }
  if (target == 1 && t.ticks_since_capture < 1) return;
  if (target == 1 || target == 2) capture(target, paint, ctx);
  t.ticks_since_capture = 0;
}

bool transition_running() { return g_transition.remaining > 0; }

void transition_tick() {
  Transition& t = g_transition;
  if (t.ticks_since_capture < 1000000) t.ticks_since_capture++;
  if (t.remaining > 0) t.remaining--;
}

float transition_p() {
  const Transition& t = g_transition;
  if (t.length <= 0) return 1.0f;
  return 1.0f - static_cast<float>(t.remaining) / t.length;
}

void transition_draw_picture(int target, float scale, float alpha) {
  const Transition& t = g_transition;
  if (!t.ready || !gfx_gl_ready() || target < 1 || target > 2) return;
  if (gfx_sig_on()) {
    const float args[4] = {static_cast<float>(target), scale, alpha, static_cast<float>(g_captures)};
    gfx_sig_draw(GFX_OP_PICTURE, args, 4);
    gfx_color(1, 1, 1, 1);
    return;
  }
  gfx_drew();
  float cx = g_view.x0 + g_view.w / 2, cy = g_view.y0 + g_view.h / 2;
  float hw = g_view.w / 2 * scale, hh = g_view.h / 2 * scale;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, t.tex[target - 1]);
  glColor4f(1, 1, 1, alpha);
  glBegin(GL_QUADS);
  // The target holds the view upright with its top at v = 1.
  glTexCoord2f(0, 1);
  glVertex2f(cx - hw, cy - hh);
  glTexCoord2f(1, 1);
  glVertex2f(cx + hw, cy - hh);
  glTexCoord2f(1, 0);
  glVertex2f(cx + hw, cy + hh);
  glTexCoord2f(0, 0);
  glVertex2f(cx - hw, cy + hh);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  gfx_color(1, 1, 1, 1);
}

void transition_paint() {
  float p = transition_p();
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  switch (g_transition.type) {
    case TRANS_ZOOM:
      transition_draw_picture(1, 1 + 2 * p, 1 - p);
      transition_draw_picture(2, 0.5f + 0.5f * p, p);
      break;
    case TRANS_BZOOM:
      transition_draw_picture(1, 1 - p / 2, 1 - p);
      transition_draw_picture(2, 2 - p, p);
      break;
    case TRANS_FADE:
      transition_draw_picture(1, 1, 1);
      transition_draw_picture(2, 1, p);
      break;
    default:
      transition_draw_picture(2, 1, 1);
      break;
  }
}
