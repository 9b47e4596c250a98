// File readers, the file list, the engine file system and path joining.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/sys_path.h"
#include "sound/file_list.h"
#include "sound/file_reader.h"
#include "sound/file_system.h"
#include "sound_fixtures.h"

using namespace vz_internal::io;
using vavozovu::IFileReader;

TEST(MemoryReader, SeeksWithinAndToTheEndOnly) {
  static const char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  CMemoryReadFile* r = new CMemoryReadFile(data, 10, "mem", false);
  char buf[16];
  EXPECT_TRUE(r->seek(10));
  EXPECT_EQ(r->read(buf, 4), 0);
  EXPECT_FALSE(r->seek(11));
  EXPECT_EQ(r->getPos(), 10);
  EXPECT_TRUE(r->seek(2));
  EXPECT_FALSE(r->seek(-5, true));
  EXPECT_EQ(r->getPos(), 2);
  EXPECT_EQ(r->read(buf, 16), 8);
  EXPECT_EQ(buf[0], 2);
  EXPECT_EQ(buf[7], 9);
  EXPECT_TRUE(r->seek(-3, true));
  EXPECT_EQ(r->read(buf, 1), 1);
  EXPECT_EQ(buf[0], 7);
  EXPECT_STREQ(r->getFileName(), "mem");
  EXPECT_EQ(r->getSize(), 10);
  r->drop();
}

TEST(MemoryReader, FreesAnOwnedBlock) {
  char* owned = new char[4]{1, 2, 3, 4};
  CMemoryReadFile* r = new CMemoryReadFile(owned, 4, "owned", true);
  char b[4];
  EXPECT_EQ(r->read(b, 4), 4);
  r->drop();  // AddressSanitizer reports a leak otherwise
}

TEST(FileReader, ReadsSeeksAndRefusesMissingFiles) {
  sndtest::TempDir dir;
  std::string p = dir.file("a.bin");
  sndtest::writeFile(p, {10, 11, 12, 13, 14});
  IFileReader* r = createReadFile(p.c_str());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->getSize(), 5);
  EXPECT_STREQ(r->getFileName(), p.c_str());
  uint8_t b[8];
  EXPECT_TRUE(r->seek(3));
  EXPECT_EQ(r->read(b, 8), 2);
  EXPECT_EQ(b[0], 13);
  EXPECT_TRUE(r->seek(-4, true));
  EXPECT_EQ(r->getPos(), 1);
  r->drop();
  EXPECT_EQ(createReadFile(""), nullptr);
  EXPECT_EQ(createReadFile(dir.file("missing").c_str()), nullptr);
}

namespace {
struct FixedFactory : IFileFactory {
  vavozovu::IFileReader* createFileReader(const char* name) override {
    if (strcmp(name, "virtual.wav") != 0) return nullptr;
    return new CMemoryReadFile("xyz", 3, name, false);
  }
};

struct CwdGuard {
  std::string saved = sys_get_cwd();
  ~CwdGuard() { sys_chdir(saved.c_str()); }
};
}  // namespace

TEST(FileSystem, FactoriesComeBeforeDiskFiles) {
  sndtest::TempDir dir;
  CwdGuard guard;
  ASSERT_TRUE(sys_chdir(dir.path().c_str()));
  sndtest::writeFile("virtual.wav", {1, 2, 3, 4, 5, 6, 7});
  CFileSystem* fs = new CFileSystem();
  EXPECT_EQ(fs->createAndOpenFile("missing.wav"), nullptr);
  IFileReader* disk = fs->createAndOpenFile("virtual.wav");
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(disk->getSize(), 7);
  disk->drop();
  FixedFactory* f = new FixedFactory;
  fs->addFileFactory(f);
  fs->addFileFactory(nullptr);
  f->drop();  // the file system keeps its own reference
  IFileReader* virt = fs->createAndOpenFile("virtual.wav");
  ASSERT_NE(virt, nullptr);
  EXPECT_EQ(virt->getSize(), 3);
  virt->drop();
  fs->drop();
}

TEST(FileSystem, DirectoriesPathsAndExistence) {
  sndtest::TempDir dir;
  CwdGuard guard;
  CFileSystem* fs = new CFileSystem();
  std::string sub = dir.file("made");
  EXPECT_TRUE(fs->createDirectory(sub.c_str()));
  EXPECT_TRUE(fs->createDirectory(sub.c_str()));  // already there
  EXPECT_FALSE(fs->createDirectory(dir.file("no/such/parent").c_str()));
  EXPECT_STREQ(fs->getFileDir("sounds/boom.wav").c_str(), "sounds/");
  EXPECT_STREQ(fs->getFileBasename("sounds/boom.wav").c_str(), "boom.wav");
  EXPECT_STREQ(fs->getFileDir("boom.wav").c_str(), "");
  EXPECT_TRUE(fs->changeWorkingDirectoryTo(sub.c_str()));
  EXPECT_EQ(std::string(fs->getWorkingDirectory()), sys_get_cwd());
  EXPECT_FALSE(fs->changeWorkingDirectoryTo(dir.file("absent").c_str()));
  sndtest::writeFile("here.txt", {1});
  EXPECT_TRUE(fs->existFile("here.txt"));
  EXPECT_FALSE(fs->existFile("gone.txt"));
  fs->drop();
}

TEST(FileList, ListsTheWorkingFolder) {
  sndtest::TempDir dir;
  CwdGuard guard;
  ASSERT_TRUE(sys_chdir(dir.path().c_str()));
  sndtest::writeFile("one.wav", std::vector<uint8_t>(5, 0));
  ASSERT_TRUE(CFileSystem().createDirectory("folder"));
  CFileSystem* fs = new CFileSystem();
  IFileList* list = fs->createFileList();
  ASSERT_EQ(list->getFileCount(), 4);  // ".", "..", one.wav, folder
  int wav = -1, folder = -1;
  for (int i = 0; i < list->getFileCount(); ++i) {
    if (strcmp(list->getFileName(i), "one.wav") == 0) wav = i;
    if (strcmp(list->getFileName(i), "folder") == 0) folder = i;
  }
  ASSERT_GE(wav, 0);
  ASSERT_GE(folder, 0);
  EXPECT_FALSE(list->isDirectory(wav));
  EXPECT_TRUE(list->isDirectory(folder));
  EXPECT_EQ(std::string(list->getFullFileName(wav)), sys_get_cwd() + "/one.wav");
  EXPECT_EQ(list->getFileName(-1), nullptr);
  EXPECT_EQ(list->getFullFileName(4), nullptr);
  EXPECT_FALSE(list->isDirectory(4));
  list->drop();
  fs->drop();
}

TEST(Paths, JoinPutsExactlyOneSeparator) {
  EXPECT_EQ(sys_join_path("/", "a.dll"), "/a.dll");
  EXPECT_EQ(sys_join_path("/games", "a.dll"), "/games/a.dll");
  EXPECT_EQ(sys_join_path("/games/", "a.dll"), "/games/a.dll");
  EXPECT_EQ(sys_join_path("/games//", "/a.dll"), "/games/a.dll");
  EXPECT_EQ(sys_join_path("", "a.dll"), "a.dll");
  std::string d, n, e;
  sys_split_path("x/y/name.tar.gz", &d, &n, &e);
  EXPECT_EQ(d, "x/y/");
  EXPECT_EQ(n, "name.tar");
  EXPECT_EQ(e, ".gz");
}
