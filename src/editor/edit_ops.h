// The operations that change the tile grid of the map being edited: one
// cell, erasing a cell into its surroundings, flood fill and the one-step
// undo. They keep the map's change counter, which the share rules rely on.
// Every operation reads cells outside the band as TILE_OUTSIDE and writes
// only inside it.
#pragma once

struct Game;

enum { FLOOD_STACK_SIZE = 16384 };

// Sets cell (x, y) to the tile type. False when the cell already holds it
// (or lies outside the band, where nothing can change). With snapshot set
// the undo snapshot is taken just before the write.
bool edit_set_tile(int x, int y, int tile, Game* g, bool snapshot);
// The erase tool: the cell becomes the terrain that weighs most among its
// eight neighbours (edges 10, corners 2; the given tile breaks ties), or
// type 0 when no neighbour is terrain. False when nothing changed.
bool edit_blend_tile(Game* g, int x, int y, int tile, bool snapshot);
// Fills the 4-connected region of equal tiles around (x, y) inside the band,
// taking the undo snapshot once before. Answers the cells written (0 when
// the start cell already holds the tile or lies outside the band).
int edit_flood_fill(int x, int y, Game* g, int tile);
// Exchanges the Level and the undo snapshot: a second call is redo. False,
// with nothing changed, when there is no snapshot to go back to.
bool edit_undo_swap(Game* g);
// Takes the undo snapshot of the Level as it is now.
bool edit_snapshot(Game* g);
