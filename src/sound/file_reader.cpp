// Reads sound data from a disk file or a memory block through one seekable reader interface.
#include "sound/file_reader.h"

#include <climits>

namespace vz_internal {
namespace io {

CReadFile::CReadFile(const char* fileName) : name_(fileName) {
  if (!fileName || !*fileName) return;
  file_ = fopen(fileName, "rb");
  if (!file_) return;
  fseek(file_, 0, SEEK_END);
  long n = ftell(file_);
  size_ = n < 0 ? 0 : (n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n));
  fseek(file_, 0, SEEK_SET);
}

CReadFile::~CReadFile() {
  if (file_) fclose(file_);
}

int32_t CReadFile::read(void* buffer, int32_t count) {
  if (!file_ || count <= 0) return 0;
  return static_cast<int32_t>(fread(buffer, 1, static_cast<size_t>(count), file_));
}

bool CReadFile::seek(int32_t position, bool relative) {
  if (!file_) return false;
  return fseek(file_, position, relative ? SEEK_CUR : SEEK_SET) == 0;
}

int32_t CReadFile::getPos() {
  if (!file_) return 0;
  long p = ftell(file_);
  return p < 0 ? 0 : (p > INT32_MAX ? INT32_MAX : static_cast<int32_t>(p));
}

vavozovu::IFileReader* createReadFile(const char* fileName) {
  CReadFile* f = new CReadFile(fileName);
  if (f->isOpen()) return f;
  f->drop();
  return nullptr;
}

CMemoryReadFile::CMemoryReadFile(const void* data, int32_t size, const char* name,
                                 bool deleteWhenDropped)
    : name_(name),
      data_(static_cast<const uint8_t*>(data)),
      size_(size < 0 ? 0 : size),
      deleteWhenDropped_(deleteWhenDropped) {}

CMemoryReadFile::~CMemoryReadFile() {
  if (deleteWhenDropped_) delete[] data_;
}

int32_t CMemoryReadFile::read(void* buffer, int32_t count) {
  int64_t n = static_cast<int64_t>(size_) - pos_;
  if (count < n) n = count;
  if (n <= 0) return 0;
  memcpy(buffer, data_ + pos_, static_cast<size_t>(n));
  pos_ += static_cast<int32_t>(n);
  return static_cast<int32_t>(n);
}

bool CMemoryReadFile::seek(int32_t position, bool relative) {
  // Compared unsigned: a move before the start is refused like one past the end.
  int64_t target = relative ? static_cast<int64_t>(pos_) + position : position;
  if (target < 0 || target > size_) return false;
  pos_ = static_cast<int32_t>(target);
  return true;
}

}  // namespace io
}  // namespace vz_internal
