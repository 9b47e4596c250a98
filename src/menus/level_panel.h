// The left half of the sector screen: the selected campaign level's
// achievements, title, text area, cartridges, crystals, and its Play (or
// Locked) and Leaderboard buttons.
#pragma once

#include <string>

class Container;
struct Game;
struct LevelInfo;

// Action codes of the panel's widgets.
enum {
  PANEL_ACT_PLAY = 1,         // "Play" or "Locked"
  PANEL_ACT_LEADERBOARD = 20,
  PANEL_ACT_ACH = 1024,       // + the achievement index: the pointer is on its icon
};

// A level with a lock that has not been opened.
bool level_locked(const LevelInfo& l);

// The record of the campaign's current level; the first one when the
// current level number is out of range.
LevelInfo& level_current_record(Game* g);
// "%s.map" of the record's name into current_level_id.
void level_set_id(Game* g, const LevelInfo& l);

// Loads the current level's map ("%s.map" of its record's name) into the
// Level, builds the panel and puts it in place of the widget "cur_level" in
// root, selects the level's icon, then shows the level's own text. A map
// that does not load leaves a Level holding only the record's title. The
// panel has one height for every level (a row it lacks leaves its room above
// the buttons), so Play and Leaderboard never move.
void level_panel(Game* g, Container& root);

// Rebuilds the text area "cur_text" in root, always of one size: the
// achievement's text when ach is 1 to 31, else the intro text or the lock
// message, or for a won level its last three runs with that text in the room
// they leave. A text longer than its room is cut, ending in "...".
void level_details(Game* g, Container& root, int ach);

// The text shown for a level never won: its intro, the lock message when it
// is locked, "Prepare yourself." when that is blank.
std::string level_intro_text(Game* g);
