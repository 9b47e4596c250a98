// Writes made to fail without root (a full disk, a folder that takes no files), undone at scope end.
#pragma once
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>

// Files of this process cannot grow past bytes: a write beyond takes part
// of its bytes, then fails with EFBIG, as on a full disk.
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit capped = old_;
    capped.rlim_cur = bytes;
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &capped);
  }
  ~FileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, old_handler_);
  }
  FileSizeCap(const FileSizeCap&) = delete;
  FileSizeCap& operator=(const FileSizeCap&) = delete;

 private:
  rlimit old_;
  sighandler_t old_handler_;
};

// The directory refuses new files while this lives. Root ignores the mode:
// enforced() says whether the refusal holds, and a test skips what needs it.
class ReadOnlyDir {
 public:
  explicit ReadOnlyDir(const std::string& dir) : dir_(dir) { chmod(dir_.c_str(), 0500); }
  ~ReadOnlyDir() { chmod(dir_.c_str(), 0700); }
  ReadOnlyDir(const ReadOnlyDir&) = delete;
  ReadOnlyDir& operator=(const ReadOnlyDir&) = delete;
  static bool enforced() { return geteuid() != 0; }

 private:
  std::string dir_;
};
