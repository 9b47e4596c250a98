// The durable writer: a file is replaced whole or not at all.
#include "util/atomic_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "support/temp_dir.h"
#include "support/write_faults.h"

static std::set<std::string> names_in(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename());
  return names;
}

// Whatever stands beside the target is left as it was: files that look like
// a temporary (a file or a link named "<name>.tmp", or one of the writer's
// own pattern) are the player's, another target's leftovers (one whose name
// is as long too) and those a live writer is filling or holds locked too; only what a writer left by a crash goes (this
// process is filling none). The new file has no more permissions than asked.
TEST(AtomicWriteFile, OnlyCrashLeftoversOfTheTargetGo) {
  TempDir dir;
  auto leftover = [](pid_t pid, const char* target, const char* nonce = "0123456789abcdef") {
    return "." + std::string(target) + "." + std::to_string(pid) + "." + nonce + ".twpart";
  };
  pid_t dead = fork(), live = dead ? fork() : 0;
  if (dead == 0) _exit(0);
  while (live == 0) pause();
  waitpid(dead, nullptr, 0);
  for (pid_t pid : {dead, getpid()}) dir.write(leftover(pid, "f.dat"), "partial");
  std::map<std::string, std::string> kept = {
      {leftover(live, "f.dat"), "partial"}, {leftover(dead, "other.dat"), "another target's"},
      {leftover(dead, "e.dat"), "another target's"}, {leftover(dead, "f.dat", "fedcba9876543210"), "locked"},
      {"f.dat.tmp", std::string(5000, 'x')}, {"victim", "kept"}, {".f.dat.1.twpart", "player's"}};
  for (const auto& [name, bytes] : kept) dir.write(name, bytes);
  ASSERT_EQ(symlink(dir.file("victim").c_str(), dir.file("g.dat.tmp").c_str()), 0);
  int held = open(dir.file(leftover(dead, "f.dat", "fedcba9876543210")).c_str(), O_RDONLY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  ASSERT_TRUE(atomic_write_file(dir.file("f.dat"), "new", 3, 0600));
  ASSERT_TRUE(atomic_write_file(dir.file("g.dat"), "new", 3, 0600));
  kept.insert({{"f.dat", "new"}, {"g.dat", "new"}, {"g.dat.tmp", "kept"}});
  std::set<std::string> names;
  for (const auto& [name, bytes] : kept) {
    EXPECT_EQ(dir.read(name), bytes) << name;
    names.insert(name);
  }
  EXPECT_EQ(names_in(dir.path()), names);
  struct stat st;
  ASSERT_EQ(stat(dir.file("f.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  close(held);
  kill(live, SIGKILL);
  waitpid(live, nullptr, 0);
}

// One diagnostic line for each failed write, the previous file whole and no
// temporary file left behind, whatever fails: the write, the directory, or
// the rename onto a folder of the player's at the target.
TEST(AtomicWriteFile, AFailedWriteKeepsThePreviousFileAndSaysItOnce) {
  TempDir dir;
  std::string path = dir.file("progress.dat");
  ASSERT_TRUE(atomic_write_file(path, "old", 3));
  auto expect_kept = [&](const char* what, const std::string& target) {
    std::set<std::string> before = names_in(dir.path());
    std::string big(100000, 'n');
    testing::internal::CaptureStderr();
    EXPECT_FALSE(atomic_write_file(target, big.data(), big.size())) << what;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << what << ": " << log;
    EXPECT_EQ(dir.read("progress.dat"), "old") << what;
    EXPECT_EQ(names_in(dir.path()), before) << what;
  };
  {
    FileSizeCap full(4096);
    expect_kept("short write", path);
  }
  expect_kept("no directory", dir.file("gone/progress.dat"));
  if (ReadOnlyDir::enforced()) {
    ReadOnlyDir locked(dir.path());
    expect_kept("unwritable directory", path);
  }
  ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0700), 0);
  expect_kept("folder at the target", dir.file("folder"));
}

// Several processes replace one file over and over while a reader reads it
// all the while: every write answers true and every read is one whole
// version (each writer's version has its own byte and its own length). Each
// writer is pid 1 of a pid namespace of its own where one can be made: to
// each one's cleaner the others' pid is its own, so only the lock guards a
// live temporary file.
TEST(AtomicWriteFile, ConcurrentWritersNeverTearTheFile) {
  TempDir dir;
  ASSERT_TRUE(atomic_write_file(dir.file("state.dat"), "z", 1));
  for (int w = 0; w < 4; w++)
    if (pid_t pid = fork(); pid <= 0) {
      ASSERT_EQ(pid, 0);
      int status;
      if ((unshare(CLONE_NEWPID) == 0 || unshare(CLONE_NEWUSER | CLONE_NEWPID) == 0) && (pid = fork()) != 0)
        _exit(pid > 0 && waitpid(pid, &status, 0) > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : 1);
      std::string mine(2000 + 7919 * w, static_cast<char>('a' + w));
      bool ok = true;
      for (int i = 0; i < 750; i++) ok = atomic_write_file(dir.file("state.dat"), mine.data(), mine.size()) && ok;
      _exit(ok ? 0 : 1);
    }
  int running = 4, torn = 0, status;
  while (running > 0) {
    std::string got = dir.read("state.dat");
    size_t want = got == "z" ? 1 : got.empty() ? 0 : 2000 + 7919 * static_cast<size_t>(got[0] - 'a');
    torn += got.size() != want || got.find_first_not_of(got[0]) != std::string::npos;
    for (; running > 0 && waitpid(-1, &status, WNOHANG) > 0; running--) EXPECT_EQ(status, 0) << "a failed write";
  }
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"state.dat"});
}
