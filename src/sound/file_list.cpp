// Lists the working folder's files and folders for the plug-in loader.
#include "sound/file_list.h"

#include <climits>
#include <string>
#include <vector>

#include "platform/sys_dir.h"
#include "platform/sys_path.h"

namespace vz_internal {
namespace io {

CFileList::CFileList() {
  std::string cwd = sys_get_cwd();
  path_ = cwd.c_str();
  std::vector<SysDirEntry> found;
  sys_list_dir(cwd.empty() ? "." : cwd.c_str(), &found);
  for (const SysDirEntry& e : found) {
    Entry* entry = new Entry;
    entry->name = e.name.c_str();
    entry->fullName = "";
    entry->size = e.size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(e.size);
    entry->isDirectory = e.is_directory;
    entries_.push_back(entry);
  }
}

CFileList::~CFileList() {
  for (size_t i = 0; i < entries_.size(); ++i) delete entries_[i];
}

const char* CFileList::getFileName(int32_t index) {
  if (index < 0 || index >= getFileCount()) return nullptr;
  return entries_[static_cast<size_t>(index)]->name.c_str();
}

const char* CFileList::getFullFileName(int32_t index) {
  if (index < 0 || index >= getFileCount()) return nullptr;
  Entry* e = entries_[static_cast<size_t>(index)];
  if (e->fullName.size() < e->name.size())
    e->fullName = sys_join_path(path_.c_str(), e->name.c_str()).c_str();
  return e->fullName.c_str();
}

bool CFileList::isDirectory(int32_t index) {
  if (index < 0 || index >= getFileCount()) return false;
  return entries_[static_cast<size_t>(index)]->isDirectory;
}

}  // namespace io
}  // namespace vz_internal
