// Data and per-user directories, file reads and "data.json".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "driver/driver.h"
#include "gfx/test_env.h"

using namespace tw_test;

namespace {
bool is_dir(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
// Sets or clears an environment variable for the scope.
struct EnvVar {
  std::string name, old;
  bool had;
  EnvVar(const char* n, const char* v) : name(n) {
    const char* o = std::getenv(n);
    had = o != nullptr;
    if (had) old = o;
    if (v) setenv(n, v, 1); else unsetenv(n);
  }
  ~EnvVar() {
    if (had) setenv(name.c_str(), old.c_str(), 1); else unsetenv(name.c_str());
  }
};
}  // namespace

// What is read: without a name the data folder beside the working one,
// with a name the one inside it, however often the name is set.
TEST(Dirs, DataDirectoryDependsOnTheApplicationName) {
  TempDir t;
  for (const char* d : {"data", "run", "run/data"}) ASSERT_EQ(mkdir(t.file(d).c_str(), 0700), 0);
  t.write("data/x.txt", "beside");
  t.write("run/data/x.txt", "inside");
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd) && chdir(t.file("run").c_str()) == 0);
  Driver d;
  g_driver = &d;
  for (const char* name : {"", "tunnelwick", "other", "", "tunnelwick"}) {
    d.set_app_name(name);
    EXPECT_EQ(data_read("x.txt"), *name ? "inside" : "beside") << name;
  }
  g_driver = nullptr;
  EXPECT_EQ(chdir(cwd), 0);
}

TEST(Dirs, UserDirectoryFromAppdataOrXdgOrHome) {
  TempDir t;
  Driver d;
  g_driver = &d;
  {
    EnvVar a("APPDATA", nullptr);
    EXPECT_STREQ(user_dir(), ".");  // no application name
  }
  d.set_app_name("tw-test");
  {
    EnvVar a("APPDATA", (t / "appdata").c_str());
    EnvVar x("XDG_DATA_HOME", (t / "xdg").c_str());
    const char* first = user_dir();
    EXPECT_EQ(std::string(first), t / "appdata/tw-test");
    EXPECT_TRUE(is_dir(t / "appdata/tw-test"));
    // An answer kept across another call stays readable.
    EXPECT_STREQ(user_dir(), first);
  }
  {
    EnvVar a("APPDATA", nullptr);
    EnvVar x("XDG_DATA_HOME", (t / "xdg/").c_str());
    EXPECT_EQ(std::string(user_dir()), t / "xdg/tw-test");
    EXPECT_TRUE(is_dir(t / "xdg/tw-test"));
  }
  {
    EnvVar a("APPDATA", "");
    EnvVar x("XDG_DATA_HOME", nullptr);
    EnvVar h("HOME", t.path().c_str());
    EXPECT_EQ(std::string(user_dir()), t / ".local/share/tw-test");
    EXPECT_TRUE(is_dir(t / ".local/share/tw-test"));
    // user_file_size answers the contents; a missing file is empty.
    write_file(user_path("state.dat"), std::string("ab\0cd", 5));
    EXPECT_TRUE(user_file_exists("state.dat"));
    EXPECT_FALSE(user_file_exists("none.dat"));
    EXPECT_EQ(user_file_size("state.dat"), std::string("ab\0cd", 5));
    EXPECT_EQ(user_file_size("none.dat"), "");
  }
  g_driver = nullptr;
}

TEST(Dirs, DataReadAndDataJson) {
  TempDir t;
  Driver d;
  g_driver = &d;
  d.data_dir = make_data(t.path());
  write_file(d.data_dir + "/blob.bin", std::string("\x00\xff\x01", 3));
  EXPECT_EQ(data_read("blob.bin"), std::string("\x00\xff\x01", 3));
  EXPECT_EQ(data_read("missing.bin"), "");
  d.load_data();
  EXPECT_TRUE(d.data["images"].has("red"));
  // A corrupt or missing catalogue leaves an empty one.
  write_file(d.data_dir + "/data.json", "{\"images\": {");
  d.load_data();
  EXPECT_TRUE(d.data.is_dict());
  EXPECT_EQ(d.data.len(), 0u);
  write_file(d.data_dir + "/data.json", "[1, 2]");
  d.load_data();
  EXPECT_TRUE(d.data.is_dict());
  d.data_dir = t / "nowhere";
  d.load_data();
  EXPECT_EQ(d.data.len(), 0u);
  // Start-up stops with one line naming where the data was looked for.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(d.locate_data());
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find(t / "nowhere/data.json"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  d.data_dir = t / "data";
  EXPECT_TRUE(d.locate_data());
  EXPECT_EQ(d.data_dir, t / "data");
  g_driver = nullptr;
}
