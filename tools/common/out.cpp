// File helpers of the content tools: whole-file writes and reads, folder creation, JSON quoting.
#include "common/out.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace tw {

bool write_file(const std::string& path, const void* data, size_t len) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "write_file(): cannot create %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bool ok = std::fwrite(data, 1, len, f) == len;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) std::fprintf(stderr, "write_file(): short write to %s\n", path.c_str());
  return ok;
}

bool read_file(const std::string& path, std::string& out) {
  out.clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "read_file(): cannot open %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return true;
}

bool make_dirs(const std::string& path) {
  std::string cur;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!cur.empty()) mkdir(cur.c_str(), 0755);
    }
    if (i < path.size()) cur += path[i];
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "make_dirs(): cannot create %s\n", path.c_str());
    return false;
  }
  return true;
}

std::string json_str(const std::string& s) {
  std::string o = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') { o += '\\'; o += char(c); }
    else if (c < 0x20) { char b[8]; std::snprintf(b, sizeof b, "\\u%04x", c); o += b; }
    else o += char(c);
  }
  return o + "\"";
}

}  // namespace tw
