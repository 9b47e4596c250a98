// Drawing images into the window and reading the pixels back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "gfx/gfx.h"
#include "gfx/text.h"
#include "test_env.h"

using namespace tw_test;

namespace {
// A cleared frame drawn shifted, then scaled.
void frame_placed(float dx, float dy, float sx, float sy) {
  frame_start();
  glTranslatef(dx, dy, 0);
  glScalef(sx, sy, 1);
}
// The window's top left w by h pixels, row by row.
std::vector<uint32_t> grab(int w, int h) {
  std::vector<uint32_t> px;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) px.push_back(pixel(x, y));
  return px;
}
// How many colour channels of two grabs differ by more than `slack`.
int channels_apart(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int slack) {
  int apart = 0;
  for (size_t i = 0; i < a.size(); i++)
    for (int shift : {0, 8, 16})
      apart += std::abs(static_cast<int>((a[i] >> shift) & 255) - static_cast<int>((b[i] >> shift) & 255)) > slack;
  return apart;
}
}  // namespace

TEST(Gfx, ImagesLandWhereAskedTintedByTheColour) {
  env();
  frame_start();
  int white = gfx_img_load("white");
  ASSERT_NE(white, 0);
  gfx_color(1, 0, 0, 1);
  gfx_img_draw(white, 100, 100, 50, 40);
  gfx_color(1, 1, 1, 1);
  gfx_img_draw(gfx_img_load("green"), 300, 10, 20, 20);
  expect_pixels({{100, 100, 0xff0000u}, {149, 139, 0xff0000u}, {150, 120, 0x000000u},
                 {120, 140, 0x000000u}, {99, 120, 0x000000u}, {310, 20, 0x00ff00u}});
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
  // Translucent texels blend at full colour alpha; opaque ones cover.
  gfx_color(1, 0, 0, 1);
  gfx_rect(0, 20, 40, 10);
  gfx_color(1, 1, 1, 1);
  gfx_img_draw(gfx_img_load("glass"), 0, 20, 20, 10);
  gfx_img_draw(gfx_img_load("white"), 20, 20, 20, 10);
  EXPECT_EQ(red(pixel(5, 25)), 255);
  EXPECT_NEAR(green(pixel(5, 25)), 128, 2);
  EXPECT_EQ(pixel(25, 25), 0xffffffu);
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
  expect_pixels({{35, 35, 0xffffffu}, {59, 59, 0xffffffu}, {61, 61, 0x000000u}, {25, 25, 0x000000u}});
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
// any change in what or how it draws (every argument of every drawing
// function, the colour, the transform, the clip, texturing) gives another,
// and nothing reaches the window.
TEST(Gfx, AnyChangeOfWhatWouldBeDrawnChangesTheSignature) {
  env();
  frame_start();
  int font = font_load("font1");
  const int kArgs = 26;
  struct Paint {
    float a[kArgs] = {0, 0, 0, 1,  10, 10, 50, 40,  0.1f, 0.2f, 0.9f, 0.8f,
                      20, 5, 10, 10,  200, 200, 5, 5,  1, 1, 1, 1,  10, 60};
    const char* text = "Play";
    bool clip = false, untextured = false;
    float shift = 0;
  };
  auto signature = [font](const Paint& p) {
    const float* a = p.a;
    gfx_sig_begin();
    gfx_clear(a[0], a[1], a[2], a[3]);
    gfx_project();
    glTranslatef(p.shift, 0, 0);
    if (p.clip) gfx_clip_push(0, 0, 100, 100);
    gfx_color(a[20], a[21], a[22], a[23]);
    gfx_img_draw_part(gfx_img_load("white"), a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11]);
    text_draw_wrapped(font, p.text, a[24], a[25], 0, -1);
    tri_batch_img(gfx_img_load("green"), a[12], a[13], a[14], a[15], 0xffffff);
    tri_batch_flush();
    gfx_texturing(!p.untextured);
    gfx_rect(a[16], a[17], a[18], a[19]);
    gfx_img_draw(gfx_img_load("red"), 300, 300, 4, 4);
    gfx_texturing(true);
    if (p.clip) gfx_clip_pop();
    return gfx_sig_end();
  };
  Paint base;
  uint64_t s = signature(base);
  EXPECT_EQ(signature(base), s);
  EXPECT_FALSE(gfx_sig_on());
  for (int i = 0; i < kArgs; i++)
    for (float delta : {1.0f, 1.0f / 1024}) {
      Paint p;
      p.a[i] += delta;
      EXPECT_NE(signature(p), s) << "argument " << i << " changed by " << delta;
    }
  Paint retold, clipped, shifted, untextured;
  retold.text = "Plan";
  clipped.clip = true;
  shifted.shift = 3;
  untextured.untextured = true;
  for (const Paint& p : {retold, clipped, shifted, untextured}) EXPECT_NE(signature(p), s);
  glLoadIdentity();
  for (int x : {15, 25, 202}) EXPECT_EQ(pixel(x, 15), 0x000000u) << x;
  EXPECT_EQ(pixel(202, 202), 0x000000u);
}

// Bytes folded into a signature: any byte changed, at any place and for any
// length, and any length changed, gives another signature.
TEST(Gfx, EveryByteAndTheLengthOfFoldedDataCount) {
  auto sig = [](const std::vector<unsigned char>& b) {
    gfx_sig_begin();
    gfx_sig_bytes(b.data(), b.size());
    return gfx_sig_end();
  };
  for (size_t n = 1; n <= 40; n++) {
    std::vector<unsigned char> b(n);
    for (size_t i = 0; i < n; i++) b[i] = static_cast<unsigned char>(i * 37 + n);
    uint64_t s = sig(b);
    for (size_t i = 0; i < n; i++)
      for (int bit : {0, 7}) {
        std::vector<unsigned char> c = b;
        c[i] ^= static_cast<unsigned char>(1 << bit);
        EXPECT_NE(sig(c), s) << "length " << n << " byte " << i << " bit " << bit;
      }
    std::vector<unsigned char> longer = b;
    longer.push_back(0);
    EXPECT_NE(sig(longer), s) << "length " << n;
  }
}

// A recorded picture drawn again shows exactly what drawing it directly
// shows (batch, tinted images, plain quads, in their order, under the
// transform of the moment), leaves out only what misses the rectangle, and
// its signature changes with the recording and the rectangle.
TEST(Gfx, ARecordingDrawsWhatItRecorded) {
  env();
  int white = gfx_img_load("white"), green = gfx_img_load("green"), red = gfx_img_load("red");
  auto scene = [&] {
    tri_batch_img(green, 0, 0, 4, 4, 0xffffff);
    tri_batch_img(white, 2, 2, 4, 4, 0x8040ff);
    gfx_color(1, 0, 0, 0.5f);
    gfx_img_draw_part(white, 3, 0, 3, 3, 0, 0, 1, 1);
    gfx_texturing(false);
    gfx_color(0, 0, 1, 0.75f);
    gfx_img_draw(red, 1, 3, 2, 2);
    gfx_texturing(true);
    gfx_color(0.5f, 1, 1, 1);
    gfx_rect(5, 5, 1, 1);
    tri_batch_img(red, 20, 20, 1, 1, 0xffffff);  // outside the rectangle below
    tri_batch_flush();
    gfx_color(1, 1, 1, 1);
  };
  auto transform = [] { frame_placed(13.5f, 7.25f, 21.3f, 19.7f); };
  transform();
  scene();
  std::vector<uint32_t> direct = grab(160, 160);

  GfxRecording rec;
  rec.begin();
  ASSERT_EQ(gfx_recording(), &rec);
  transform();
  scene();
  gfx_record_end();
  EXPECT_EQ(gfx_recording(), nullptr);
  EXPECT_EQ(rec.quad_count(), 6u);
  glLoadIdentity();
  EXPECT_EQ(pixel(50, 50), 0x000000u);  // recording draws nothing
  transform();
  rec.draw(0, 0, 8, 8);
  EXPECT_EQ(channels_apart(grab(160, 160), direct, 0), 0);
  EXPECT_EQ(pixel(13 + 21 * 20 + 10, 7 + 20 * 20 + 10), 0x000000u);  // culled
  rec.draw(19, 19, 22, 22);
  EXPECT_EQ(pixel(13 + 21 * 20 + 10, 7 + 20 * 20 + 10), 0xff0000u);

  auto sig = [&](float x1) {
    gfx_sig_begin();
    rec.draw(0, 0, x1, 8);
    return gfx_sig_end();
  };
  uint64_t s = sig(8);
  EXPECT_EQ(sig(8), s);
  EXPECT_NE(sig(9), s);
  rec.begin();
  gfx_record_end();
  EXPECT_NE(sig(8), s);

  // A large lattice of cells (drawn in one pass) looks as the cells drawn
  // one by one: every cell where it was, no pixel more than a rounding step
  // away, whatever is drawn over it still over it.
  const int imgs[4] = {red, green, gfx_img_load("blue"), white};
  auto lattice = [&] {
    for (int y = 0; y < 40; y++)
      for (int x = 0; x < 40; x++)
        if ((x * 7 + y * 3) % 11) tri_batch_img(imgs[(x * 5 + y) % 4], x - 3.0f, y - 2.0f, 1, 1, 0xffffff);
    tri_batch_img(imgs[0], 4, 4, 1, 1, 0xffffff);  // on a cell taken: over it
    tri_batch_flush();
  };
  frame_placed(3.3f, 7.61f, 4.7573f, 5.131f);
  lattice();
  direct = grab(200, 220);
  GfxRecording grid;
  grid.begin();
  lattice();
  gfx_record_end();
  frame_placed(3.3f, 7.61f, 4.7573f, 5.131f);
  grid.draw(-10, -10, 50, 50);
  std::vector<uint32_t> recorded = grab(200, 220);
  EXPECT_EQ(channels_apart(recorded, direct, 2), 0) << "of " << direct.size() * 3;
  EXPECT_EQ(recorded[30 * 200 + 24], 0xff0000u);
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
