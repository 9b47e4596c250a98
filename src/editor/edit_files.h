// Map files: the packed map and nothing else, the same bytes as a row's
// data. The player types the path; there is no file dialog.
#pragma once

#include <string>

struct Game;

// "untitled.map" in the per-user directory, cut to 255 characters.
std::string edit_default_path();
// The file a typed path names: "~/" is the home directory, a relative path
// is taken from the per-user directory.
std::string edit_resolve_path(const std::string& typed);

// Why an export was refused, or EXPORT_OK.
enum ExportResult {
  EXPORT_OK = 0,
  EXPORT_NOT_MAP,      // the name does not end in ".map"
  EXPORT_GAME_FILE,    // a file of the game's own data
  EXPORT_OTHER_FILE,   // an existing file that is not this map's own export
  EXPORT_FAILED,       // packing or writing the file, or saving the row, failed
};
// Writes the packed map to the path in text slot 6 with atomic_write_file
// (an old file there stays whole when the write fails), then saves the
// map's row with that path. own_path is the path this map was last exported
// to (or imported from), which may be overwritten; any other existing file
// is left alone, and so is every file beside it (what a crash in an earlier
// export left there does not stop the next one). On any refusal or failed
// write slot 6 gets own_path back; a row that cannot be saved fails the
// export too, but the file is written, so the map keeps its path and stays
// unsaved for the next chance.
ExportResult edit_export_file(Game* g, const std::string& own_path);
// The export with its ending: back to the editor menu, or the error screen
// with "Error exporting map." on any failure.
void edit_export_map(Game* g, const std::string& own_path);

// Why an import was refused, or IMPORT_OK.
enum ImportResult {
  IMPORT_OK = 0,
  IMPORT_UNREADABLE,  // missing, not a regular file, too large, or a read error
  IMPORT_NOT_MAP,     // the bytes do not unpack
  IMPORT_NO_ROW,      // the new row could not be made or stored (none is left behind)
};
// Reads the map file at the typed path (a regular file of at most one packed
// map's size) into a new row under a new id, the path kept in text slot 6,
// and makes it the current map.
ImportResult edit_import_file(Game* g, const std::string& typed);
// The import with its ending: the drawing screen on the new map, or the
// error screen with "Error importing map." on any failure.
void edit_import_map(Game* g, const std::string& typed);
