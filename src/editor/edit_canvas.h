// The drawing screen's canvas: the map as the level looks at the start of
// play, with the editor's aids over it.
#pragma once

struct Game;

// Paints the map as at the start of play (entities spawned and objects split
// off in a scratch copy of the Level, then everything put back) with the
// editor's aids over it: the editor pictures of special tiles, a cross
// through the cursor cell, the paths of arrow tiles and grid lines every 8
// cells. The map is recorded once and drawn from the recording
// while the grid, the object layer and the entities stay as they were and
// the view stays within the cells recorded; under a picture signature it
// folds the recording instead of the thousands of quads.
void edit_paint_map(Game* g, int cursor_x, int cursor_y);
// Drops the recorded map: the next paint records it afresh.
void edit_canvas_forget();

// The cells that the view rectangle shows at the current world transform.
struct EditCells {
  int x0, y0, x1, y1;
};
EditCells edit_visible_cells();
