// Prints a diagnostic with its file and line and keeps it as the thread's last error.
#include "util/error.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
// Each thread keeps its own last error, so the reference that
// tk_last_error hands out stays valid while other threads log.
thread_local std::string last_error;

const char* base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}
}  // namespace

void tk_error_at(const char* file, int line, const char* fmt, ...) {
  char msg[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(msg, sizeof msg, fmt, ap);
  va_end(ap);
  // One write per line, so lines from different threads do not interleave.
  std::fprintf(stderr, "%s:%d: %s\n", base_name(file), line, msg);
  last_error = msg;
}

const std::string& tk_last_error() { return last_error; }

void tk_clear_error() { last_error.clear(); }
