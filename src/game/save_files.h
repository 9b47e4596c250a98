// The save files: raw images of Game ("state.dat"), Settings
// ("settings.dat"), LocalSettings ("lsettings.dat") and Progress
// ("progress.dat"), each led by its version word. A file of the wrong size or
// version leaves the block as it was and is moved aside to "<name>.bad" (or
// "<name>.bad.1" and so on: an earlier one is never replaced), with one
// diagnostic line that says where, so that the next save does not destroy
// it; a missing file is normal on a first run and says nothing.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct Game;

// Files readable and writable by the player only.
constexpr mode_t SAVE_PRIVATE_MODE = 0600;

// Writes the bytes to path through a flushed temporary file and a rename, so
// that a failed write or a power cut never destroys the previous file.
// False with a diagnostic.
bool game_write_file(const std::string& path, const void* data, size_t len, mode_t mode = 0644);
// Reads path into the block when it holds exactly size bytes led by version;
// a file that exists but is unusable is moved aside to the first free of
// "<path>.bad", "<path>.bad.1", ...
bool game_read_block(const std::string& path, void* block, size_t size, int32_t version);

// Writes the four files into dir, each whole or not at all; false when any
// of them could not be written (each failure says so on stderr, and that
// file keeps its previous contents).
bool game_save_to(Game* g, const std::string& dir);
// Reads "state.dat" over the whole Game, then makes the image safe: run-time
// fields and the quit flag cleared, texts terminated, sizes bounded, state
// ids that name no screen turned into the main menu.
bool game_load_state(Game* g, const std::string& dir);
// Reads "settings.dat" and "lsettings.dat" over their blocks.
void game_load_settings(Game* g, const std::string& dir);
// Reads "progress.dat" over the Progress block.
bool game_load_progress(Game* g, const std::string& dir);
// The checks game_load_state applies, for an image that came from anywhere.
void game_sanitize_image(Game* g);
