// The menu screens: the front-end states of the game. Every one derives
// from the shared frame, MenuScreen (menus/menu_screen.h).
#pragma once

#include "menus/menu_screen.h"

struct Game;

// Creates the eight menu screens and stores each in the state table under
// its id, in this order: main menu (7), my maps (9), settings (10), sector
// map (8), community (14), error (16), credits (25), popup (33). Game::init
// calls it (through game_hooks) after the play screens.
void register_menu_states(Game* g);
