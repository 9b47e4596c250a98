// Paints the running level (tiles, pick-ups, entities, player) and the heads-up counts over it.
#include "game/world_view.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "game/game.h"
#include "game/tile_info.h"
#include "game/world.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"
#include "gfx/text.h"

WorldView g_world_view;

void world_view_begin(Game* g, float zoom) {
  if (!(zoom > 0) || !std::isfinite(zoom)) zoom = 1.0f;
  bool header = g->state != STATE_EDIT_MAIN && g->state != STATE_EDIT_SHARE;
  float top = header ? WORLD_HUD_H : 0;
  float cx = 320, cy = top + (640 - top) / 2;
  float cam_x = g->level.map.camera[0], cam_y = g->level.map.camera[1];
  if (!std::isfinite(cam_x) || !std::isfinite(cam_y)) cam_x = cam_y = MAP_W / 2;
  WorldView& v = g_world_view;
  v.scale = WORLD_TILE * zoom;
  v.ox = cx - cam_x * v.scale;
  v.oy = cy - cam_y * v.scale;
  gfx_project();
  if (gfx_gl_ready()) {
    glTranslatef(v.ox, v.oy, 0);
    glScalef(v.scale, v.scale, 1);
  }
}

void screen_to_world(float sx, float sy, float* wx, float* wy) {
  const WorldView& v = g_world_view;
  *wx = (sx - v.ox) / v.scale;
  *wy = (sy - v.oy) / v.scale;
}

// The play image of a tile type, looked up once (-1 marks a type that has
// none).
static int tile_img(int type) {
  TileInfo& t = game_tiles[type & 0xff];
  if (t.img == 0) t.img = t.img_name[0] ? gfx_img_load(t.img_name) : 0;
  if (t.img == 0) t.img = -1;
  return t.img > 0 ? t.img : 0;
}

static int sprite(int kind) {
  static int player, guard, sniper, zombie, spider;
  auto load = [](int& slot, const char* name) {
    if (slot == 0) slot = gfx_img_load(name);
    if (slot == 0) slot = -1;
    return slot > 0 ? slot : 0;
  };
  switch (kind) {
    case ENT_PLAYER: return load(player, "player");
    case ENT_GUARD: return load(guard, "guard");
    case ENT_SNIPER: return load(sniper, "sniper");
    case ENT_ZOMBIE: return load(zombie, "zombie");
    case ENT_SPIDER: return load(spider, "spider");
    default: return 0;
  }
}

static int light_glow() {
  static int img;
  if (img == 0) img = gfx_img_load("light-glow");
  if (img == 0) img = -1;
  return img > 0 ? img : 0;
}

static void paint_entity(const Entity& e) {
  switch (e.kind) {
    case ENT_ARROW:  // a guard's route marker: the editor shows it, play does not
      return;
    case ENT_LIGHT:
      if (int glow = light_glow()) {
        gfx_color(1, 1, 0.85f, 0.5f);
        gfx_img_draw(glow, e.x - 2.5f, e.y - 2.5f, 5, 5);
        gfx_color(1, 1, 1, 1);
      }
      return;
    default:
      break;
  }
  int img = sprite(e.kind);
  if (!img) img = tile_img(e.tile);
  if (img) gfx_img_draw(img, e.x - 0.5f, e.y - 0.5f, 1, 1);
}

void paint_world(Game* g, float zoom) {
  world_view_begin(g, zoom);
  float x0, y0, x1, y1;
  screen_to_world(g_view.x0, g_view.y0, &x0, &y0);
  screen_to_world(g_view.x0 + g_view.w, g_view.y0 + g_view.h, &x1, &y1);
  int cx0 = static_cast<int>(std::floor(x0)) - 1, cy0 = static_cast<int>(std::floor(y0)) - 1;
  int cx1 = static_cast<int>(std::ceil(x1)) + 1, cy1 = static_cast<int>(std::ceil(y1)) + 1;
  const Level& l = g->level;

  gfx_color(1, 1, 1, 1);
  for (int y = cy0; y <= cy1; y++)
    for (int x = cx0; x <= cx1; x++)
      if (int img = tile_img(tile_at_or(x, y, l.map.grid, TILE_OUTSIDE)))
        tri_batch_img(img, static_cast<float>(x), static_cast<float>(y), 1, 1, 0xffffff);
  // Pick-ups, locks and gates; entity tiles are drawn as their entities.
  for (int y = cy0; y <= cy1; y++)
    for (int x = cx0; x <= cx1; x++) {
      int obj = tile_at_or(x, y, l.objects, 0);
      if (!obj || game_tiles[obj].kind) continue;
      if (int img = tile_img(obj)) tri_batch_img(img, static_cast<float>(x), static_cast<float>(y), 1, 1, 0xffffff);
    }
  tri_batch_flush();
  // The player last, over everything else.
  for (int pass = 0; pass < 2; pass++)
    for (const Entity& e : l.entities)
      if (e.kind && (e.kind == ENT_PLAYER) == (pass == 1)) paint_entity(e);
}

static int hud_icon(const char* name) { return gfx_img_load(name); }

static float hud_item(int img, const std::string& text, float x, int font) {
  if (img) gfx_img_draw(img, x, 6, 28, 28);
  gfx_color(1, 1, 1, 1);
  text_draw_wrapped(font, text, x + 32, 10, 0, -1);
  return x + 32 + text_width(font, text) + 20;
}

void paint_hud(Game* g) {
  gfx_project();
  const RunStats& s = g->level.stats;
  const LevelNotice& n = g->level.notice;
  int font = font_load("font2");
  if (g->settings.game_hud != -1) {
    gfx_color(0, 0, 0, 0.6f);
    gfx_rect(g_view.x0, 0, g_view.w, WORLD_HUD_H);
    gfx_color(1, 1, 1, 1);
    char buf[64];
    float x = 10;
    snprintf(buf, sizeof buf, "%d / %d", s.carts, s.total_carts);
    x = hud_item(hud_icon("hud-cartridge"), buf, x, font);
    if (s.total_jewels > 0) {
      snprintf(buf, sizeof buf, "%d / %d", s.jewels, s.total_jewels);
      x = hud_item(hud_icon("hud-jewel"), buf, x, font);
    }
    if (s.bombs > 0) {
      snprintf(buf, sizeof buf, "%d", s.bombs);
      x = hud_item(hud_icon("hud-bomb"), buf, x, font);
    }
    static const char* const keys[] = {"hud-key-red", "hud-key-blue", "hud-key-green"};
    for (int c = 1; c <= 3; c++)
      if (s.keycards & (1 << c)) {
        gfx_img_draw(hud_icon(keys[c - 1]), x, 6, 28, 28);
        x += 32;
      }
    if (g->settings.game_timer != -1) {
      std::string t = format_time_cs(s.time_cs);
      gfx_color(1, 1, 1, 1);
      text_draw_wrapped(font, t, 630 - text_width(font, t), 10, 0, -1);
    }
  }
  if (n.timer > 0 && n.text[0]) {
    gfx_color(1, 1, 1, 1);
    text_draw_wrapped(font, game_text_get(n.text, sizeof n.text), 20, 580, 600, 0);
  }
}
