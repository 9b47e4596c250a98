// Writes a map to a file the player names, refusing game data and foreign files, and imports one.
#include "editor/edit_files.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "game/paths.h"
#include "gfx/transition.h"
#include "util/atomic_file.h"

static const char* const MAP_ENDING = ".map";
static const mode_t MAP_FILE_MODE = 0644;

std::string edit_default_path() {
  std::string p = game_user_dir() + "/untitled.map";
  if (p.size() > LEVEL_TEXT_SIZE - 1) p.resize(LEVEL_TEXT_SIZE - 1);
  return p;
}

std::string edit_resolve_path(const std::string& typed) {
  if (typed.compare(0, 2, "~/") == 0) {
    const char* home = getenv("HOME");
    return std::string(home ? home : "") + typed.substr(1);
  }
  if (!typed.empty() && typed[0] == '/') return typed;
  return game_user_dir() + "/" + typed;
}

static bool ends_with(const std::string& s, const char* end) {
  size_t n = strlen(end);
  return s.size() > n && s.compare(s.size() - n, n, end) == 0;
}

// The canonical form of the path's folder joined with its name; empty when
// the folder does not exist.
static std::string canonical(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  char buf[PATH_MAX];
  if (!realpath(dir.c_str(), buf)) return std::string();
  return std::string(buf) + "/" + path.substr(slash + 1);
}

static bool inside(const std::string& path, const std::string& dir) {
  char buf[PATH_MAX];
  if (dir.empty() || !realpath(dir.c_str(), buf)) return false;
  std::string d = std::string(buf) + "/";
  return path.compare(0, d.size(), d) == 0;
}

// Everything but keeping the path: checks, then the file written whole or
// not at all, then the map's row saved with the new path.
static ExportResult export_file(Game* g, const std::string& typed, const std::string& own_path, bool* written) {
  std::string target = canonical(edit_resolve_path(typed));
  if (!ends_with(typed, MAP_ENDING) || target.empty()) {
    fprintf(stderr, "edit_export: not a map file name: %s\n", typed.c_str());
    return EXPORT_NOT_MAP;
  }
  if (inside(target, game_data_dir())) {
    fprintf(stderr, "edit_export: %s belongs to the game's data\n", target.c_str());
    return EXPORT_GAME_FILE;
  }
  struct stat st;
  if (lstat(target.c_str(), &st) == 0) {
    std::string own = own_path.empty() ? std::string() : canonical(edit_resolve_path(own_path));
    if (!S_ISREG(st.st_mode) || own != target) {
      fprintf(stderr, "edit_export: %s exists and is not this map's export\n", target.c_str());
      return EXPORT_OTHER_FILE;
    }
  }
  // Whatever else stands beside the target is left alone: the writer fills a
  // temporary file of its own, so a "<target>.tmp" of the player's or an
  // earlier crash's leftover is no obstacle.
  std::string packed = game_pack_level(g);
  if (packed.empty()) return EXPORT_FAILED;

  // Map files are for sharing between installations: readable by others.
  if (!atomic_write_file(target, packed.data(), packed.size(), MAP_FILE_MODE)) return EXPORT_FAILED;
  *written = true;
  return edit_save(g) ? EXPORT_OK : EXPORT_FAILED;
}

ExportResult edit_export_file(Game* g, const std::string& own_path) {
  char* slot = g->level.map.text[LEVEL_TEXT_PATH];
  std::string typed(slot, strnlen(slot, LEVEL_TEXT_SIZE));
  bool written = false;
  ExportResult r = export_file(g, typed, own_path, &written);
  // Only a path that was written to becomes this map's own: a refused or
  // failed one must never later count as a file the map may overwrite. A
  // file written whose row could not be saved keeps its path in the map,
  // which stays unsaved and goes to the database at the next chance.
  if (!written) edit_text_to_slot(slot, own_path);
  return r;
}

void edit_export_map(Game* g, const std::string& own_path) {
  if (edit_export_file(g, own_path) == EXPORT_OK)
    game_switch(g, TRANS_FADE, STATE_EDIT_MENU);
  else
    edit_show_error(g, "Error exporting map.", STATE_EDIT_MENU);
}

// The file's bytes: a regular file of at most max bytes, read whole.
static bool read_map_file(const std::string& path, std::string* out, size_t max) {
  // Not blocking on open, so that a named pipe cannot hang the game.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    fprintf(stderr, "edit_import: cannot open %s: %s\n", path.c_str(), strerror(errno));
    return false;
  }
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (!ok) fprintf(stderr, "edit_import: %s is not a regular file\n", path.c_str());
  std::string buf(max + 1, '\0');
  size_t got = 0;
  while (ok && got < buf.size()) {
    ssize_t n = read(fd, &buf[got], buf.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      fprintf(stderr, "edit_import: reading %s failed: %s\n", path.c_str(), strerror(errno));
      ok = false;
    }
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  if (ok && got > max) {
    fprintf(stderr, "edit_import: %s is larger than any map\n", path.c_str());
    ok = false;
  }
  buf.resize(got);
  if (ok) out->swap(buf);
  return ok;
}

ImportResult edit_import_file(Game* g, const std::string& typed) {
  std::string path = typed.substr(0, LEVEL_TEXT_SIZE - 1);
  std::string bytes;
  if (!read_map_file(edit_resolve_path(path), &bytes, PACKED_MAP_MAX)) return IMPORT_UNREADABLE;
  if (bytes.empty() || !game_unpack_level(g, bytes)) return IMPORT_NOT_MAP;
  edit_text_to_slot(g->level.map.text[LEVEL_TEXT_PATH], path);
  char before[sizeof g->current_level_id];
  memcpy(before, g->current_level_id, sizeof before);
  // The row comes with its map or not at all; the map in memory is no edit
  // of the map before, whose id stays current when the row is refused.
  edit_mark_clean();
  if (!levels_create(g, game_pack_level(g))) return IMPORT_NO_ROW;
  if (!edit_load_or_restore(g, before)) return IMPORT_NO_ROW;
  return IMPORT_OK;
}

void edit_import_map(Game* g, const std::string& typed) {
  if (edit_import_file(g, typed) == IMPORT_OK)
    game_switch(g, TRANS_ZOOM, STATE_EDIT_MAIN);
  else
    edit_show_error(g, "Error importing map.", STATE_MENUS_EDIT);
}
