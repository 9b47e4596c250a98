// Where the game finds its content and keeps the player's files. Game::init
// takes both from the driver unless a caller (the headless entry, a test)
// set them first.
#pragma once
#include <cstddef>
#include <string>

void game_set_dirs(const std::string& data_dir, const std::string& user_dir);
// Empty until set.
const std::string& game_data_dir();
const std::string& game_user_dir();
std::string game_data_path(const std::string& name);
std::string game_user_path(const std::string& name);
// Reads a whole file; false when it cannot be opened. Files past max_bytes
// are refused with a diagnostic.
bool game_read_file(const std::string& path, std::string* out, size_t max_bytes = 64u << 20);
