// The engine's file system: programs may register file factories (readers
// over archives, say) that are asked before plain files.
#pragma once
#include "sound/containers.h"
#include "sound/file_list.h"
#include "sound/file_reader.h"

namespace vz_internal {
namespace io {

class IFileFactory : public virtual vavozovu::IRefCounted {
 public:
  // A reader with one reference for the caller, or null.
  virtual vavozovu::IFileReader* createFileReader(const char* fileName) = 0;
};

class IFileSystem : public virtual vavozovu::IRefCounted {
 public:
  virtual vavozovu::IFileReader* createAndOpenFile(const char* fileName) = 0;
  virtual vzString getFileDir(const char* path) = 0;
  virtual vzString getFileBasename(const char* path) = 0;
  virtual const char* getWorkingDirectory() = 0;
  virtual bool changeWorkingDirectoryTo(const char* path) = 0;
  virtual bool createDirectory(const char* path) = 0;
  virtual bool existFile(const char* path) = 0;
  virtual void addFileFactory(IFileFactory* factory) = 0;
  virtual IFileList* createFileList() = 0;
};

class CFileSystem : public IFileSystem {
 public:
  CFileSystem();
  ~CFileSystem() override;
  vavozovu::IFileReader* createAndOpenFile(const char* fileName) override;
  vzString getFileDir(const char* path) override;
  vzString getFileBasename(const char* path) override;
  const char* getWorkingDirectory() override;
  bool changeWorkingDirectoryTo(const char* path) override;
  bool createDirectory(const char* path) override;
  bool existFile(const char* path) override;
  void addFileFactory(IFileFactory* factory) override;
  IFileList* createFileList() override;

 private:
  vzArray<IFileFactory*> factories_;
  char workingDirectory_[1024];
};

}  // namespace io
}  // namespace vz_internal
