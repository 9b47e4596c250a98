// Paints the stacked sector pictures, blurring them while the map moves and glowing the aimed one.
#include "menus/lev_map.h"

#include <algorithm>
#include <cstdio>

#include "driver/audio.h"
#include "game/game.h"
#include "gfx/gfx.h"

float levmap_chunk_h() {
  return static_cast<float>(LEVMAP_WIDTH) / gfx_img_aspect(gfx_img_load("map-chunk"));
}

LevMap::LevMap(Game* g)
    : game(g), focus_sector(g->progress.current_sector), max_sector(g->progress.max_sector) {}

int LevMap::event(Event* e) {
  if (e->type() == EVT_DOWN) {
    // Where on the map the pointer went down: how level positions are
    // picked when the campaign is laid out.
    std::fprintf(stderr, "%d,%d\n", e->x(), e->y());
  } else if (e->type() == EVT_SECTOR) {
    settled = (*e)[EVW_SECTOR_SETTLED];
    focus_sector = (*e)[EVW_SECTOR_GLOW];
  }
  return 0;
}

void LevMap::loop() {
  Widget::loop();
  for (int i = 0; i < LEVMAP_GLOWS; i++) {
    float target = i == focus_sector ? 1.0f : 0.0f;
    float& g = glow[i];
    if (target > g) g += LEVMAP_GLOW_STEP;
    // Compared with the value just raised: a step past the target is taken
    // back in the same tick, so a glow settles just under the top.
    if (target < g) g -= LEVMAP_GLOW_STEP;
    g = std::max(0.0f, std::min(1.0f, g));
  }
  if (settled != last_settled) {
    if (settled != 1) sfx_play("map-scroll", 0, 0);
    last_settled = settled;
  }
}

void LevMap::measure() {
  chunk_h = static_cast<int>(levmap_chunk_h());
  content_w = LEVMAP_WIDTH;
  content_h = static_cast<float>((sector_count + 3) * chunk_h);
  box_measure();
  box_resize();
}

void LevMap::paint() {
  const char* blur = settled == 1 ? "" : "-blur";
  char name[64];
  float y = static_cast<float>((sector_count + 2) * chunk_h);
  for (int i = 0; i <= sector_count; i++) {
    std::snprintf(name, sizeof name, "sector-%d%s%s", i, "", blur);
    gfx_img_draw(gfx_img_load(name), cx, cy + y, cw, static_cast<float>(chunk_h));
    if (i < LEVMAP_GLOWS && glow[i] != 0) {
      float g = glow[i];
      std::snprintf(name, sizeof name, "sector-%d%s%s", i, "-focus", blur);
      gfx_color(g, g, g, g);
      gfx_img_draw(gfx_img_load(name), cx, cy + y, cw, static_cast<float>(chunk_h));
      gfx_color(1, 1, 1, 1);
    }
    if (i > max_sector) {
      std::snprintf(name, sizeof name, "sector-x%s%s", "", blur);
      gfx_color(0.65f, 0.65f, 0.65f, 0.65f);
      gfx_img_draw(gfx_img_load(name), cx, cy + y, cw, static_cast<float>(chunk_h));
      gfx_color(1, 1, 1, 1);
    }
    y -= static_cast<float>(chunk_h);
  }
}
