// Opens sound files through registered factories before the disk, and answers path questions.
#include "sound/file_system.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/sys_path.h"

namespace vz_internal {
namespace io {

CFileSystem::CFileSystem() { workingDirectory_[0] = 0; }

CFileSystem::~CFileSystem() {
  for (size_t i = 0; i < factories_.size(); ++i) factories_[i]->drop();
}

vavozovu::IFileReader* CFileSystem::createAndOpenFile(const char* fileName) {
  for (size_t i = 0; i < factories_.size(); ++i) {
    vavozovu::IFileReader* r = factories_[i]->createFileReader(fileName);
    if (r) return r;
  }
  return createReadFile(fileName);
}

vzString CFileSystem::getFileDir(const char* path) {
  std::string dir;
  sys_split_path(path, &dir, nullptr, nullptr);
  return vzString(dir.c_str());
}

vzString CFileSystem::getFileBasename(const char* path) {
  std::string name, ext;
  sys_split_path(path, nullptr, &name, &ext);
  return vzString((name + ext).c_str());
}

const char* CFileSystem::getWorkingDirectory() {
  std::string cwd = sys_get_cwd();
  snprintf(workingDirectory_, sizeof workingDirectory_, "%s", cwd.c_str());
  return workingDirectory_;
}

bool CFileSystem::changeWorkingDirectoryTo(const char* path) { return sys_chdir(path); }

bool CFileSystem::createDirectory(const char* path) {
  int err = sys_mkdir(path);
  return err == 0 || err == EEXIST;
}

bool CFileSystem::existFile(const char* path) {
  if (!path) return false;
  FILE* f = fopen(path, "rb");
  if (!f) return false;
  fclose(f);
  return true;
}

void CFileSystem::addFileFactory(IFileFactory* factory) {
  if (!factory) return;
  factories_.push_back(factory);
  factory->grab();
}

IFileList* CFileSystem::createFileList() { return new CFileList(); }

}  // namespace io
}  // namespace vz_internal
