// The level editor: eight screens that all work on the one map loaded in
// the Game's Level, and the operations through which they leave for another
// screen. Every switch that an editor screen starts itself saves the map
// first, so the player's map database always holds what the player last saw.
#pragma once

#include <string>

struct Game;

// Creates the eight editor screens and stores each in the state table under
// its id: drawing screen (1), title form (4), editor menu (6), share (11),
// delete (12), help (20), export (23), import (24).
void register_editor_states(Game* g);

// True while the Level holds edits that the player's map database lacks.
bool edit_dirty();
void edit_mark_dirty();
// The Level's map is no longer one the editor must save (it was deleted).
void edit_mark_clean();
// Writes the map with levels_save and clears the dirty flag; a failed write
// sets it, so the map is saved again at the next chance, and answers false.
// Refused, with a diagnostic, while the Level is laid out for play (entities
// spawned or the object layer split off): such a grid has lost its objects.
bool edit_save(Game* g);
// edit_save when the dirty flag is set; true when nothing is left unsaved.
bool edit_save_if_dirty(Game* g);
// Loads the map current_level_id names from the player's database; when it
// cannot be read, current_level_id goes back to before (the id the Game held
// until the caller changed it) and false is returned. Either way the Level
// holds no edits waiting for a save.
bool edit_load_or_restore(Game* g, const char* before);
// The error screen with the text, returning to back.
void edit_show_error(Game* g, const std::string& text, int back);
// The error screen saying that the map could not be saved and where,
// returning to the current screen, where the map is still being edited.
void edit_show_unsaved(Game* g);
// Leaves the editor for a screen outside it: a map left unsaved by an
// earlier failure is saved first, and when that fails the player stays,
// told so on the error screen.
void edit_leave(Game* g, int type, int id);

// The play-test: over the limits it plays "lock-locked" and nothing else
// changes; otherwise it saves, sets return_menu to the drawing screen and
// starts the level. A map that cannot be saved is not played: the error
// screen says so.
void edit_play_test(Game* g);
// Save, then fade to the title form / fade to the editor menu / back-zoom to
// the list of maps; when the save fails, edit_show_unsaved instead.
void edit_open_text(Game* g);
void edit_open_menu(Game* g);
void edit_quit_to_maps(Game* g);
// Remembers the current screen as the help's return state, saves, then
// fades to the help.
void edit_open_help(Game* g);
// Opens the tutorial page of the web service in the system browser (the
// editor menu and the help).
void edit_open_tutorials(Game* g);

// Where the help goes back to: the remembered screen when it is one of the
// two that open the help (the drawing screen or the editor menu), else the
// editor menu. The remembered value comes back from "state.dat".
int edit_help_return(const Game* g);

// Copies the text into a 256-byte text slot of the map, cut to 255 bytes at
// a whole UTF-8 character, the rest of the slot zero.
void edit_text_to_slot(char* slot, const std::string& text);
