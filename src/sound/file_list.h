// Listing of the working folder, for the plug-in loader.
#pragma once
#include <cstdint>

#include "sound/containers.h"
#include "sound/ref_counted.h"

namespace vz_internal {
namespace io {

class IFileList : public virtual vavozovu::IRefCounted {
 public:
  virtual int32_t getFileCount() = 0;
  virtual const char* getFileName(int32_t index) = 0;
  virtual const char* getFullFileName(int32_t index) = 0;
  virtual bool isDirectory(int32_t index) = 0;
};

class CFileList : public IFileList {
 public:
  CFileList();
  ~CFileList() override;
  int32_t getFileCount() override { return static_cast<int32_t>(entries_.size()); }
  const char* getFileName(int32_t index) override;
  const char* getFullFileName(int32_t index) override;
  bool isDirectory(int32_t index) override;

 private:
  struct Entry {
    vzString name;
    vzString fullName;
    int32_t size;
    bool isDirectory;
  };
  vzString path_;
  vzArray<Entry*> entries_;
};

}  // namespace io
}  // namespace vz_internal
