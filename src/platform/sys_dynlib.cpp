// Loads shared libraries (bare names from the current folder, not the search path), finds exports.
#include "platform/sys_dynlib.h"

#include <dlfcn.h>

#include <string>

void* sys_load_library(const char* path) {
  if (!path || !*path) return nullptr;
  // dlopen searches the library path for bare names; a plug-in is a file of
  // the folder being scanned, so bare names are made relative to it.
  std::string p = path;
  if (p.find('/') == std::string::npos) p = "./" + p;
  return dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* sys_get_proc_address(void* library, const char* name) {
  if (!library || !name) return nullptr;
  return dlsym(library, name);
}
