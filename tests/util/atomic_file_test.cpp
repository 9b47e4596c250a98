// The durable writer: a file is replaced whole or not at all.
#include "util/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "support/temp_dir.h"
#include "support/write_faults.h"

// Whatever an earlier write left at the temporary path, the new file holds
// exactly the new bytes, with no more permissions than asked for.
TEST(AtomicWriteFile, TheTemporaryFileIsTruncatedAndNarrowed) {
  TempDir dir;
  dir.write("f.dat.tmp", std::string(5000, 'x'));
  ASSERT_EQ(chmod(dir.file("f.dat.tmp").c_str(), 0666), 0);
  ASSERT_TRUE(atomic_write_file(dir.file("f.dat"), "new", 3, 0600));
  EXPECT_EQ(dir.read("f.dat"), "new");
  struct stat st;
  ASSERT_EQ(stat(dir.file("f.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_NE(stat(dir.file("f.dat.tmp").c_str(), &st), 0);

  // A link planted under the temporary name is not written through.
  dir.write("victim", "kept");
  ASSERT_EQ(symlink(dir.file("victim").c_str(), dir.file("f.dat.tmp").c_str()), 0);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(atomic_write_file(dir.file("f.dat"), "evil", 4));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(dir.read("victim"), "kept");
  EXPECT_EQ(dir.read("f.dat"), "new");
}

// One diagnostic line for each failed write, the previous file whole and no
// temporary file left behind.
TEST(AtomicWriteFile, AFailedWriteKeepsThePreviousFileAndSaysItOnce) {
  TempDir dir;
  std::string path = dir.file("progress.dat");
  ASSERT_TRUE(atomic_write_file(path, "old", 3));
  auto expect_kept = [&](const char* what, const std::string& target) {
    std::string big(100000, 'n');
    testing::internal::CaptureStderr();
    EXPECT_FALSE(atomic_write_file(target, big.data(), big.size())) << what;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << what << ": " << log;
    EXPECT_EQ(dir.read("progress.dat"), "old") << what;
    struct stat st;
    EXPECT_NE(stat((path + ".tmp").c_str(), &st), 0) << what;
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
  // The temporary path cannot be opened as a file.
  ASSERT_EQ(mkdir(dir.file("progress.dat.tmp").c_str(), 0700), 0);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(atomic_write_file(path, "new", 3));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(dir.read("progress.dat"), "old");
}
