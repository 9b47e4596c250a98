// The game core without a window, for tests: the one Game is created over a
// data directory and a per-user directory of the caller's choosing, events
// are sent to it, and frames run with a given number of fixed steps each. No
// SDL, no video and no painting; no sound either, unless a back-end was
// installed (audio_install_backend). Any field of the Game can be read in
// between.
#pragma once
#include <string>

#include "driver/event.h"

struct Game;

// Runs Game::init. The per-user directory is the driver's user_dir() for
// the whole run (APPDATA is pointed at its parent). Answers the Game.
Game* game_headless_start(const std::string& data_dir, const std::string& user_dir);
// Hands one event to the game (game_send_event).
void game_headless_event(const Event& e);
// Runs frames, each with steps fixed steps.
void game_headless_run(int frames, int steps = 1);
// Runs Game::deinit (which writes the save files) and frees the Game.
void game_headless_stop();
