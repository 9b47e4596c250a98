// Paints the edited map as it looks at the start of play, with cursor cross, routes and grid.
#include "editor/edit_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "editor/edit_icons.h"
#include "editor/edit_main.h"
#include "game/game.h"
#include "game/tile_info.h"
#include "game/world.h"
#include "game/world_view.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"

enum { CROSS_REACH = 32, ARROW_REACH = 32, GRID_STEP = 8 };
// Cells recorded beyond the visible ones on each side, at least, so that a
// few scroll steps go by before the map is recorded again.
enum { RECORD_MARGIN_MIN = 16, VIEW_SQUARE = 640 };

namespace {
// The map as drawn at the start of play with the editor's pictures over it,
// and the arrow paths, recorded once and drawn again every frame until the
// map, or the region they cover, changes. The cursor cross and the grid
// lines cost little and are drawn afresh.
struct CanvasCache {
  GfxRecording world;
  GfxRecording paths;
  // The cells recorded and what they were recorded from.
  EditCells region{0, 0, -1, -1};
  std::vector<uint8_t> content;
  unsigned generation = 0;
  bool valid = false;
};
CanvasCache g_canvas;

// What the picture of the map depends on: the grid, the object layer and
// the entity records, one after another.
const size_t kContentSize = sizeof(LevelMap::grid) + sizeof(Level::objects) + sizeof(Level::entities);

bool same_content(const Level& l, const std::vector<uint8_t>& c) {
  if (c.size() != kContentSize) return false;
  const uint8_t* p = c.data();
  return memcmp(p, l.map.grid, sizeof l.map.grid) == 0 &&
         memcmp(p + sizeof l.map.grid, l.objects, sizeof l.objects) == 0 &&
         memcmp(p + sizeof l.map.grid + sizeof l.objects, l.entities, sizeof l.entities) == 0;
}

void keep_content(const Level& l, std::vector<uint8_t>* c) {
  c->resize(kContentSize);
  uint8_t* p = c->data();
  memcpy(p, l.map.grid, sizeof l.map.grid);
  memcpy(p + sizeof l.map.grid, l.objects, sizeof l.objects);
  memcpy(p + sizeof l.map.grid + sizeof l.objects, static_cast<const void*>(l.entities), sizeof l.entities);
}

bool contains(const EditCells& outer, const EditCells& inner) {
  return inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1;
}
}  // namespace

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

static void paint_tile_pictures(const uint8_t* grid, const EditCells& v) {
  gfx_color(1, 1, 1, 1);
  for (int y = v.y0; y <= v.y1; y++)
    for (int x = v.x0; x <= v.x1; x++)
      if (int img = edit_tile_eimg(tile_at_or(x, y, grid, TILE_OUTSIDE)))
        tri_batch_img(img, static_cast<float>(x), static_cast<float>(y), 1, 1, 0xffffff);
  tri_batch_flush();
}

// The cross through the cursor cell: small squares along its row and
// column.
static void paint_cross(int cursor_x, int cursor_y) {
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

// The paths of the arrow tiles that can reach the cells.
static void paint_arrow_paths(const uint8_t* grid, const EditCells& v) {
  gfx_color(1, 1, 1, 1);
  for (int y = std::max<int>(MAP_MIN, v.y0 - ARROW_REACH); y <= std::min<int>(MAP_MAX, v.y1 + ARROW_REACH); y++)
    for (int x = std::max<int>(MAP_MIN, v.x0 - ARROW_REACH); x <= std::min<int>(MAP_MAX, v.x1 + ARROW_REACH); x++)
      if (game_tiles[grid[y * MAP_W + x]].kind == ENT_ARROW) paint_arrow_path(grid, x, y);
}

// Lines every 8 cells across the whole grid, brighter through its centre.
static void paint_grid_lines() {
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

// Records the map over the cells around the visible ones: the world as at
// the start of play, through a scratch copy of the Level (entities spawned
// and objects split off, then everything put back), the editor's tile
// pictures and the arrow paths. The world is drawn through a square view
// that shows the whole region, then the view is put back.
static void record_canvas(Game* g, const EditCells& visible) {
  static std::unique_ptr<Level> scratch;
  if (!scratch) scratch.reset(new Level);
  int mx = std::max<int>(RECORD_MARGIN_MIN, (visible.x1 - visible.x0) / 2);
  int my = std::max<int>(RECORD_MARGIN_MIN, (visible.y1 - visible.y0) / 2);
  EditCells want{visible.x0 - mx, visible.y0 - my, visible.x1 + mx, visible.y1 + my};
  int span = std::max(want.x1 - want.x0, want.y1 - want.y0) + 2;
  float zoom = static_cast<float>(VIEW_SQUARE) / (WORLD_TILE * span);
  GfxView saved_view = g_view;
  g_view.x0 = g_view.y0 = 0;
  g_view.w = g_view.h = VIEW_SQUARE;

  CanvasCache& c = g_canvas;
  c.world.clear();
  c.paths.clear();
  memcpy(static_cast<void*>(scratch.get()), &g->level, sizeof(Level));
  split_object_layer(g);
  spawn_entities(g);
  g->level.map.camera[0] = (want.x0 + want.x1 + 1) / 2.0f;
  g->level.map.camera[1] = (want.y0 + want.y1 + 1) / 2.0f;
  c.world.begin();
  paint_world(g, zoom);
  gfx_record_end();
  c.region = edit_visible_cells();
  memcpy(static_cast<void*>(&g->level), scratch.get(), sizeof(Level));

  c.world.begin();
  paint_tile_pictures(g->level.map.grid, c.region);
  gfx_record_end();
  c.paths.begin();
  paint_arrow_paths(g->level.map.grid, c.region);
  gfx_record_end();
  g_view = saved_view;
  keep_content(g->level, &c.content);
  c.generation = gfx_gl_generation();
  c.valid = true;
}

void edit_canvas_forget() { g_canvas.valid = false; }

void edit_paint_map(Game* g, int cursor_x, int cursor_y) {
  float zoom = g->level.map.zoom;
  world_view_begin(g, zoom);
  EditCells visible = edit_visible_cells();
  CanvasCache& c = g_canvas;
  // One cell more on every side: the world draws cells that only touch
  // the view.
  EditCells needed{visible.x0 - 1, visible.y0 - 1, visible.x1 + 1, visible.y1 + 1};
  if (!c.valid || c.generation != gfx_gl_generation() || !contains(c.region, needed) ||
      !same_content(g->level, c.content)) {
    record_canvas(g, visible);
    world_view_begin(g, zoom);
  }
  float x0 = static_cast<float>(needed.x0), y0 = static_cast<float>(needed.y0);
  float x1 = static_cast<float>(needed.x1 + 1), y1 = static_cast<float>(needed.y1 + 1);
  c.world.draw(x0, y0, x1, y1);
  paint_cross(cursor_x, cursor_y);
  c.paths.draw(x0, y0, x1, y1);
  paint_grid_lines();
}

void EditMain::paint() {
  gfx_clear(0, 0, 0, 1);
  if (!reload_failed) edit_paint_map(game, cursor_x, cursor_y);
  gfx_project();
  root.measure();
  root.paint();
}
