// Drawing the level: the world transform, the world and the heads-up
// display.
#pragma once

struct Game;

enum {
  WORLD_TILE = 32,    // view units per cell at zoom 1
  WORLD_HUD_H = 40,   // height of the heads-up header in view units
};

// The transform from cells to view units: view = origin + cell * scale.
struct WorldView {
  float ox = 0, oy = 0;
  float scale = WORLD_TILE;
};

// The transform that world_view_begin set last.
extern WorldView g_world_view;

// Sets the world transform for painting the level: a 640 by 640 view,
// WORLD_TILE view units per cell times the zoom, centred on the level's
// camera; below the heads-up header except in the editor's drawing and
// sharing screens. With a window, the projection is set up and the
// modelview matrix made the transform, so drawing at (x, y) with size 1
// covers cell (x, y).
void world_view_begin(Game* g, float zoom);
// The world point, in cells, under the screen point (view units), through
// the transform that world_view_begin set last.
void screen_to_world(float sx, float sy, float* wx, float* wy);

// Draws the terrain, the objects and the entities around the camera, at the
// zoom (play always uses 1; the editor its own).
void paint_world(Game* g, float zoom = 1.0f);
// Draws the header: cartridges, jewels, keycards and the timer, and the
// level's notice.
void paint_hud(Game* g);
