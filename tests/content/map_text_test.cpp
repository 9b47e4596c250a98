// The map text packer refuses what would make a broken map.
#include <cstring>
#include <gtest/gtest.h>

#include "game/levelmap.h"
#include "game/tiles.h"

using namespace tw;

namespace {

bool pack(const std::string& text, std::vector<uint8_t>& out) {
  MapText m;
  return map_parse("t.txt", text, m) && map_pack("t.txt", m, "t", out);
}

}  // namespace

TEST(MapText, PacksHeaderAndGridIntoTheLevelMap) {
  std::vector<uint8_t> raw;
  ASSERT_TRUE(pack("title: T\nintro: one\nintro: two\nauthor: A\nmusic: mus-play2\ngrid:\n#####\n#P.E#\n#####\n", raw));
  ASSERT_EQ(raw.size(), size_t(kMapSize));
  EXPECT_STREQ(reinterpret_cast<const char*>(&raw[kTextOffset + 256 * SLOT_INTRO]), "one two");
  EXPECT_STREQ(reinterpret_cast<const char*>(&raw[kTextOffset + 256 * SLOT_MUSIC]), "mus-play2");
  EXPECT_STREQ(reinterpret_cast<const char*>(&raw[kTextOffset + 256 * SLOT_NAME]), "t");
  // A 5 by 3 grid sits with its top left at (62, 63); the player is at (63, 64).
  EXPECT_EQ(raw[kGridOffset + 64 * 128 + 63], tile_for_legend('P'));
  EXPECT_EQ(raw[kGridOffset + 63 * 128 + 62], 1);
  float cam[4];
  std::memcpy(cam, &raw[kCameraOffset], sizeof cam);
  EXPECT_EQ(cam[0], 63.0f);
  EXPECT_EQ(cam[1], 64.0f);
  EXPECT_EQ(cam[2], 20.0f);
  std::vector<uint8_t> z;
  ASSERT_TRUE(map_compress(raw, z));
  EXPECT_LT(z.size(), 2000u);
}

TEST(MapText, RefusesBrokenMaps) {
  std::vector<uint8_t> raw;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(pack("title: T\ngrid:\n#P.E.P#\n", raw)) << "two players";
  EXPECT_FALSE(pack("title: T\ngrid:\n#P...#\n", raw)) << "no exit";
  EXPECT_FALSE(pack("title: T\ngrid:\n#P.?E#\n", raw)) << "unknown character";
  EXPECT_FALSE(pack("title: " + std::string(256, 'x') + "\ngrid:\n#PE#\n", raw)) << "title too long for its slot";
  EXPECT_FALSE(pack("colour: red\ngrid:\n#PE#\n", raw)) << "unknown key";
  EXPECT_FALSE(pack("title: T\n", raw)) << "no grid";
  EXPECT_FALSE(pack("grid:\n" + std::string(125, '.') + "PE\n", raw)) << "wider than the map band";
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("needs one player and one exit"), std::string::npos);
  EXPECT_NE(err.find("unknown tile character '?'"), std::string::npos);
}
