// Packed maps and save slots: round trips and hostile streams.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "game/game.h"
#include "game/pack.h"

static std::string deflate(const void* data, size_t len) {
  uLongf out_len = compressBound(len);
  std::string out(out_len, '\0');
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(&out[0]), &out_len,
                      static_cast<const Bytef*>(data), len, 6),
            Z_OK);
  out.resize(out_len);
  return out;
}

TEST(Pack, MapRoundTripKeepsTilesTextsAndCounters) {
  auto a = std::make_unique<Game>();
  for (int i = 0; i < MAP_W * MAP_H; i++) a->level.map.grid[i] = i % 100;
  strcpy(a->level.map.text[LEVEL_TEXT_TITLE], "The Vault");
  strcpy(a->level.map.text[LEVEL_TEXT_PATH], "/tmp/x.map");
  a->level.map.changes = 15376;
  a->level.map.win_changes = 15000;
  a->level.map.share_changes = 12;
  a->level.map.zoom = 2.0f;
  a->level.entities[3].kind = 5;  // not part of the map
  std::string packed = game_pack_level(a.get());
  ASSERT_FALSE(packed.empty());
  EXPECT_LE(packed.size(), 65536u);
  EXPECT_EQ((uint8_t)packed[0], 0x78);  // a zlib stream
  EXPECT_EQ(packed.substr(0, 2), deflate(&a->level.map, sizeof(LevelMap)).substr(0, 2));

  auto b = std::make_unique<Game>();
  b->level.entities[7].kind = 9;
  ASSERT_TRUE(game_unpack_level(b.get(), packed));
  EXPECT_EQ(memcmp(&a->level.map, &b->level.map, sizeof(LevelMap)), 0);
  EXPECT_EQ(b->level.entities[3].kind, 0);
  EXPECT_EQ(b->level.entities[7].kind, 0);  // the whole Level starts zeroed
}

TEST(Pack, UnpackKeepsOnlyTheMapAndChecksIt) {
  // A stream as long as a whole Level, with entity bytes and a hostile map.
  std::unique_ptr<uint8_t[]> raw(new uint8_t[sizeof(Level)]);
  memset(raw.get(), 0xee, sizeof(Level));
  LevelMap* m = reinterpret_cast<LevelMap*>(raw.get());
  float nan = std::nanf("");
  memcpy(&m->zoom, &nan, sizeof nan);
  m->current_tile = -1;
  auto g = std::make_unique<Game>();
  ASSERT_TRUE(game_unpack_level(g.get(), deflate(raw.get(), sizeof(Level))));
  EXPECT_EQ(g->level.map.grid[77], 0x6e);  // bit 7 gone
  for (auto& t : g->level.map.text) EXPECT_EQ(strlen(t), 255u);
  EXPECT_EQ(g->level.map.current_tile, TILE_NEW_CURRENT);
  EXPECT_EQ(g->level.map.zoom, 1.0f);
  const uint8_t* rest = reinterpret_cast<const uint8_t*>(&g->level) + sizeof(LevelMap);
  for (size_t i = 0; i < sizeof(Level) - sizeof(LevelMap); i++) ASSERT_EQ(rest[i], 0) << i;

  // A short stream: the rest of the map is zero.
  std::string shortmap(100, '\x03');
  ASSERT_TRUE(game_unpack_level(g.get(), deflate(shortmap.data(), shortmap.size())));
  EXPECT_EQ(g->level.map.grid[0], 3);
  EXPECT_EQ(g->level.map.grid[200], 0);
}

TEST(Pack, BadStreamsFailAndLeaveTheLevelAlone) {
  auto g = std::make_unique<Game>();
  strcpy(g->level.map.text[LEVEL_TEXT_TITLE], "still here");
  g->level.entities[0].kind = 4;

  // A bomb: a small stream that inflates far past a Level.
  std::string zeros(4 << 20, '\0');
  std::string bomb = deflate(zeros.data(), zeros.size());
  EXPECT_LT(bomb.size(), 10000u);
  EXPECT_FALSE(game_unpack_level(g.get(), bomb));

  std::unique_ptr<uint8_t[]> raw(new uint8_t[sizeof(LevelMap)]());
  std::string good = deflate(raw.get(), sizeof(LevelMap));
  EXPECT_FALSE(game_unpack_level(g.get(), good.substr(0, good.size() / 2)));
  EXPECT_FALSE(game_unpack_level(g.get(), good.substr(0, good.size() - 1)));
  std::string flipped = good;
  flipped[flipped.size() - 1] ^= 1;  // checksum
  EXPECT_FALSE(game_unpack_level(g.get(), flipped));
  EXPECT_FALSE(game_unpack_level(g.get(), ""));
  EXPECT_FALSE(game_unpack_level(g.get(), "not a zlib stream at all"));

  EXPECT_STREQ(g->level.map.text[LEVEL_TEXT_TITLE], "still here");
  EXPECT_EQ(g->level.entities[0].kind, 4);
}

TEST(Pack, SlotsHoldTheWholeLevel) {
  auto g = std::make_unique<Game>();
  g->level.map.lead = 77;
  g->level.map.grid[1000] = 0x81;  // the world's marks survive a slot
  g->level.entities[10].kind = 3;
  g->level.entities[10].x = 12.5f;
  g->level.stats.deaths = 4;
  ASSERT_TRUE(game_slot_save(&g->slots[SLOT_SAVE_POINT], g.get()));
  EXPECT_GT(g->slots[SLOT_SAVE_POINT].len, 0);
  EXPECT_EQ(g->slots[SLOT_SAVE_POINT].word, 77);

  g->level.entities[10].kind = 0;
  g->level.stats.deaths = 5;
  ASSERT_TRUE(game_slot_restore(&g->slots[SLOT_SAVE_POINT], g.get()));
  EXPECT_EQ(g->level.entities[10].kind, 3);
  EXPECT_EQ(g->level.entities[10].x, 12.5f);
  EXPECT_EQ(g->level.stats.deaths, 4);
  EXPECT_EQ(g->level.map.grid[1000], 0x81);

  // Empty or damaged slots restore nothing.
  g->level.stats.deaths = 6;
  EXPECT_FALSE(game_slot_restore(&g->slots[SLOT_UNDO], g.get()));
  SaveSlot& s = g->slots[SLOT_SAVE_POINT];
  s.data[s.len / 2] ^= 0x55;
  EXPECT_FALSE(game_slot_restore(&s, g.get()));
  s.len = 1 << 20;
  EXPECT_FALSE(game_slot_restore(&s, g.get()));
  std::string short_level = deflate(&g->level, sizeof(Level) - 1);  // whole, but less than a level
  memcpy(s.data, short_level.data(), short_level.size());
  s.len = static_cast<int32_t>(short_level.size());
  EXPECT_FALSE(game_slot_restore(&s, g.get()));
  EXPECT_EQ(g->level.stats.deaths, 6);
}

TEST(Pack, ALevelThatDoesNotFitEmptiesTheSlot) {
  auto g = std::make_unique<Game>();
  uint32_t x = 12345;  // noise does not compress
  uint8_t* b = reinterpret_cast<uint8_t*>(&g->level);
  for (size_t i = 0; i < sizeof(Level); i++) {
    x = x * 1103515245u + 12345u;
    b[i] = x >> 24;
  }
  g->slots[0].len = 5;
  EXPECT_FALSE(game_slot_save(&g->slots[0], g.get()));
  EXPECT_EQ(g->slots[0].len, 0);
}
