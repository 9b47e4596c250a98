// Screen transitions: capture rules, lengths, and the pictures each type
// draws at its ends and in the middle.
#include <gtest/gtest.h>

#include "gfx/transition.h"
#include "test_env.h"

using namespace tw_test;

namespace {
// The painters count the pictures they were asked for.
int reds, greens;
void paint_red(void*) {
  reds++;
  gfx_clear(1, 0, 0, 1);
  gfx_project();
}
void paint_green(void*) {
  greens++;
  gfx_clear(0, 1, 0, 1);
  gfx_project();
}

// A fresh pair of targets with the box-art picture already used up.
void fresh() {
  env();
  gfx_init(640, 640);
  transition_init();
  transition_start(1, TRANS_FADE, paint_red, nullptr);
  transition_start(2, -1, paint_red, nullptr);
  g_transition.remaining = 0;
  transition_tick();
}

// A switch of that type from red to green.
void red_to_green(int type) {
  transition_start(1, type, paint_red, nullptr);
  transition_start(2, -1, paint_green, nullptr);
}

void run_ticks(int n) {
  for (int i = 0; i < n; i++) transition_tick();
}
}  // namespace

TEST(Transition, LengthsAndTheNoneType) {
  fresh();
  const int lengths[9] = {0, 15, 15, 15, 15, 45, 45, 30, 45};
  for (int type = 0; type <= 8; type++) {
    transition_tick();
    transition_start(1, type, paint_red, nullptr);
    EXPECT_EQ(g_transition.length, lengths[type]) << type;
    EXPECT_EQ(g_transition.remaining, lengths[type]) << type;
  }
  ASSERT_TRUE(g_transition.ready);
  int before = reds + greens;
  transition_tick();
  int since = g_transition.ticks_since_capture;
  transition_start(1, TRANS_NONE, paint_red, nullptr);
  transition_start(2, -1, paint_red, nullptr);
  EXPECT_FALSE(transition_running());
  EXPECT_EQ(reds + greens, before);
  EXPECT_EQ(g_transition.ticks_since_capture, since);
}

TEST(Transition, OutgoingCaptureNeedsATickIncomingAlwaysHappens) {
  fresh();
  ASSERT_TRUE(g_transition.ready);
  // Red paints the outgoing pictures, green the incoming ones.
  int out = reds, in = greens;
  red_to_green(TRANS_ZOOM);
  // A second switch within the same tick keeps the first outgoing picture.
  red_to_green(TRANS_ZOOM);
  EXPECT_EQ(reds, out + 1);
  EXPECT_EQ(greens, in + 2);
  transition_tick();
  transition_start(1, TRANS_ZOOM, paint_red, nullptr);
  EXPECT_EQ(reds, out + 2);
}

TEST(Transition, BoxArtReplacesTheFirstOutgoingPictureAndFades) {
  env();
  gfx_init(640, 640);
  transition_init();
  EXPECT_EQ(g_transition.boxart, 1);
  red_to_green(TRANS_ZOOM);
  EXPECT_EQ(g_transition.type, TRANS_FADE);
  EXPECT_EQ(g_transition.boxart, 0);
  transition_paint();  // p = 0: the box art (blue) alone
  EXPECT_EQ(pixel(320, 320), 0x0000ffu);
}

TEST(Transition, FadeDrawsTheIncomingOverTheOutgoingWithAlphaP) {
  fresh();
  red_to_green(TRANS_FADE);
  ASSERT_TRUE(g_transition.ready);
  transition_paint();
  EXPECT_EQ(pixel(320, 320), 0xff0000u);
  run_ticks(5);  // p = 1/3
  transition_paint();
  uint32_t c = pixel(320, 320);
  EXPECT_NEAR(red(c), 170, 3);
  EXPECT_NEAR(green(c), 85, 3);
  run_ticks(10);
  EXPECT_FALSE(transition_running());
  transition_paint();
  EXPECT_EQ(pixel(0, 0), 0x00ff00u);
}

TEST(Transition, ZoomGrowsTheOutgoingAndBringsInTheIncoming) {
  fresh();
  red_to_green(TRANS_ZOOM);
  transition_paint();  // p = 0: outgoing whole at full alpha
  EXPECT_EQ(pixel(1, 1), 0xff0000u);
  run_ticks(6);  // p = 0.4: incoming at scale 0.7 covers 96..543
  float p = transition_p();
  EXPECT_FLOAT_EQ(p, 0.4f);
  transition_paint();
  uint32_t corner = pixel(50, 50), centre = pixel(320, 320);
  EXPECT_NEAR(red(corner), 255 * (1 - p), 3);
  EXPECT_EQ(green(corner), 0);
  EXPECT_NEAR(green(centre), 255 * p, 3);
  EXPECT_NEAR(red(centre), 255 * (1 - p) * (1 - p), 3);
  run_ticks(9);
  transition_paint();
  EXPECT_EQ(pixel(1, 1), 0x00ff00u);
}

TEST(Transition, BackZoomShrinksTheOutgoing) {
  fresh();
  red_to_green(TRANS_BZOOM);
  transition_paint();
  EXPECT_EQ(pixel(1, 1), 0xff0000u);
  run_ticks(9);  // p = 0.6: outgoing at scale 0.7 no longer reaches a corner
  float p = transition_p();
  transition_paint();
  uint32_t corner = pixel(50, 50), centre = pixel(320, 320);
  EXPECT_EQ(red(corner), 0);
  EXPECT_NEAR(green(corner), 255 * p, 3);
  EXPECT_NEAR(red(centre), 255 * (1 - p) * (1 - p), 3);
  run_ticks(6);
  transition_paint();
  EXPECT_EQ(pixel(320, 320), 0x00ff00u);
}
