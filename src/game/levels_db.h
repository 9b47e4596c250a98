// The game's databases and the player's own maps (the levels table).
#pragma once
#include <string>

#include "util/var.h"

struct DBWrap;
struct Game;

enum {
  GAME_DB_MAIN = 0,    // "main.db" in the data directory
  GAME_DB_USER = 1,    // the player's maps: "user.db" with a Steam user, else "userns.db"
  GAME_DB_SHARED = 2,  // "shared.db" in the per-user directory
  GAME_DB_COUNT = 3,
};

// The DBWrap of one of the game's databases (an unopened one for an index
// out of range).
DBWrap& game_db(int index);
// Opens "main.db" from the data directory (when it exists) and the player's
// databases from the per-user directory, creating the levels table when it
// is missing. False, with a diagnostic, when the player's map database
// cannot be opened or its table made.
bool game_db_open(bool steam_user);
void game_db_close();

// The player's maps that hold their map (rows left without one by earlier
// versions would open nothing), newest first by their time read as a whole
// number: a list of dicts of "id" and "title", as the "My maps" screen
// shows them.
var levels_list();

// Packs the map and stores it, with the time and the title, author and name
// slots, in the row of current_level_id. False, with a diagnostic that says
// why and the row as it was, when the map does not pack, the database
// refuses the write (locked, read-only, full) or no row has that id.
bool levels_save(Game* g);
// Loads the row of current_level_id from db into the Level; false when the
// row is missing or its data does not unpack (the Level is then untouched).
bool levels_load(Game* g, DBWrap& db);
// Deletes the row of current_level_id (none there is no failure); false,
// with a diagnostic, when the database refuses.
bool levels_delete(Game* g);
// Stores a new map whole in one statement: its packed LevelMap, the time,
// and the title, author and name slots, as levels_save writes them, so no
// row is ever without its map. The id is the current second, or the next
// number above it that no row holds (two maps made in one second, by one
// copy of the game or two, or after the clock stepped back, stay two maps),
// written as a 64-bit decimal; it becomes current_level_id. False, with a
// diagnostic, nothing stored and current_level_id unchanged, when packed is
// empty or the row could not be inserted.
bool levels_create(Game* g, const std::string& packed);
// Loads the built-in map named by current_level_id from the data directory.
bool level_load_file(Game* g);
// Plays the map's music (text slot 4) when it names one of "mus-play1" to
// "mus-play6"; any other value fades the music out.
void level_music(Game* g);
