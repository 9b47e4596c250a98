// The one interface through which all sound data reaches the engine, and
// its two readers: files on disk and memory blocks.
#pragma once
#include <cstdint>
#include <cstdio>

#include "sound/containers.h"
#include "sound/ref_counted.h"

namespace vavozovu {

class IFileReader : public virtual IRefCounted {
 public:
  virtual int32_t read(void* buffer, int32_t count) = 0;
  virtual bool seek(int32_t position, bool relative = false) = 0;
  virtual int32_t getSize() = 0;
  virtual int32_t getPos() = 0;
  virtual const char* getFileName() = 0;
};

}  // namespace vavozovu

namespace vz_internal {
namespace io {

class CReadFile : public vavozovu::IFileReader {
 public:
  explicit CReadFile(const char* fileName);
  ~CReadFile() override;
  int32_t read(void* buffer, int32_t count) override;
  bool seek(int32_t position, bool relative = false) override;
  int32_t getSize() override { return size_; }
  int32_t getPos() override;
  const char* getFileName() override { return name_.c_str(); }
  bool isOpen() const { return file_ != nullptr; }

 private:
  vzString name_;
  FILE* file_ = nullptr;
  int32_t size_ = 0;
};

// A reader for the named file, or null when it does not open.
vavozovu::IFileReader* createReadFile(const char* fileName);

class CMemoryReadFile : public vavozovu::IFileReader {
 public:
  CMemoryReadFile(const void* data, int32_t size, const char* name, bool deleteWhenDropped);
  ~CMemoryReadFile() override;
  int32_t read(void* buffer, int32_t count) override;
  bool seek(int32_t position, bool relative = false) override;
  int32_t getSize() override { return size_; }
  int32_t getPos() override { return pos_; }
  const char* getFileName() override { return name_.c_str(); }

 private:
  vzString name_;
  const uint8_t* data_;
  int32_t size_;
  int32_t pos_ = 0;
  bool deleteWhenDropped_;
};

}  // namespace io
}  // namespace vz_internal
