// Keeps the content and per-user folders, joins names onto them, and reads files with a size cap.
#include "game/paths.h"

#include <cstdio>

static std::string g_data_dir, g_user_dir;

void game_set_dirs(const std::string& data_dir, const std::string& user_dir) {
  g_data_dir = data_dir;
  g_user_dir = user_dir;
}

const std::string& game_data_dir() { return g_data_dir; }
const std::string& game_user_dir() { return g_user_dir; }

static std::string join(const std::string& dir, const std::string& name) {
  return dir.empty() ? name : dir + "/" + name;
}

std::string game_data_path(const std::string& name) { return join(g_data_dir, name); }
std::string game_user_path(const std::string& name) { return join(g_user_dir, name); }

bool game_read_file(const std::string& path, std::string* out, size_t max_bytes) {
  out->clear();
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
    if (out->size() + n > max_bytes) {
      fprintf(stderr, "game_read_file: %s is larger than %zu bytes\n", path.c_str(), max_bytes);
      out->clear();
      fclose(f);
      return false;
    }
    out->append(buf, n);
  }
  fclose(f);
  return true;
}
