#include "editor/edit_files.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "game/paths.h"
#include "gfx/transition.h"

static const char* const MAP_ENDING = ".map";

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

static void show_error(Game* g, const char* text, int back) {
  game_text_set(g->error_text, sizeof g->error_text, text);
  g->error_return_state = back;
  game_switch(g, TRANS_FADE, STATE_MENUS_ERROR);
}

// Everything but keeping the path: checks, then the file written beside the
// target and renamed over it, then the map's row saved with the new path.
static ExportResult export_file(Game* g, const std::string& typed, const std::string& own_path) {
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
  std::string packed = game_pack_level(g);
  if (packed.empty()) return EXPORT_FAILED;

  std::string tmp = target + ".XXXXXX";
  std::vector<char> name(tmp.begin(), tmp.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) {
    fprintf(stderr, "edit_export: cannot write beside %s: %s\n", target.c_str(), strerror(errno));
    return EXPORT_FAILED;
  }
  fchmod(fd, 0644);
  size_t done = 0;
  while (done < packed.size()) {
    ssize_t n = write(fd, packed.data() + done, packed.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bool ok = done == packed.size() && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(name.data(), target.c_str()) == 0;
  if (!ok) {
    fprintf(stderr, "edit_export: writing %s failed: %s\n", target.c_str(), strerror(errno));
    unlink(name.data());
    return EXPORT_FAILED;
  }
  return edit_save(g) ? EXPORT_OK : EXPORT_FAILED;
}

ExportResult edit_export_file(Game* g, const std::string& own_path) {
  char* slot = g->level.map.text[LEVEL_TEXT_PATH];
  std::string typed(slot, strnlen(slot, LEVEL_TEXT_SIZE));
  ExportResult r = export_file(g, typed, own_path);
  // Only a path that was written to becomes this map's own: a refused or
  // failed one must never later count as a file the map may overwrite.
  if (r != EXPORT_OK) edit_text_to_slot(slot, own_path);
  return r;
}

void edit_export_map(Game* g, const std::string& own_path) {
  if (edit_export_file(g, own_path) == EXPORT_OK)
    game_switch(g, TRANS_FADE, STATE_EDIT_MENU);
  else
    show_error(g, "Error exporting map.", STATE_EDIT_MENU);
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
  if (!levels_create(g)) return IMPORT_NO_ROW;
  edit_save(g);
  if (!edit_load_or_restore(g, before)) return IMPORT_NO_ROW;
  return IMPORT_OK;
}

void edit_import_map(Game* g, const std::string& typed) {
  if (edit_import_file(g, typed) == IMPORT_OK)
    game_switch(g, TRANS_ZOOM, STATE_EDIT_MAIN);
  else
    show_error(g, "Error importing map.", STATE_MENUS_EDIT);
}
