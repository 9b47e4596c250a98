// The drawing screen's canvas: the map as the level looks at the start of
// play, with the editor's aids over it.
#pragma once

struct Game;

// Paints the map through a scratch copy of the Level (entities spawned and
// objects split off as in play, then everything put back), then the overlay.
void edit_paint_map(Game* g, int cursor_x, int cursor_y);
// The editor's aids: the editor pictures of special tiles, a cross through
// the cursor cell, the paths of arrow tiles and grid lines every 8 cells.
void edit_paint_overlay(Game* g, int cursor_x, int cursor_y);

// The cells that the view rectangle shows at the current world transform.
struct EditCells {
  int x0, y0, x1, y1;
};
EditCells edit_visible_cells();
