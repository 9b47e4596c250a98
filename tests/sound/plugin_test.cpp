// Finding, loading and initialising plug-ins by their file names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sys_path.h"
#include "sound/file_system.h"
#include "sound/logger.h"
#include "sound/plugin_manager.h"
#include "sound_fixtures.h"

namespace {
struct Call {
  void* engine;
  std::string version;
  std::string file;
};
std::vector<Call> g_calls;
}  // namespace

extern "C" __attribute__((visibility("default"), used)) void tw_test_plugin_called(
    void* engine, const char* version, const char* file) {
  g_calls.push_back({engine, version, file});
}

namespace {
std::string baseName(const std::string& p) { return p.substr(p.find_last_of('/') + 1); }

class PluginTest : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    logger_ = vz_internal::acquireLogger();
    fs_ = new vz_internal::io::CFileSystem();
    std::vector<uint8_t> plugin = sndtest::readFile(TW_TEST_PLUGIN);
    std::vector<uint8_t> noinit = sndtest::readFile(TW_TEST_PLUGIN_NOINIT);
    ASSERT_FALSE(plugin.empty());
    for (const char* n : {"vzpMP3.dll", "VZPother.DLL", "vzp.dll", "myvzp.dll", "vzpx.so"})
      sndtest::writeFile(dir_.file(n), plugin);
    sndtest::writeFile(dir_.file("vzpNoInit.dll"), noinit);
    sndtest::writeFile(dir_.file("vzpBroken.dll"), {'n', 'o', 't'});
  }
  void TearDown() override {
    sys_chdir(cwd_.c_str());
    fs_->drop();
    logger_->drop();
  }
  std::vector<std::string> loadedNames() const {
    std::vector<std::string> out;
    for (const Call& c : g_calls) out.push_back(baseName(c.file));
    std::sort(out.begin(), out.end());
    return out;
  }
  sndtest::TempDir dir_;
  std::string cwd_ = sys_get_cwd();
  vavozovu::ILogger* logger_;
  vz_internal::io::CFileSystem* fs_;
  int fakeEngine_ = 0;
  vavozovu::ISoundEngine* engine() { return reinterpret_cast<vavozovu::ISoundEngine*>(&fakeEngine_); }
};
}  // namespace

TEST(PluginNames, RuleOnTheLowerCasedName) {
  using M = vavozovu::CVavOzovuPluginManager;
  EXPECT_TRUE(M::isPluginFileName("vzpMP3.dll"));
  EXPECT_TRUE(M::isPluginFileName("VZPother.DLL"));
  EXPECT_TRUE(M::isPluginFileName("vzpa.dll.old"));
  EXPECT_FALSE(M::isPluginFileName("vzp.dll"));  // 7 characters
  EXPECT_FALSE(M::isPluginFileName("myvzp.dll"));
  EXPECT_FALSE(M::isPluginFileName("vzpx.so"));
  EXPECT_FALSE(M::isPluginFileName(nullptr));
}

TEST_F(PluginTest, LoadsMatchingFilesOnceByTheirRealNames) {
  auto* m = new vavozovu::CVavOzovuPluginManager(engine(), fs_);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(m->loadPluginsFromPath(dir_.path().c_str()));
  EXPECT_TRUE(m->loadPluginsFromPath(dir_.path().c_str()));  // nothing is tried twice
  std::string log = testing::internal::GetCapturedStdout();
  EXPECT_EQ(sys_get_cwd(), cwd_);
  EXPECT_EQ(loadedNames(), (std::vector<std::string>{"VZPother.DLL", "vzpMP3.dll"}));
  for (const Call& c : g_calls) {
    EXPECT_EQ(c.engine, engine());
    EXPECT_EQ(c.version, "1.3.0");
  }
  EXPECT_NE(log.find("Loaded plugin: vzpMP3.dll\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Could not load plugin: vzpBroken.dll\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Could not find function 'vavOzovuPluginInit' in plugin: vzpNoInit.dll\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("vzp.dll"), std::string::npos);
  EXPECT_EQ(log.find("Could not load plugin: vzpBroken.dll", log.find("vzpBroken") + 1),
            std::string::npos);
  m->drop();
}

TEST_F(PluginTest, PluginLevelTwoMessagesSurviveAHigherLevel) {
  auto* m = new vavozovu::CVavOzovuPluginManager(engine(), fs_);
  logger_->setLogLevel(1);
  testing::internal::CaptureStdout();
  m->loadPluginsFromPath(dir_.path().c_str());
  std::string log = testing::internal::GetCapturedStdout();
  logger_->setLogLevel(0);
  EXPECT_EQ(log.find("Loaded plugin"), std::string::npos);
  EXPECT_NE(log.find("Could not load plugin"), std::string::npos);
  m->drop();
}

TEST_F(PluginTest, StartScansTheProgramAndWorkingFolders) {
  ASSERT_TRUE(sys_chdir(dir_.path().c_str()));
  auto* m = new vavozovu::CVavOzovuPluginManager(engine(), fs_);
  testing::internal::CaptureStdout();
  m->loadPluginsAtStart();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(sys_get_cwd(), dir_.path());
  EXPECT_EQ(loadedNames(), (std::vector<std::string>{"VZPother.DLL", "vzpMP3.dll"}));
  m->drop();
}

TEST_F(PluginTest, AMissingFolderLoadsNothing) {
  auto* m = new vavozovu::CVavOzovuPluginManager(engine(), fs_);
  EXPECT_FALSE(m->loadPluginsFromPath(dir_.file("absent").c_str()));
  EXPECT_FALSE(m->loadPluginsFromPath(nullptr));
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(sys_get_cwd(), cwd_);
  m->drop();
}
