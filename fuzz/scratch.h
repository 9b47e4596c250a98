// A scratch folder of the fuzz process's own and a file writer for the targets that read files.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

// One folder per process, under $TMPDIR, removed at exit once empty. The
// path is never destroyed: the exit handler reads it after every static
// destructor has run.
inline const std::string& scratch_dir() {
  static const std::string& dir = *new std::string([] {
    const char* base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tw-fuzz-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) abort();
    std::string made = buf.data();
    atexit([] { rmdir(scratch_dir().c_str()); });
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
