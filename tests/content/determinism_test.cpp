// Running the content tools again gives byte-identical files.
#include <cstdlib>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "content_util.h"
#include "support/temp_dir.h"

using namespace twtest;

namespace {


int run(const std::string& cmd) { return std::system((cmd + " 2>&1").c_str()); }

void expect_same(const std::string& fresh, const std::string& built) {
  std::string a, b;
  ASSERT_TRUE(slurp(fresh, a)) << fresh;
  ASSERT_TRUE(slurp(built, b)) << built;
  EXPECT_TRUE(a == b) << fresh << " differs from " << built;
}

const std::string kTools = std::string(TW_SOURCE_DIR) + "/tools";

}  // namespace

TEST(Determinism, GameDataAndMapsRepeat) {
  TempDir t;
  ASSERT_FALSE(t.path().empty());
  ASSERT_EQ(run(std::string(TW_MKGAME) + " " + kTools + "/campaign.txt " + kTools + "/maps " + TW_VOLUMES + " " +
                t.path()),
            0);
  for (const auto& r : query("gameinfo.db", "select name from levels")) expect_same(t.path() + "/" + r[0] + ".map", data_path(r[0] + ".map"));
  for (const char* f : {"gameinfo.db", "main.db", "alpha.dat"}) expect_same(t.path() + "/" + f, data_path(f));
}

TEST(Determinism, SoundRepeats) {
  TempDir t;
  ASSERT_FALSE(t.path().empty());
  ASSERT_EQ(run(std::string(TW_MKSOUND) + " " + t.path() + " " + t.path() + "/sound.json " + t.path() + "/vol.tsv"), 0);
  for (const char* cat : {"samples", "music"}) {
    const rapidjson::Value& c = catalogue()[cat];
    for (auto it = c.MemberBegin(); it != c.MemberEnd(); ++it) {
      std::string f = it->value["file"].GetString();
      expect_same(t.path() + "/" + f, data_path(f));
    }
  }
  expect_same(t.path() + "/vol.tsv", TW_VOLUMES);
}

TEST(Determinism, PicturesAndMoviesRepeat) {
  TempDir t;
  ASSERT_FALSE(t.path().empty());
  ASSERT_EQ(run(std::string(TW_MKART) + " " + kTools + "/campaign.txt " + t.path() + " " + t.path() +
                "/art.json " + t.path() + "/sheet.png"),
            0);
  const rapidjson::Value& tex = catalogue()["textures"];
  for (auto it = tex.MemberBegin(); it != tex.MemberEnd(); ++it) {
    std::string f = it->value["file"].GetString();
    expect_same(t.path() + "/" + f, data_path(f));
  }
  expect_same(t.path() + "/icon32.bmp", data_path("icon32.bmp"));
  ASSERT_EQ(run(std::string(TW_MKMOVIE) + " " + t.path()), 0);
  for (const char* f : {"intro.ivf", "outro.ivf"}) expect_same(t.path() + "/" + f, data_path(f));
}
