// Every resource that "data.json" names loads, and the other files of the
// data directory are what the game expects.
#include <dumb.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <stb/stb_image.h>
#include <vorbis/vorbisfile.h>
#include <vpx/vp8dx.h>
#include <vpx/vpx_decoder.h>

#include "content_util.h"

using namespace twtest;

namespace {

struct Size {
  int w = 0, h = 0;
};

// Loads every texture once.
const std::map<std::string, Size>& textures() {
  static std::map<std::string, Size> sizes;
  static bool done = false;
  if (done) return sizes;
  done = true;
  const rapidjson::Value& t = catalogue()["textures"];
  for (auto it = t.MemberBegin(); it != t.MemberEnd(); ++it) {
    int w, h, n;
    unsigned char* px = stbi_load(data_path(it->value["file"].GetString()).c_str(), &w, &h, &n, 4);
    if (px) sizes[it->name.GetString()] = Size{w, h};
    stbi_image_free(px);
  }
  return sizes;
}

struct Wav {
  int format = 0, channels = 0, rate = 0, bits = 0;
  size_t frames = 0;
};

bool parse_wav(const std::string& b, Wav& w) {
  auto u32 = [&](size_t o) { return uint32_t(uint8_t(b[o])) | uint32_t(uint8_t(b[o + 1])) << 8 |
                                    uint32_t(uint8_t(b[o + 2])) << 16 | uint32_t(uint8_t(b[o + 3])) << 24; };
  auto u16 = [&](size_t o) { return int(uint8_t(b[o])) | int(uint8_t(b[o + 1])) << 8; };
  if (b.size() < 12 || b.compare(0, 4, "RIFF") || b.compare(8, 4, "WAVE") || u32(4) + 8 != b.size()) return false;
  bool fmt = false;
  for (size_t o = 12; o + 8 <= b.size();) {
    uint32_t len = u32(o + 4);
    if (o + 8 + len > b.size()) return false;
    if (!b.compare(o, 4, "fmt ")) {
      w.format = u16(o + 8); w.channels = u16(o + 10); w.rate = int(u32(o + 12)); w.bits = u16(o + 22);
      fmt = true;
    } else if (!b.compare(o, 4, "data")) {
      if (!fmt || w.channels == 0 || w.bits == 0) return false;
      w.frames = len / (w.channels * w.bits / 8);
      return true;
    }
    o += 8 + len + (len & 1);
  }
  return false;
}

// Peak of the first second of a module rendered by a tracker player.
float module_peak(const std::string& path, bool xm) {
  dumb_register_stdfiles();
  DUH* duh = xm ? dumb_load_xm(path.c_str()) : dumb_load_mod(path.c_str());
  if (!duh) return -1;
  DUH_SIGRENDERER* r = duh_start_sigrenderer(duh, 0, 2, 0);
  std::vector<short> pcm(44100 * 2);
  long got = duh_render(r, 16, 0, 1.0f, 65536.0f / 44100, 44100, pcm.data());
  float peak = 0;
  for (long i = 0; i < got * 2; ++i) peak = std::max(peak, std::abs(pcm[i]) / 32768.0f);
  duh_end_sigrenderer(r);
  unload_duh(duh);
  return peak;
}

}  // namespace

TEST(Catalogue, HasFiveCataloguesAndTheirTexturesLoad) {
  const rapidjson::Document& d = catalogue();
  ASSERT_TRUE(d.IsObject()) << "data.json does not parse";
  for (const char* c : {"textures", "images", "fonts", "samples", "music"})
    ASSERT_TRUE(d.HasMember(c) && d[c].IsObject()) << c;
  EXPECT_EQ(textures().size(), d["textures"].MemberCount()) << "a texture file does not load";
}

TEST(Catalogue, ImagesLieInsideTheirTextures) {
  const rapidjson::Value& im = catalogue()["images"];
  EXPECT_GT(im.MemberCount(), 100u);
  for (auto it = im.MemberBegin(); it != im.MemberEnd(); ++it) {
    SCOPED_TRACE(it->name.GetString());
    auto t = textures().find(it->value["tex"].GetString());
    ASSERT_NE(t, textures().end());
    const rapidjson::Value& r = it->value["rect"];
    ASSERT_EQ(r.Size(), 4u);
    EXPECT_GE(r[0].GetInt(), 0);
    EXPECT_GE(r[1].GetInt(), 0);
    EXPECT_GT(r[2].GetInt(), 0);
    EXPECT_GT(r[3].GetInt(), 0);
    EXPECT_LE(r[0].GetInt() + r[2].GetInt(), t->second.w);
    EXPECT_LE(r[1].GetInt() + r[3].GetInt(), t->second.h);
  }
  // Sizes the screens lay out around.
  const rapidjson::Value& bg = im["menu-background"]["rect"];
  EXPECT_EQ(bg[2].GetInt(), 1137);
  EXPECT_EQ(bg[3].GetInt(), 640);
  const rapidjson::Value& chunk = im["map-chunk"]["rect"];
  EXPECT_FLOAT_EQ(213.0f / (float(chunk[2].GetInt()) / float(chunk[3].GetInt())), 160.0f);
  EXPECT_TRUE(im.HasMember("boxart"));
}

TEST(Catalogue, FontsCoverPrintableAscii) {
  const rapidjson::Value& f = catalogue()["fonts"];
  for (const char* name : {"font1", "font15", "font2", "font2s", "font3"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(f.HasMember(name));
    const rapidjson::Value& font = f[name];
    auto t = textures().find(font["tex"].GetString());
    ASSERT_NE(t, textures().end());
    int height = font["height"].GetInt(), base = font["base"].GetInt();
    EXPECT_GT(height, 8);
    EXPECT_GT(base, 0);
    EXPECT_LE(base, height);
    for (int cp = 32; cp <= 126; ++cp) {
      std::string key = std::to_string(cp);
      ASSERT_TRUE(font["glyphs"].HasMember(key.c_str())) << cp;
      const rapidjson::Value& g = font["glyphs"][key.c_str()];
      ASSERT_EQ(g.Size(), 7u);
      EXPECT_LE(g[0].GetInt() + g[2].GetInt(), t->second.w);
      EXPECT_LE(g[1].GetInt() + g[3].GetInt(), t->second.h);
      EXPECT_GT(g[6].GetInt(), 0) << "advance of " << cp;
      if (cp != ' ') {
        EXPECT_GT(g[2].GetInt() * g[3].GetInt(), 0) << "empty glyph " << cp;
      }
    }
  }
}

TEST(Catalogue, SamplesArePcmWaveInEveryLayout) {
  const rapidjson::Value& s = catalogue()["samples"];
  std::set<std::pair<int, int>> layouts;
  for (auto it = s.MemberBegin(); it != s.MemberEnd(); ++it) {
    SCOPED_TRACE(it->name.GetString());
    std::string bytes;
    ASSERT_TRUE(slurp(data_path(it->value["file"].GetString()), bytes));
    Wav w;
    ASSERT_TRUE(parse_wav(bytes, w));
    EXPECT_EQ(w.format, 1);
    EXPECT_TRUE(w.bits == 8 || w.bits == 16);
    EXPECT_TRUE(w.channels == 1 || w.channels == 2);
    EXPECT_GT(w.frames, 0u);
    double v = it->value["volume"].GetDouble();
    EXPECT_TRUE(v > 0 && v <= 1);
    layouts.insert({w.bits, w.channels});
  }
  EXPECT_EQ(layouts.size(), 4u) << "8 and 16 bits, mono and stereo should all be used";
}

TEST(Catalogue, MusicDecodesAndIsNotSilent) {
  const rapidjson::Value& m = catalogue()["music"];
  std::set<std::string> kinds;
  for (auto it = m.MemberBegin(); it != m.MemberEnd(); ++it) {
    SCOPED_TRACE(it->name.GetString());
    std::string path = data_path(it->value["file"].GetString());
    std::string ext = path.substr(path.rfind('.') + 1);
    kinds.insert(ext);
    if (ext == "ogg") {
      OggVorbis_File vf;
      ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0);
      EXPECT_GT(ov_time_total(&vf, -1), 4.0);
      char buf[4096];
      int bs = 0;
      long total = 0, n;
      short peak = 0;
      while (total < 200000 && (n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &bs)) > 0) {
        for (long i = 0; i + 1 < n; i += 2) peak = std::max<short>(peak, short(std::abs(*reinterpret_cast<short*>(buf + i))));
        total += n;
      }
      ov_clear(&vf);
      EXPECT_GT(peak, 1000);
    } else {
      ASSERT_TRUE(ext == "mod" || ext == "xm");
      EXPECT_GT(module_peak(path, ext == "xm"), 0.02f);
    }
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"mod", "ogg", "xm"}));
  for (int i = 1; i <= 6; ++i) EXPECT_TRUE(m.HasMember(("mus-play" + std::to_string(i)).c_str()));
}

TEST(DataFiles, IconDatabasesAndMovies) {
  int w, h, n;
  unsigned char* px = stbi_load(data_path("icon32.bmp").c_str(), &w, &h, &n, 0);
  ASSERT_NE(px, nullptr);
  stbi_image_free(px);
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 32);
  std::string alpha;
  ASSERT_TRUE(slurp(data_path("alpha.dat"), alpha));
  EXPECT_EQ(alpha.size(), 4096u);
  EXPECT_EQ(query("main.db", "select id from levels").size(), query("gameinfo.db", "select number from levels").size());

  for (const char* movie : {"intro.ivf", "outro.ivf"}) {
    SCOPED_TRACE(movie);
    std::string b;
    ASSERT_TRUE(slurp(data_path(movie), b));
    ASSERT_GE(b.size(), 32u);
    EXPECT_EQ(b.substr(0, 4), "DKIF");
    EXPECT_EQ(b.substr(8, 4), "VP80");
    vpx_codec_ctx_t dec;
    ASSERT_EQ(vpx_codec_dec_init(&dec, vpx_codec_vp8_dx(), nullptr, 0), VPX_CODEC_OK);
    int frames = 0;
    for (size_t o = 32; o + 12 <= b.size();) {
      uint32_t len = uint32_t(uint8_t(b[o])) | uint32_t(uint8_t(b[o + 1])) << 8 | uint32_t(uint8_t(b[o + 2])) << 16 |
                     uint32_t(uint8_t(b[o + 3])) << 24;
      ASSERT_LE(o + 12 + len, b.size());
      ASSERT_EQ(vpx_codec_decode(&dec, reinterpret_cast<const uint8_t*>(b.data() + o + 12), len, nullptr, 0),
                VPX_CODEC_OK);
      vpx_codec_iter_t it = nullptr;
      while (vpx_image_t* img = vpx_codec_get_frame(&dec, &it)) {
        EXPECT_GT(img->d_w, 0u);
        ++frames;
      }
      o += 12 + len;
    }
    vpx_codec_destroy(&dec);
    EXPECT_GE(frames, 60) << "a few seconds at 30 frames a second";
  }
}
