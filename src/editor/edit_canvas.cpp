#include "editor/edit_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "editor/edit_icons.h"
#include "editor/edit_main.h"
#include "game/game.h"
#include "game/tile_info.h"
#include "game/world.h"
#include "game/world_view.h"
#include "gfx/gfx.h"

enum { CROSS_REACH = 32, ARROW_REACH = 32, GRID_STEP = 8 };

static int edit_tile_eimg(int type) {
  TileInfo& t = game_tiles[type & 0xff];
  if (t.eimg == 0) t.eimg = t.eimg_name[0] ? gfx_img_load(t.eimg_name) : 0;
  if (t.eimg == 0) t.eimg = -1;
  return t.eimg > 0 ? t.eimg : 0;
}

EditCells edit_visible_cells() {
  float x0, y0, x1, y1;
  screen_to_world(g_view.x0, g_view.y0, &x0, &y0);
  screen_to_world(g_view.x0 + g_view.w, g_view.y0 + g_view.h, &x1, &y1);
  return {static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0)), static_cast<int>(std::floor(x1)),
          static_cast<int>(std::floor(y1))};
}

void edit_paint_map(Game* g, int cursor_x, int cursor_y) {
  static std::unique_ptr<Level> scratch;
  if (!scratch) scratch.reset(new Level);
  memcpy(static_cast<void*>(scratch.get()), &g->level, sizeof(Level));
  split_object_layer(g);
  spawn_entities(g);
  // The view stays where the editor's camera is, not on the player.
  memcpy(g->level.map.camera, scratch->map.camera, sizeof g->level.map.camera);
  paint_world(g, g->level.map.zoom);
  memcpy(static_cast<void*>(&g->level), scratch.get(), sizeof(Level));
  world_view_begin(g, g->level.map.zoom);
  edit_paint_overlay(g, cursor_x, cursor_y);
}

static void paint_arrow_path(const uint8_t* grid, int x, int y) {
  const TileInfo& arrow = game_tiles[grid[y * MAP_W + x]];
  int img = edit_tile_img(grid[y * MAP_W + x]);
  if (!img) return;
  int cx = x, cy = y;
  for (int step = 0; step < ARROW_REACH; step++) {
    cx += arrow.dx;
    cy += arrow.dy;
    const TileInfo& t = game_tiles[tile_at_or(cx, cy, grid, TILE_OUTSIDE)];
    if (t.code || !t.pathable) return;
    gfx_img_draw(img, cx + 0.25f, cy + 0.25f, 0.5f, 0.5f);
  }
}

void edit_paint_overlay(Game* g, int cursor_x, int cursor_y) {
  const uint8_t* grid = g->level.map.grid;
  EditCells v = edit_visible_cells();

  gfx_color(1, 1, 1, 1);
  for (int y = v.y0; y <= v.y1; y++)
    for (int x = v.x0; x <= v.x1; x++)
      if (int img = edit_tile_eimg(tile_at_or(x, y, grid, TILE_OUTSIDE)))
        tri_batch_img(img, static_cast<float>(x), static_cast<float>(y), 1, 1, 0xffffff);
  tri_batch_flush();

  // The cross through the cursor cell: small squares along its row and
  // column.
  int floor1 = gfx_img_load("floor1");
  const float dot = 0.35f, off = 0.5f - dot / 2;
  gfx_color(0.35f, 0.35f, 0.35f, 0.35f);
  gfx_texturing(false);
  for (int c = cursor_x - CROSS_REACH; c <= cursor_x + CROSS_REACH; c++)
    gfx_img_draw(floor1, c + off, cursor_y + off, dot, dot);
  for (int r = cursor_y - CROSS_REACH; r <= cursor_y + CROSS_REACH; r++)
    if (r != cursor_y) gfx_img_draw(floor1, cursor_x + off, r + off, dot, dot);
  gfx_texturing(true);
  gfx_color(1, 1, 1, 1);

  for (int y = std::max<int>(MAP_MIN, v.y0 - ARROW_REACH); y <= std::min<int>(MAP_MAX, v.y1 + ARROW_REACH); y++)
    for (int x = std::max<int>(MAP_MIN, v.x0 - ARROW_REACH); x <= std::min<int>(MAP_MAX, v.x1 + ARROW_REACH); x++)
      if (game_tiles[grid[y * MAP_W + x]].kind == ENT_ARROW) paint_arrow_path(grid, x, y);

  // Lines every 8 cells across the whole grid, brighter through its centre.
  int white = gfx_img_load("white");
  const float line = 0.25f;
  for (int k = -MAP_W / 2; k <= MAP_W / 2; k += GRID_STEP) {
    float c = k == 0 ? 0.35f : 0.15f;
    gfx_color(c, c, c, c);
    float at = k + MAP_W / 2 - line / 2;
    gfx_img_draw(white, at, 0, line, MAP_H);
    gfx_img_draw(white, 0, at, MAP_W, line);
  }
  gfx_color(1, 1, 1, 1);
}

void EditMain::paint() {
  gfx_clear(0, 0, 0, 1);
  if (!reload_failed) {
    world_view_begin(game, game->level.map.zoom);
    edit_paint_map(game, cursor_x, cursor_y);
  }
  gfx_project();
  root.measure();
  root.paint();
}
