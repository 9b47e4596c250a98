// Drawing images into the window and reading the pixels back.
#include <gtest/gtest.h>

#include "gfx/gfx.h"
#include "gfx/text.h"
#include "test_env.h"

using namespace tw_test;

TEST(Gfx, ImagesLandWhereAskedTintedByTheColour) {
  env();
  frame_start();
  int white = gfx_img_load("white");
  ASSERT_NE(white, 0);
  gfx_color(1, 0, 0, 1);
  gfx_img_draw(white, 100, 100, 50, 40);
  gfx_color(1, 1, 1, 1);
  gfx_img_draw(gfx_img_load("green"), 300, 10, 20, 20);
  EXPECT_EQ(pixel(100, 100), 0xff0000u);
  EXPECT_EQ(pixel(149, 139), 0xff0000u);
  EXPECT_EQ(pixel(150, 120), 0x000000u);
  EXPECT_EQ(pixel(120, 140), 0x000000u);
  EXPECT_EQ(pixel(99, 120), 0x000000u);
  EXPECT_EQ(pixel(310, 20), 0x00ff00u);
}

TEST(Gfx, AlphaBlendsAndPlainQuadsWithoutTexturing) {
  env();
  frame_start();
  gfx_color(1, 1, 1, 0.5f);
  gfx_img_draw(gfx_img_load("white"), 0, 0, 10, 10);
  EXPECT_NEAR(red(pixel(5, 5)), 128, 2);
  gfx_texturing(false);
  gfx_color(0, 0, 1, 1);
  gfx_img_draw(gfx_img_load("red"), 20, 0, 10, 10);
  gfx_img_draw(0, 40, 0, 10, 10);  // no image: still a quad in the colour
  gfx_texturing(true);
  EXPECT_EQ(pixel(25, 5), 0x0000ffu);
  EXPECT_EQ(pixel(45, 5), 0x0000ffu);
  gfx_color(1, 1, 1, 1);
  gfx_img_draw(0, 60, 0, 10, 10);  // no image, texturing on: nothing
  EXPECT_EQ(pixel(65, 5), 0x000000u);
}

TEST(Gfx, TranslucentTexelsBlendAtFullAlphaAndOpaqueOnesCover) {
  env();
  frame_start();
  gfx_color(1, 0, 0, 1);
  gfx_rect(0, 0, 40, 10);
  gfx_color(1, 1, 1, 1);
  gfx_img_draw(gfx_img_load("glass"), 0, 0, 20, 10);
  gfx_img_draw(gfx_img_load("white"), 20, 0, 20, 10);
  EXPECT_EQ(red(pixel(5, 5)), 255);
  EXPECT_NEAR(green(pixel(5, 5)), 128, 2);
  EXPECT_EQ(pixel(25, 5), 0xffffffu);
}

TEST(Gfx, CataloguesKeepIndexesAndAnswerZeroForBadEntries) {
  env();
  int a = gfx_img_load("blue");
  EXPECT_NE(a, 0);
  EXPECT_EQ(gfx_img_load("blue"), a);
  EXPECT_EQ(gfx_img_load("no-such-image"), 0);
  EXPECT_EQ(gfx_img_load("broken"), 0);  // its texture does not decode
  EXPECT_EQ(gfx_img_load(""), 0);
  EXPECT_EQ(gfx_tex_load("corrupt"), 0);
  EXPECT_FLOAT_EQ(gfx_img_aspect(gfx_img_load("wide")), 2.0f);
  EXPECT_FLOAT_EQ(gfx_img_aspect(0), 1.0f);
  int w, h;
  gfx_img_size(gfx_img_load("wide"), &w, &h);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 32);
}

TEST(Gfx, ClipStackIntersectsAndFollowsTheTransform) {
  env();
  frame_start();
  glTranslatef(10, 10, 0);
  gfx_clip_push(0, 0, 50, 50);
  gfx_clip_push(20, 20, 100, 100);
  gfx_color(1, 1, 1, 1);
  gfx_rect(0, 0, 200, 200);
  gfx_clip_pop();
  gfx_clip_pop();
  EXPECT_EQ(gfx_clip_depth(), 0);
  glLoadIdentity();
  EXPECT_EQ(pixel(35, 35), 0xffffffu);
  EXPECT_EQ(pixel(59, 59), 0xffffffu);
  EXPECT_EQ(pixel(61, 61), 0x000000u);
  EXPECT_EQ(pixel(25, 25), 0x000000u);
  gfx_clip_pop();  // an extra pop is logged and ignored
}

TEST(Gfx, TriangleBatchDrawsOnFlush) {
  env();
  frame_start();
  tri_batch_img(gfx_img_load("white"), 0, 0, 10, 10, 0xff0000);
  tri_batch_img(gfx_img_load("green"), 20, 0, 10, 10, 0xffffff);
  tri_batch_flush();
  EXPECT_EQ(pixel(5, 5), 0xff0000u);
  EXPECT_EQ(pixel(25, 5), 0x00ff00u);
}

TEST(Gfx, FitViewKeepsTheSquareCentredAndMapsThePointer) {
  env();
  // A window twice as wide as high shows 1280 by 640 units.
  gfx_init(1280, 640);
  EXPECT_FLOAT_EQ(g_view.w, 1280);
  EXPECT_FLOAT_EQ(g_view.h, 640);
  EXPECT_FLOAT_EQ(g_view.x0, -320);
  Event e(EVT_DOWN);
  e[EVW_X] = 640;
  e[EVW_Y] = 320;
  gfx_event_to_view(&e);
  EXPECT_EQ(e[EVW_X], 320);
  EXPECT_EQ(e[EVW_Y], 320);
  EXPECT_EQ(e[EVW_WIN_X], 0);  // untouched
  gfx_init(640, 640);
  EXPECT_FLOAT_EQ(g_view.x0, 0);
}

// A screen painted with signatures on: equal paints give equal signatures,
// any change in what or how it draws gives another, and nothing reaches
// the window.
TEST(Gfx, SignaturesTellPicturesApartAndDrawNothing) {
  env();
  frame_start();
  font_load("font1");
  struct Paint {
    float x = 10, alpha = 1;
    const char* text = "Play";
    bool clip = false;
    float shift = 0;
  };
  auto signature = [](const Paint& p) {
    gfx_sig_begin();
    gfx_clear(0, 0, 0, 1);
    gfx_project();
    glTranslatef(p.shift, 0, 0);
    if (p.clip) gfx_clip_push(0, 0, 100, 100);
    gfx_color(1, 1, 1, p.alpha);
    gfx_img_draw(gfx_img_load("white"), p.x, 10, 50, 40);
    text_draw_wrapped(font_load("font1"), p.text, 10, 60, 0, -1);
    tri_batch_img(gfx_img_load("green"), 20, 0, 10, 10, 0xffffff);
    tri_batch_flush();
    gfx_rect(200, 200, 5, 5);
    if (p.clip) gfx_clip_pop();
    return gfx_sig_end();
  };
  Paint base;
  uint64_t s = signature(base);
  EXPECT_EQ(signature(base), s);
  EXPECT_FALSE(gfx_sig_on());
  Paint moved, faded, retold, clipped, shifted;
  moved.x = 11;
  faded.alpha = 0.5f;
  retold.text = "Quit";
  clipped.clip = true;
  shifted.shift = 3;
  for (const Paint& p : {moved, faded, retold, clipped, shifted}) EXPECT_NE(signature(p), s);
  glLoadIdentity();
  for (int x : {15, 25, 202}) EXPECT_EQ(pixel(x, 15), 0x000000u) << x;
  EXPECT_EQ(pixel(202, 202), 0x000000u);
}

// A clear that would change no pixel is skipped; every other one clears.
TEST(Gfx, ClearsAfterDrawingOrClippingStillClear) {
  env();
  frame_start();
  gfx_clear(0, 0, 0, 1);
  gfx_color(1, 1, 1, 1);
  gfx_rect(0, 0, 20, 20);
  gfx_clear(0, 0, 0, 1);
  EXPECT_EQ(pixel(5, 5), 0x000000u);
  gfx_clip_push(0, 0, 10, 10);
  gfx_clear(1, 0, 0, 1);
  gfx_clip_pop();
  EXPECT_EQ(pixel(5, 5), 0xff0000u);
  EXPECT_EQ(pixel(15, 15), 0x000000u);
  gfx_clear(1, 0, 0, 1);
  EXPECT_EQ(pixel(15, 15), 0xff0000u);
  gfx_frame_shown();
  gfx_clear(0, 0, 0, 1);
  EXPECT_EQ(pixel(15, 15), 0x000000u);
}
