// Listing the entries of a folder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SysDirEntry {
  std::string name;
  int64_t size = 0;
  bool is_directory = false;
};

// Every entry of the folder, "." and ".." included; false when the folder
// cannot be read.
bool sys_list_dir(const char* path, std::vector<SysDirEntry>* out);
