// Layout of the blocks and the small helpers that read them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "game/game.h"
#include "game/progress.h"

TEST(Blocks, LevelMapFieldsLandAtTheirFileOffsets) {
  // The packed form is a raw image, so fields must sit where other
  // installations and the content tool put them.
  auto m = std::make_unique<LevelMap>();
  memset(m.get(), 0, sizeof *m);
  m->grid[3 * 128 + 5] = 9;
  strcpy(m->text[LEVEL_TEXT_TITLE], "T");
  m->changes = 0x01020304;
  m->share_changes = 7;
  m->over_limit = 1;
  const uint8_t* b = reinterpret_cast<const uint8_t*>(m.get());
  EXPECT_EQ(b[4 + 3 * 128 + 5], 9);
  EXPECT_EQ(b[16388 + 256], 'T');
  EXPECT_EQ(b[18436], 0x04);  // little-endian
  EXPECT_EQ(b[18464], 7);
  EXPECT_EQ(b[18468], 1);
}

TEST(Blocks, LevelConstructorClearsCameraAndEntityKinds) {
  std::unique_ptr<uint8_t[]> raw(new uint8_t[sizeof(Level)]);
  memset(raw.get(), 0xff, sizeof(Level));
  Level* l = new (raw.get()) Level;
  for (float c : l->map.camera) EXPECT_EQ(c, 0.0f);
  for (const Entity& e : l->entities) EXPECT_EQ(e.kind, 0);
  l->~Level();
}

TEST(Blocks, TileAtOrReadsOnlyTheMapBand) {
  uint8_t grid[MAP_W * MAP_H] = {};
  grid[2 * 128 + 2] = 5;
  grid[125 * 128 + 125] = 6;
  grid[1 * 128 + 1] = 7;
  EXPECT_EQ(tile_at_or(2, 2, grid, TILE_OUTSIDE), 5);
  EXPECT_EQ(tile_at_or(125, 125, grid, TILE_OUTSIDE), 6);
  EXPECT_EQ(tile_at_or(1, 1, grid, TILE_OUTSIDE), TILE_OUTSIDE);
  EXPECT_EQ(tile_at_or(126, 50, grid, TILE_OUTSIDE), TILE_OUTSIDE);
  EXPECT_EQ(tile_at_or(-5, 50, grid, TILE_OUTSIDE), TILE_OUTSIDE);
  EXPECT_EQ(tile_at_or(50, 100000, grid, 3), 3);
}

TEST(Blocks, FormatTimeCs) {
  EXPECT_EQ(format_time_cs(0), "0:00.00");
  EXPECT_EQ(format_time_cs(6123), "1:01.23");
  EXPECT_EQ(format_time_cs(599999), "99:59.99");
  EXPECT_EQ(format_time_cs(-6123), "-1:01.23");
  EXPECT_EQ(format_time_cs(-5), "-0:00.05");
  EXPECT_EQ(format_time_cs(INT32_MIN), "-357913:56.48");
}

TEST(Blocks, FindAchMatchesWholeNamesOfRecordsInUse) {
  auto p = std::make_unique<Progress>();
  memset(p.get(), 0, sizeof *p);
  strcpy(p->achs[0].name, "zero");  // index 0 is never in use
  strcpy(p->achs[3].name, "nodeaths");
  strcpy(p->achs[31].name, "jewels");
  EXPECT_EQ(p->find_ach("nodeaths"), 3);
  EXPECT_EQ(p->find_ach("jewels"), 31);
  EXPECT_EQ(p->find_ach("zero"), 0);
  EXPECT_EQ(p->find_ach("nodeath"), 0);
  EXPECT_EQ(p->find_ach(""), 0);
  EXPECT_EQ(p->find_ach(nullptr), 0);
  // A record whose name fills all 32 bytes is not matched past its field.
  memset(p->achs[5].name, 'a', 32);
  EXPECT_EQ(p->find_ach(std::string(40, 'a').c_str()), 0);
}

TEST(Blocks, MapSanitizeBoundsEverythingFromOutside) {
  auto m = std::make_unique<LevelMap>();
  memset(m.get(), 0, sizeof *m);
  memset(m->grid, 0x85, sizeof m->grid);
  memset(m->text, 'x', sizeof m->text);
  m->current_tile = 9999;
  m->zoom = -3.0f;
  m->camera[0] = 1.0f / 0.0f;
  m->camera[1] = -3.7e28f;  // finite, but no painter can count cells that far
  m->camera[2] = 9e30f;
  level_map_sanitize(m.get());
  EXPECT_EQ(m->grid[0], 0x05);
  EXPECT_EQ(m->grid[sizeof m->grid - 1], 0x05);
  for (auto& t : m->text) EXPECT_EQ(strlen(t), 255u);
  EXPECT_EQ(m->current_tile, TILE_NEW_CURRENT);
  EXPECT_EQ(m->zoom, 1.0f);
  EXPECT_EQ(m->camera[0], 0.0f);
  EXPECT_EQ(m->camera[1], -(float)MAP_W);
  EXPECT_EQ(m->camera[2], 9e30f);  // the editor's own view float, only kept finite
  m->zoom = 1e-30f;
  level_map_sanitize(m.get());
  EXPECT_EQ(m->zoom, 1.0f);
  m->zoom = 0.0f;  // unset: the editor reads it as 1.0
  level_map_sanitize(m.get());
  EXPECT_EQ(m->zoom, 0.0f);

  m->grid[0] = 0x90;
  m->zoom = 2.5f;
  m->current_tile = 255;
  level_map_sanitize(m.get(), false);
  EXPECT_EQ(m->grid[0], 0x90);  // the world's own marks survive a save slot
  EXPECT_EQ(m->zoom, 2.5f);
  EXPECT_EQ(m->current_tile, 255);
}

TEST(Blocks, SettingsDefaultsFillOnlyUnsetFields) {
  auto s = std::make_unique<Settings>();
  memset(s.get(), 0, sizeof *s);
  s->keys[ACT_BOMB] = 'b';
  s->game_hud = -1;
  settings_defaults(s.get());
  EXPECT_EQ(s->version, SETTINGS_VERSION);
  EXPECT_EQ(s->music, DEFAULT_MUSIC);
  EXPECT_EQ(s->sfx, DEFAULT_SFX);
  EXPECT_EQ(s->keys[ACT_BOMB], 'b');
  EXPECT_NE(s->keys[ACT_UP], 0);
  EXPECT_EQ(s->game_hud, -1);
  EXPECT_EQ(s->game_hints, 1);
  EXPECT_EQ(s->debug, -1);
  // Each gamepad action starts on a button of its own: 0x100 marks a button.
  const int pad[] = {ACT_BATTERY, ACT_BOMB, ACT_MINIMAP, ACT_ESCAPE};
  for (int i = 0; i < 4; i++) EXPECT_EQ(s->joys[pad[i]], 0x100 + i) << pad[i];

  // Once through start-up, a volume turned down to 0 is the player's.
  s->music = 0;
  s->sfx = 0;
  settings_defaults(s.get());
  EXPECT_EQ(s->music, 0);
  EXPECT_EQ(s->sfx, 0);
  s->music = 250;
  settings_defaults(s.get());
  EXPECT_EQ(s->music, 100);
}
