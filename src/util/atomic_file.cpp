// Writes a whole file through a flushed temporary beside it, renamed over the target.
#include "util/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

static std::string dir_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

static bool write_all(int fd, const void* data, size_t len) {
  const char* p = static_cast<const char*>(data);
  while (len > 0) {
    ssize_t n = write(fd, p, len);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    // A write that takes nothing would loop for ever: the device is full.
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    p += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

// Flushes the directory so that the rename itself is on the disk. Some
// file systems cannot sync a directory; they say so with EINVAL.
static bool sync_dir(const std::string& dir) {
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  int saved = errno;
  close(fd);
  errno = saved;
  return ok;
}

bool atomic_write_file(const std::string& path, const void* data, size_t len, mode_t mode) {
  std::string tmp = path + ".tmp";
  const char* step = "open";
  // O_NOFOLLOW: a link planted under the temporary name is not written
  // through.
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
  bool ok = fd >= 0;
  if (ok) {
    struct stat st;
    step = "narrow the mode of";
    ok = fstat(fd, &st) == 0 && ((st.st_mode & 07777 & ~mode) == 0 || fchmod(fd, st.st_mode & mode & 07777) == 0);
    if (ok) {
      step = "write";
      ok = write_all(fd, data, len);
    }
    if (ok) {
      step = "flush";
      ok = fsync(fd) == 0;
    }
    int saved = errno;
    if (close(fd) != 0 && ok) {
      step = "close";
      ok = false;
    } else {
      errno = saved;
    }
    if (ok) {
      step = "rename";
      ok = rename(tmp.c_str(), path.c_str()) == 0;
    }
  }
  if (!ok) {
    int saved = errno;
    if (fd >= 0) unlink(tmp.c_str());
    std::fprintf(stderr, "atomic_write_file: cannot %s %s (%s); %s is unchanged\n", step, tmp.c_str(),
                 std::strerror(saved), path.c_str());
    return false;
  }
  // The new file is in place; only its durability is in doubt.
  if (!sync_dir(dir_of(path)))
    std::fprintf(stderr, "atomic_write_file: cannot flush the directory of %s (%s)\n", path.c_str(),
                 std::strerror(errno));
  return true;
}
