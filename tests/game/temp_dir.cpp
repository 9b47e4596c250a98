#include "temp_dir.h"

#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tw-game-XXXXXX";
  if (!mkdtemp(&tmpl[0])) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

static int remove_one(const char* p, const struct stat*, int, struct FTW*) { return remove(p); }

TempDir::~TempDir() { nftw(path_.c_str(), remove_one, 16, FTW_DEPTH | FTW_PHYS); }

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream f(file(name), std::ios::binary);
  f << bytes;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream f(file(name), std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
