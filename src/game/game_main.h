// The program's entry into the game: one Game for the whole run, the main
// loop until the quit flag is set, then shutdown. The caller installs the
// hooks of the subsystems above the core (game/hooks.h) first.
#pragma once

// The program's name: the window caption and the per-user directory.
constexpr const char* GAME_NAME = "Tunnelwick";

// Ends at once with one line when the game's data cannot be found (see
// Driver::locate_data), answering 1; a driver set up by the caller is used
// as it is.
int game_main(int argc, char** argv);
