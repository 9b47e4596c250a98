// Campaign bookkeeping over the level records of Progress.
#pragma once

struct Game;

// Sums each sector's cartridges and wins, opens the locks whose cartridge
// total is reached and the next sector once every counting level of a sector
// is won, moves the selection to the next level to play after a first win,
// then saves.
void sector_tally(Game* g);
