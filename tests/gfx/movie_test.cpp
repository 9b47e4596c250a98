// The movie player on IVF files made here with the VP8 encoder.
#include <gtest/gtest.h>
#include <vpx/vp8cx.h>
#include <vpx/vpx_encoder.h>

#include <cstring>

#include "gfx/movie.h"
#include "test_env.h"

using namespace tw_test;

namespace {
void put16(std::string* s, int v) {
  s->push_back(static_cast<char>(v & 255));
  s->push_back(static_cast<char>((v >> 8) & 255));
}
void put32(std::string* s, uint32_t v) {
  for (int i = 0; i < 4; i++) s->push_back(static_cast<char>((v >> (8 * i)) & 255));
}

// `frames` frames of 32 by 32 at `fps`; frame k is grey at level 40 + 20k.
std::string make_ivf(int frames, int fps) {
  vpx_codec_enc_cfg_t cfg;
  vpx_codec_enc_config_default(vpx_codec_vp8_cx(), &cfg, 0);
  cfg.g_w = 32;
  cfg.g_h = 32;
  cfg.g_timebase.num = 1;
  cfg.g_timebase.den = fps;
  cfg.rc_target_bitrate = 400;
  cfg.g_lag_in_frames = 0;
  vpx_codec_ctx_t codec;
  if (vpx_codec_enc_init(&codec, vpx_codec_vp8_cx(), &cfg, 0) != VPX_CODEC_OK)
    return "";
  vpx_image_t img;
  vpx_img_alloc(&img, VPX_IMG_FMT_I420, 32, 32, 1);
  std::string body;
  int count = 0;
  auto drain = [&]() {
    vpx_codec_iter_t it = nullptr;
    while (const vpx_codec_cx_pkt_t* pkt = vpx_codec_get_cx_data(&codec, &it)) {
      if (pkt->kind != VPX_CODEC_CX_FRAME_PKT) continue;
      put32(&body, static_cast<uint32_t>(pkt->data.frame.sz));
      put32(&body, static_cast<uint32_t>(pkt->data.frame.pts));
      put32(&body, 0);
      body.append(static_cast<const char*>(pkt->data.frame.buf), pkt->data.frame.sz);
      count++;
    }
  };
  for (int k = 0; k < frames; k++) {
    for (int y = 0; y < 32; y++)
      std::memset(img.planes[0] + y * img.stride[0], 40 + 20 * k, 32);
    for (int y = 0; y < 16; y++) {
      std::memset(img.planes[1] + y * img.stride[1], 128, 16);
      std::memset(img.planes[2] + y * img.stride[2], 128, 16);
    }
    vpx_codec_encode(&codec, &img, k, 1, 0, VPX_DL_GOOD_QUALITY);
    drain();
  }
  vpx_codec_encode(&codec, nullptr, -1, 1, 0, VPX_DL_GOOD_QUALITY);
  drain();
  vpx_img_free(&img);
  vpx_codec_destroy(&codec);
  std::string out = "DKIF";
  put16(&out, 0);
  put16(&out, 32);
  out += "VP80";
  put16(&out, 32);
  put16(&out, 32);
  put32(&out, fps);
  put32(&out, 1);
  put32(&out, count);
  put32(&out, 0);
  return out + body;
}

// Runs the movie at 60 steps a second; answers the steps until it ended.
int play(Movie* m) {
  int steps = 0;
  while (movie_advance(m, 1.0 / 60) && steps < 10000) steps++;
  return steps;
}
}  // namespace

TEST(Movie, PlaysEveryFrameAtTheFileRateThenEnds) {
  std::string ivf = make_ivf(10, 20);
  ASSERT_GT(ivf.size(), 32u);
  Movie* m = movie_open_bytes(ivf);
  EXPECT_EQ(movie_frame_count(m), 10);
  EXPECT_DOUBLE_EQ(movie_fps(m), 20.0);
  EXPECT_FALSE(movie_ended(m));
  ASSERT_TRUE(movie_advance(m, 0));
  EXPECT_EQ(movie_frames_decoded(m), 1);
  ASSERT_EQ(movie_pixels(m).size(), 32u * 32 * 4);
  int grey0 = movie_pixels(m)[0];
  int steps = play(m);
  // Ten frames of 1/20 s are half a second: 30 steps, give or take one.
  EXPECT_NEAR(steps, 30, 1);
  EXPECT_TRUE(movie_ended(m));
  EXPECT_EQ(movie_frames_decoded(m), 10);
  EXPECT_GT(movie_pixels(m)[0], grey0 + 100);  // the last frame is brighter
  EXPECT_EQ(movie_width(m), 32);
  movie_close(m);
}

TEST(Movie, BrokenFilesEndWithoutACrash) {
  std::string ivf = make_ivf(6, 30);
  Movie* cut = movie_open_bytes(ivf.substr(0, ivf.size() - 40));
  play(cut);
  EXPECT_TRUE(movie_ended(cut));
  EXPECT_LT(movie_frames_decoded(cut), 6);
  movie_close(cut);

  std::string garbled = ivf;
  for (size_t i = 60; i < garbled.size(); i++) garbled[i] = static_cast<char>(i * 7);
  Movie* bad = movie_open_bytes(garbled);
  play(bad);
  EXPECT_TRUE(movie_ended(bad));
  movie_close(bad);

  for (const std::string& junk : {std::string(), std::string("DKIF"), std::string(40, 'x')}) {
    Movie* m = movie_open_bytes(junk);
    EXPECT_TRUE(movie_ended(m));
    EXPECT_FALSE(movie_advance(m, 1));
    movie_close(m);
  }
  env();
  Movie* missing = movie_open("no-such.ivf");
  EXPECT_TRUE(movie_ended(missing));
  movie_close(missing);
}

TEST(Movie, PaintsTheCurrentFrame) {
  env();
  Movie* m = movie_open_bytes(make_ivf(3, 30));
  movie_advance(m, 0);
  frame_start();
  movie_paint(m, 0, 0, 64, 64);
  uint32_t c = pixel(32, 32);
  EXPECT_NEAR(red(c), movie_pixels(m)[0], 4);
  EXPECT_EQ(pixel(100, 100), 0u);
  movie_close(m);
}

TEST(Movie, FrameSurvivesANewVideoMode) {
  env();
  Movie* m = movie_open_bytes(make_ivf(3, 30));
  movie_advance(m, 0);
  frame_start();
  movie_paint(m, 0, 0, 64, 64);
  // A new video mode takes every GL object of the old context with it.
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  ASSERT_NE(bound, 0);
  GLuint old = static_cast<GLuint>(bound);
  glDeleteTextures(1, &old);
  gfx_deinit();
  gfx_init(640, 640);
  frame_start();
  movie_paint(m, 0, 0, 64, 64);  // no new frame decoded since
  EXPECT_NEAR(red(pixel(32, 32)), movie_pixels(m)[0], 4);
  movie_close(m);
}
