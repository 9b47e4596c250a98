// tw_mkmovie: the intro and outro movies, VP8 in IVF files.
//
//   tw_mkmovie <data dir>
//
// Writes "intro.ivf" (walking into the tunnels, the title fading in) and
// "outro.ivf" (the light at the way out growing to daylight).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vpx/vp8cx.h>
#include <vpx/vpx_encoder.h>

#include "art/art.h"
#include "common/out.h"

using namespace tw;

namespace {

constexpr int W = 384, H = 216, FPS = 30;

void le(std::string& s, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) s += char((v >> (8 * i)) & 255);
}

void to_i420(const Canvas& c, vpx_image_t* img) {
  std::vector<uint8_t> rgba = c.rgba8();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint8_t* p = &rgba[(size_t(y) * W + x) * 4];
      img->planes[0][y * img->stride[0] + x] = uint8_t(std::clamp(16 + (66 * p[0] + 129 * p[1] + 25 * p[2] + 128) / 256, 0, 255));
    }
  for (int y = 0; y < H / 2; ++y)
    for (int x = 0; x < W / 2; ++x) {
      int r = 0, g = 0, b = 0;
      for (int k = 0; k < 4; ++k) {
        const uint8_t* p = &rgba[(size_t(2 * y + k / 2) * W + 2 * x + k % 2) * 4];
        r += p[0]; g += p[1]; b += p[2];
      }
      r /= 4; g /= 4; b /= 4;
      img->planes[1][y * img->stride[1] + x] = uint8_t(std::clamp(128 + (-38 * r - 74 * g + 112 * b + 128) / 256, 0, 255));
      img->planes[2][y * img->stride[2] + x] = uint8_t(std::clamp(128 + (112 * r - 94 * g - 18 * b + 128) / 256, 0, 255));
    }
}

bool encode(const std::string& path, int frames, const std::function<Canvas(int)>& frame) {
  vpx_codec_enc_cfg_t cfg;
  vpx_codec_ctx_t codec;
  if (vpx_codec_enc_config_default(vpx_codec_vp8_cx(), &cfg, 0)) {
    std::fprintf(stderr, "encode(): no VP8 encoder configuration\n");
    return false;
  }
  cfg.g_w = W;
  cfg.g_h = H;
  cfg.g_timebase.num = 1;
  cfg.g_timebase.den = FPS;
  cfg.rc_target_bitrate = 500;
  cfg.g_threads = 1;  // one thread keeps the output the same on every run
  cfg.g_lag_in_frames = 0;
  cfg.kf_max_dist = FPS * 2;
  if (vpx_codec_enc_init(&codec, vpx_codec_vp8_cx(), &cfg, 0)) {
    std::fprintf(stderr, "encode(): VP8 encoder start failed: %s\n", vpx_codec_error(&codec));
    return false;
  }
  vpx_codec_control(&codec, VP8E_SET_CPUUSED, 4);
  vpx_image_t img;
  vpx_img_alloc(&img, VPX_IMG_FMT_I420, W, H, 1);
  std::string body;
  int count = 0;
  bool ok = true;
  auto drain = [&]() {
    vpx_codec_iter_t it = nullptr;
    const vpx_codec_cx_pkt_t* pkt;
    while ((pkt = vpx_codec_get_cx_data(&codec, &it)) != nullptr) {
      if (pkt->kind != VPX_CODEC_CX_FRAME_PKT) continue;
      le(body, pkt->data.frame.sz, 4);
      le(body, uint64_t(pkt->data.frame.pts), 8);
      body.append(static_cast<const char*>(pkt->data.frame.buf), pkt->data.frame.sz);
      ++count;
    }
  };
  for (int i = 0; i < frames && ok; ++i) {
    to_i420(frame(i), &img);
    ok = vpx_codec_encode(&codec, &img, i, 1, 0, VPX_DL_GOOD_QUALITY) == VPX_CODEC_OK;
    drain();
  }
  ok = ok && vpx_codec_encode(&codec, nullptr, -1, 1, 0, VPX_DL_GOOD_QUALITY) == VPX_CODEC_OK;
  drain();
  if (!ok) std::fprintf(stderr, "encode(): %s: %s\n", path.c_str(), vpx_codec_error(&codec));
  vpx_img_free(&img);
  vpx_codec_destroy(&codec);
  if (!ok) return false;
  std::string out = "DKIF";
  le(out, 0, 2);
  le(out, 32, 2);
  out += "VP80";
  le(out, W, 2);
  le(out, H, 2);
  le(out, FPS, 4);
  le(out, 1, 4);
  le(out, uint64_t(count), 4);
  le(out, 0, 4);
  return write_file(path, out + body);
}

// A wide strip of tunnels the camera travels along.
Canvas strip(unsigned seed, float ambient) {
  Tunnels t = make_tunnels(80, 9, seed, 0.15f);
  t.carve_line(0, 4, 79, 4);
  return paint_tunnels(80 * 24, H, t, 24, {}, ambient, hex(0x8a7462), hex(0x5a4a3e), seed);
}

// Darkness with a pool of light around (lx, ly).
void light_pool(Canvas& c, float lx, float ly, float radius, float ambient) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      float d = std::hypot(x + 0.5f - lx, y + 0.5f - ly) / radius;
      float light = std::min(1.0f, ambient + std::exp(-d * d * 2.0f) * 1.4f);
      float* p = &c.px[(size_t(y) * W + x) * 4];
      p[0] = std::min(1.0f, p[0] * light * 1.05f);
      p[1] = std::min(1.0f, p[1] * light * 0.95f);
      p[2] = std::min(1.0f, p[2] * light * 0.8f);
    }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tw_mkmovie <data dir>\n");
    return 2;
  }
  std::string data = argv[1];
  if (!make_dirs(data)) return 1;
  Canvas world = strip(31, 1.0f);
  const int intro_frames = FPS * 4, outro_frames = FPS * 4;
  bool ok = encode(data + "/intro.ivf", intro_frames, [&](int i) {
    float t = float(i) / intro_frames;
    int cam = int(t * (world.w - W) * 0.5f);
    Canvas c = world.crop(cam, 0, W, H);
    float px = W * 0.35f + t * 40, py = 4 * 24 + 12;
    light_pool(c, px, py, 70, 0.05f);
    c.fill(sd_circle(px, py, 7), solid(hex(0x2f6f9f)));
    c.fill(sd_circle(px, py, 4), solid(hex(0xe8c8a0)));
    float a = std::clamp((t - 0.45f) * 3, 0.0f, 1.0f);
    if (a > 0) text_centred(c, kSansBold, 40, W / 2.0f, H * 0.3f, "TUNNELWICK", hex(pal::gold, a), 2);
    return c;
  });
  ok = ok && encode(data + "/outro.ivf", outro_frames, [&](int i) {
    float t = float(i) / outro_frames;
    Canvas c = world.crop(world.w - W, 0, W, H);
    light_pool(c, W * 0.8f, 4 * 24 + 12, 60 + t * t * 500, 0.05f + t * 0.5f);
    float white = std::clamp((t - 0.6f) * 2.5f, 0.0f, 1.0f);
    Canvas sky(W, H);
    sky.shade([&](float, float) { return hex(0xfff8e8, white); });
    c.draw(sky, 0, 0);
    if (white > 0.5f)
      text_centred(c, kSansBold, 26, W / 2.0f, H / 2.0f, "Daylight at last.", hex(0x6a2b02, (white - 0.5f) * 2));
    return c;
  });
  return ok ? 0 : 1;
}
