// A scratch folder of the fuzz process's own and a file writer for the targets that read files.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// One folder per process, under $TMPDIR, removed at exit with whatever the
// targets left in it (a save file the game kept aside, say). The path is
// never destroyed: the exit handler reads it after every static destructor
// has run.
inline const std::string& scratch_dir() {
  static const std::string& dir = *new std::string([] {
    const char* base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tw-fuzz-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) abort();
    std::string made = buf.data();
    atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(scratch_dir(), ec);
    });
    return made;
  }());
  return dir;
}

inline void put_file(const std::string& path, const void* data, size_t len) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) abort();
  if (len) fwrite(data, 1, len, f);
  fclose(f);
}
