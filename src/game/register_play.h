// Registration of the in-level and movie screens.
#pragma once

struct Game;

// Creates the play intro (18), play (2), pause (3), results (13) and the two
// movie screens (21 going on to the sector map, 22 going on to the credits)
// and stores each in the state table. Game::init calls it first, before the
// screens of the subsystems above the core.
void register_play_states(Game* g);
