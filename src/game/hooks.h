// The boundary between the game core and what is built on top of it. The
// core cannot link against the subsystems above it, so the program's entry
// (src/main/main.cpp) fills this table before game_main. The core's own
// screens (play, pause, results, movies) and its audio driver are not here:
// Game::init calls them directly. A slot left null does nothing, which is
// how the tests run the core alone or with stand-ins of their own.
//
// Adding a slot: one function pointer below with a one-line comment that
// says who fills it and where the core calls it; the call at that place,
// harmless when the slot is null; the assignment in src/main/main.cpp.
#pragma once

struct Game;

struct GameHooks {
  // src/menus fills it; Game::init calls it after the play screens, before the first screen is entered.
  void (*register_menu_states)(Game*) = nullptr;
};

extern GameHooks game_hooks;
