// The data and per-user directories and whole-file reads.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/driver.h"

static std::string g_user_dir_text;

bool driver_read_file(const std::string& path, std::string* out) {
  out->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
  std::fclose(f);
  return true;
}

// The folder of the running program, "." when it cannot be told.
static std::string program_dir() {
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return ".";
  exe[n] = 0;
  std::string dir = exe;
  size_t slash = dir.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : dir.substr(0, slash);
}

static bool readable(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char c;
  bool ok = std::fread(&c, 1, 1, f) == 1;
  std::fclose(f);
  return ok;
}

bool Driver::locate_data() {
  std::string here = data_dir + "/data.json";
  if (readable(here)) return true;
  std::string beside = program_dir() + "/data";
  if (readable(beside + "/data.json")) {
    data_dir = beside;
    return true;
  }
  std::fprintf(stderr, "%s cannot start: no readable game data at %s or %s/data.json\n", caption.c_str(), here.c_str(),
               beside.c_str());
  return false;
}

const std::string& data_dir() {
  static const std::string fallback = "../data";
  if (g_driver) return g_driver->data_dir;
  return fallback;
}

std::string data_path(const std::string& name) {
  return data_dir() + "/" + name;
}

std::string data_read(const std::string& name) {
  std::string out;
  driver_read_file(data_path(name), &out);
  return out;
}

// mkdir -p; answers false when the directory cannot be made.
static bool make_dirs(const std::string& path) {
  if (path.empty()) return false;
  std::string cur;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    cur = path.substr(0, pos);
    if (cur.empty()) continue;
    if (mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

const char* user_dir() {
  std::string name = g_driver ? g_driver->app_name : std::string();
  if (name.empty()) {
    if (g_user_dir_text != ".") g_user_dir_text = ".";
    return g_user_dir_text.c_str();
  }
  std::string base;
  const char* appdata = std::getenv("APPDATA");
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (appdata && *appdata) {
    base = appdata;
  } else if (xdg && *xdg) {
    base = xdg;
  } else {
    base = std::string(home && *home ? home : ".") + "/.local/share";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  // Callers may keep the answer while they call again: the text is only
  // replaced when the directory changes.
  std::string path = base + "/" + name;
  if (path != g_user_dir_text) g_user_dir_text = path;
  if (!make_dirs(g_user_dir_text))
    std::fprintf(stderr, "user_dir: cannot create %s\n",
                 g_user_dir_text.c_str());
  return g_user_dir_text.c_str();
}

std::string user_path(const std::string& name) {
  return std::string(user_dir()) + "/" + name;
}

bool user_file_exists(const std::string& name) {
  struct stat st;
  return stat(user_path(name).c_str(), &st) == 0;
}

std::string user_file_size(const std::string& name) {
  std::string out;
  driver_read_file(user_path(name), &out);
  return out;
}

void driver_stdio_redirect() {
  const char* v = std::getenv("SDL_STDIO_REDIRECT");
  if (!v || std::atoi(v) == 0) return;
  std::string dir = program_dir();
  if (!std::freopen((dir + "/stdout.txt").c_str(), "w", stdout))
    std::fprintf(stderr, "driver_stdio_redirect: stdout.txt failed\n");
  if (!std::freopen((dir + "/stderr.txt").c_str(), "w", stderr))
    std::fprintf(stdout, "driver_stdio_redirect: stderr.txt failed\n");
}
