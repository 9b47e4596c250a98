// Lists a folder's entries with their sizes and whether each is a folder.
#include "platform/sys_dir.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/sys_path.h"

bool sys_list_dir(const char* path, std::vector<SysDirEntry>* out) {
  if (!path || !out) return false;
  DIR* d = opendir(path);
  if (!d) return false;
  while (struct dirent* e = readdir(d)) {
    SysDirEntry entry;
    entry.name = e->d_name;
    struct stat st;
    std::string full = sys_join_path(path, entry.name);
    if (stat(full.c_str(), &st) == 0) {
      entry.size = static_cast<int64_t>(st.st_size);
      entry.is_directory = S_ISDIR(st.st_mode);
    }
    out->push_back(entry);
  }
  closedir(d);
  return true;
}
