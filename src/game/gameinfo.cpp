// Loads tile types, campaign levels, achievements and sound volumes from the game database.
#include "game/gameinfo.h"

#include <cstdio>
#include <cstring>

#include "driver/audio.h"
#include "game/game.h"
#include "game/tile_info.h"
#include "util/db.h"

static void text(char* dst, size_t cap, const var& v) { game_text_set(dst, cap, v.str().c_str()); }
static int num(const var& row, const char* col) { return static_cast<int>(row[col].num()); }

static void load_tiles(DBWrap& db) {
  memset(game_tiles, 0, sizeof game_tiles);
  var rows = db_query(db, "select * from tiles");
  for (size_t i = 0; i < rows.len(); i++) {
    var r = rows[(long)i];
    int type = num(r, "type");
    if (type < 0 || type > 255) {
      fprintf(stderr, "game_load_gameinfo: tile type %d out of range\n", type);
      continue;
    }
    TileInfo& t = game_tiles[type];
    t.in_use = 1;
    text(t.name, sizeof t.name, r["name"]);
    t.code = num(r, "code");
    t.value = num(r, "value");
    t.kind = tile_entity_kind(t.value);
    text(t.img_name, sizeof t.img_name, r["img"]);
    text(t.eimg_name, sizeof t.eimg_name, r["eimg"]);
    t.dx = num(r, "dx");
    t.dy = num(r, "dy");
    t.pathable = num(r, "pathable");
    t.passable = num(r, "passable");
    t.opaque = num(r, "opaque");
    t.editor = num(r, "editor");
    t.sortby = num(r, "sortby");
    text(t.pbase, sizeof t.pbase, r["pbase"]);
    text(t.item, sizeof t.item, r["item"]);
  }
}

static void load_levels(Progress& p, DBWrap& db) {
  for (LevelInfo& l : p.levels) l.in_use = 0;
  var rows = db_query(db, "select * from levels");
  for (size_t i = 0; i < rows.len(); i++) {
    var r = rows[(long)i];
    int n = num(r, "number");
    if (n < 1 || n >= PROGRESS_LEVELS) {
      fprintf(stderr, "game_load_gameinfo: level number %d out of range\n", n);
      continue;
    }
    LevelInfo& l = p.levels[n];
    l.in_use = 1;
    l.number = n;
    text(l.name, sizeof l.name, r["name"]);
    text(l.title, sizeof l.title, r["title"]);
    l.sector = num(r, "sector");
    l.map_x = num(r, "map_x");
    l.map_y = num(r, "map_y");
    l.has_lock = num(r, "has_lock") != 0;
    l.lock_total = num(r, "lock_total");
    l.has_count = num(r, "has_count") != 0;
    l.is_final = num(r, "is_final") != 0;
    l.has_jewels = num(r, "has_jewels") != 0;
    l.total_carts = num(r, "total_carts");
    text(l.ach[0], sizeof l.ach[0], r["ach1"]);
    text(l.ach[1], sizeof l.ach[1], r["ach2"]);
    text(l.ach[2], sizeof l.ach[2], r["ach3"]);
  }
}

static void load_achievements(Progress& p, DBWrap& db) {
  memset(p.achs, 0, sizeof p.achs);
  var rows = db_query(db, "select * from achievements");
  for (size_t i = 0; i < rows.len(); i++) {
    var r = rows[(long)i];
    int idx = num(r, "idx");
    if (idx < 1 || idx >= PROGRESS_ACHS) {
      fprintf(stderr, "game_load_gameinfo: achievement %d out of range\n", idx);
      continue;
    }
    AchInfo& a = p.achs[idx];
    text(a.name, sizeof a.name, r["name"]);
    text(a.image, sizeof a.image, r["image"]);
    text(a.title, sizeof a.title, r["title"]);
    text(a.description, sizeof a.description, r["description"]);
  }
}

static float volume(const var& row) {
  float v = static_cast<float>(row["volume"].num());
  return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

static void load_volumes(DBWrap& db) {
  var rows = db_query(db, "select name, volume from music");
  for (size_t i = 0; i < rows.len(); i++) {
    var r = rows[(long)i];
    int t = music_find(r["name"].str().c_str());
    if (t > 0 && t < (int)g_audio.tracks.size()) g_audio.tracks[t].volume = volume(r);
  }
  rows = db_query(db, "select name, volume from sfx");
  for (size_t i = 0; i < rows.len(); i++) {
    var r = rows[(long)i];
    int s = res_sample_load(r["name"].str().c_str());
    if (s > 0 && s < (int)g_audio.samples.size()) g_audio.samples[s].volume = volume(r);
  }
}

bool game_load_gameinfo(Game* g, const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    fprintf(stderr, "game_load_gameinfo: %s is missing\n", path.c_str());
    return false;
  }
  fclose(f);
  DBWrap db;
  if (!db_open(db, path)) return false;
  load_tiles(db);
  load_levels(g->progress, db);
  load_achievements(g->progress, db);
  load_volumes(db);
  return true;
}
