// The game's static data from "gameinfo.db": tile types, the campaign's
// level records, achievements and the catalogue volumes of music and sound.
#pragma once
#include <string>

struct Game;

// Loads the database at path. Tile types and achievements are replaced
// whole; the level records get their static fields (name, title, sector,
// position, flags, totals, achievement names) and keep the player's results.
// Answers false, with a diagnostic, when the file is missing or unreadable.
bool game_load_gameinfo(Game* g, const std::string& path);
