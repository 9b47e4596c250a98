// The limits of a user map: at most EDIT_ITEM_LIMIT items and one player.
// Arrows (a guard's route) are not items.
#pragma once

struct Game;

enum { EDIT_ITEM_LIMIT = 48, EDIT_PLAYER_LIMIT = 1 };

struct EditCount {
  int items = 0;
  int players = 0;
};

// Counts the items and players of the map in the band.
EditCount edit_count(const Game* g);
// Counts again and sets or clears the map's over-limit flag; answers the
// count. Whatever reads the flag calls this first, so an edit made in the
// same frame is never missed.
EditCount edit_recount_limits(Game* g);
