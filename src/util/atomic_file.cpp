// Writes a whole file through a flushed temporary of its own beside it, renamed over the target.
#include "util/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cctype>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

// The temporary file's name: "." + target name (cut to TMP_BASE_MAX bytes so
// that the whole stays within the file system's name limit) + "." + pid +
// "." + 16 hex digits + TMP_ENDING. Hidden, and of a shape no player picks.
static const char* const TMP_ENDING = ".twpart";
static const size_t TMP_BASE_MAX = 200;
static const size_t TMP_NONCE_DIGITS = 16;
// Names taken by leftovers of a dead writer that reused our pid are skipped,
// and so is a new file a cleaner took for a leftover before we locked it.
static const int TMP_NAME_TRIES = 64;

static std::string dir_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

static std::string name_of(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "." + the target's name, cut, + ".": what every temporary of one target
// starts with.
static std::string tmp_prefix(const std::string& path) {
  return "." + name_of(path).substr(0, TMP_BASE_MAX) + ".";
}

// The temporary files this process is filling right now, by full path:
// another thread's clean-up must not take them for leftovers.
static std::mutex in_use_lock;
static std::set<std::string>& in_use() {
  static std::set<std::string>* names = new std::set<std::string>();
  return *names;
}

static bool is_in_use(const std::string& tmp) {
  std::lock_guard<std::mutex> hold(in_use_lock);
  return in_use().count(tmp) != 0;
}

static void set_in_use(const std::string& tmp, bool on) {
  std::lock_guard<std::mutex> hold(in_use_lock);
  if (on)
    in_use().insert(tmp);
  else
    in_use().erase(tmp);
}

// A fresh value for each name tried, never the same twice in one process.
static uint64_t next_nonce() {
  static std::atomic<uint64_t> counter{0};
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  uint64_t x = counter.fetch_add(1) * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(ts.tv_nsec) +
               (static_cast<uint64_t>(ts.tv_sec) << 30);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ull;
  return x ^ (x >> 29);
}

bool file_still_named(int fd, const std::string& name) {
  struct stat held, named;
  return fstat(fd, &held) == 0 && lstat(name.c_str(), &named) == 0 && held.st_nlink > 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Creates the temporary file exclusively: never an existing file, never
// through a link. Answers the descriptor (holding the file's lock) or -1.
static int create_tmp(const std::string& path, mode_t mode, std::string* tmp) {
  std::string head = dir_of(path) + "/" + tmp_prefix(path) + std::to_string(static_cast<long>(getpid())) + ".";
  for (int i = 0; i < TMP_NAME_TRIES; i++) {
    char nonce[TMP_NONCE_DIGITS + 1];
    snprintf(nonce, sizeof nonce, "%016" PRIx64, next_nonce());
    *tmp = head + nonce + TMP_ENDING;
    set_in_use(*tmp, true);
    int fd = open(tmp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    int saved = errno;
    // The lock tells a cleaner in another pid namespace, to whom our pid
    // says nothing, that the file is live. Until we hold it, such a cleaner
    // may take the file for a leftover: when one has locked it first or has
    // unlinked it already, the file is that cleaner's to remove (its name
    // is not provably ours any more), and we take another name.
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 && file_still_named(fd, *tmp)) return fd;
    if (fd >= 0) {
      saved = errno;
      close(fd);
    }
    set_in_use(*tmp, false);
    errno = saved;
    if (fd < 0 && errno != EEXIST) return -1;
  }
  return -1;
}

// The pid in a temporary file name of this target, or 0 when the name is
// not of the writer's pattern.
static pid_t leftover_pid(const char* name, const std::string& prefix) {
  size_t len = strlen(name);
  size_t tail = 1 + TMP_NONCE_DIGITS + strlen(TMP_ENDING);
  if (len <= prefix.size() + tail || prefix.compare(0, prefix.size(), name, prefix.size()) != 0) return 0;
  const char* p = name + prefix.size();
  const char* dot = name + len - tail;
  if (strcmp(dot + 1 + TMP_NONCE_DIGITS, TMP_ENDING) != 0 || *dot != '.') return 0;
  for (const char* h = dot + 1; h < dot + 1 + TMP_NONCE_DIGITS; h++)
    if (!isxdigit(static_cast<unsigned char>(*h))) return 0;
  long pid = 0;
  for (; p < dot; p++) {
    if (*p < '0' || *p > '9' || pid > 1000000000L) return 0;
    pid = pid * 10 + (*p - '0');
  }
  return static_cast<pid_t>(pid);
}

static bool writer_alive(pid_t pid, const std::string& tmp) {
  if (pid == getpid()) return is_in_use(tmp);
  return kill(pid, 0) == 0 || errno != ESRCH;
}

// Removes what writers of this target left by a crash: files of the
// writer's own pattern whose process is gone (or is this one, not filling
// it) and that no writer holds locked. The name is unlinked only while it
// still refers to the file locked here: a writer that creates a file of the
// name anew locks it before using it, and one whose file was taken (locked
// or unlinked here) gives it up. Anything else stays.
static void remove_leftovers(const std::string& path) {
  std::string dir = dir_of(path);
  std::string prefix = tmp_prefix(path);
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (struct dirent* e = readdir(d)) {
    pid_t pid = leftover_pid(e->d_name, prefix);
    if (pid <= 0) continue;
    std::string tmp = dir + "/" + e->d_name;
    if (writer_alive(pid, tmp)) continue;
    int fd = open(tmp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 && file_still_named(fd, tmp))
      unlink(tmp.c_str());
    close(fd);
  }
  closedir(d);
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

bool file_sync_dir(const std::string& path) {
  int fd = open(dir_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot sync a directory; they say so with EINVAL.
  bool ok = fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  int saved = errno;
  close(fd);
  errno = saved;
  return ok;
}

bool atomic_write_file(const std::string& path, const void* data, size_t len, mode_t mode) {
  std::string tmp;
  const char* step = "create a temporary file for";
  int fd = create_tmp(path, mode, &tmp);
  bool ok = fd >= 0;
  if (ok) {
    step = "write";
    ok = write_all(fd, data, len);
    if (ok) {
      step = "flush";
      ok = fsync(fd) == 0;
    }
    if (ok) {
      step = "rename";
      ok = rename(tmp.c_str(), path.c_str()) == 0;
    }
  }
  if (!ok) {
    int saved = errno;
    if (fd >= 0) {
      unlink(tmp.c_str());
      close(fd);
      set_in_use(tmp, false);
    }
    std::fprintf(stderr, "atomic_write_file: cannot %s %s (%s); %s is unchanged\n", step,
                 fd >= 0 ? tmp.c_str() : path.c_str(), std::strerror(saved), path.c_str());
    return false;
  }
  // The lock is held until the file has its name: a cleaner that cannot
  // tell whether this writer lives (another pid namespace) never takes it.
  // Its contents are flushed already, so closing cannot lose them.
  close(fd);
  set_in_use(tmp, false);
  // The new file is in place; only its durability is in doubt.
  if (!file_sync_dir(path))
    std::fprintf(stderr, "atomic_write_file: cannot flush the directory of %s (%s)\n", path.c_str(),
                 std::strerror(errno));
  remove_leftovers(path);
  return true;
}

// The first kept name is "<path>.bad", then "<path>.bad.1" and so on; the
// search stops after this many, all taken.
static const char* const KEPT_ENDING = ".bad";
static const int KEPT_NAMES_MAX = 1000;

static bool name_taken(const std::string& name) {
  struct stat st;
  return lstat(name.c_str(), &st) == 0 || errno != ENOENT;
}

// Renames from to to, never over a file there. A file system that cannot
// refuse a replacing rename takes a link and an unlink instead; a folder,
// which cannot be linked, is renamed once to is seen to be free.
static bool move_no_replace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
  if (link(from.c_str(), to.c_str()) == 0) return unlink(from.c_str()) == 0;
  if (errno != EPERM) return false;
  if (name_taken(to)) {
    errno = EEXIST;
    return false;
  }
  return rename(from.c_str(), to.c_str()) == 0;
}

static void narrow(const std::string& name, mode_t mode, std::string* why) {
  struct stat st;
  if (lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && chmod(name.c_str(), mode) != 0 && why->empty())
    *why = std::strerror(errno);
}

std::string file_keep_aside(const std::string& path, mode_t mode, KeepAside how,
                            const std::vector<std::string>& with, std::string* why) {
  why->clear();
  for (int i = 0; i < KEPT_NAMES_MAX; i++) {
    std::string bad = path + KEPT_ENDING + (i ? "." + std::to_string(i) : "");
    bool free = !name_taken(bad);
    for (const std::string& w : with) free = free && !name_taken(bad + w);
    if (!free) continue;
    bool kept = how == KeepAside::Link ? link(path.c_str(), bad.c_str()) == 0 : move_no_replace(path, bad);
    if (!kept && errno == EEXIST) continue;  // taken meanwhile
    if (!kept) {
      *why = std::strerror(errno);
      return "";
    }
    std::vector<std::string> moved;
    for (const std::string& w : with) {
      if (!name_taken(path + w)) continue;
      if (!move_no_replace(path + w, bad + w)) {
        *why = "its " + w + " cannot be kept beside it: " + std::strerror(errno);
        // Undone, so that the file and its companions stay together.
        for (const std::string& back : moved) move_no_replace(bad + back, path + back);
        if (how == KeepAside::Link)
          unlink(bad.c_str());
        else
          move_no_replace(bad, path);
        return "";
      }
      moved.push_back(w);
    }
    narrow(bad, mode, why);
    for (const std::string& w : moved) narrow(bad + w, mode, why);
    return bad;
  }
  *why = "every name for it is taken";
  return "";
}
