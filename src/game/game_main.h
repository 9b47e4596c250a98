// The program's entry into the game: one Game for the whole run, the main
// loop until the quit flag is set, then shutdown. The caller installs the
// hooks of the subsystems above the core (game/hooks.h) first.
#pragma once

int game_main(int argc, char** argv);
