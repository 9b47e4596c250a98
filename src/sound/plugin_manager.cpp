// Finds plug-in libraries by name in the working or a given folder and starts each once.
#include "sound/plugin_manager.h"

#include <cstring>
#include <string>

#include "platform/sys_dynlib.h"
#include "platform/sys_path.h"
#include "sound/file_system.h"
#include "sound/logger.h"

namespace vavozovu {

CVavOzovuPluginManager::CVavOzovuPluginManager(ISoundEngine* engine,
                                               vz_internal::io::IFileSystem* fs)
    : fs_(fs), engine_(engine) {
  if (fs_) fs_->grab();
}

CVavOzovuPluginManager::~CVavOzovuPluginManager() {
  for (size_t i = 0; i < tried_.size(); ++i) delete tried_[i];
  if (fs_) fs_->drop();
}

bool CVavOzovuPluginManager::isPluginFileName(const char* fileName) {
  if (!fileName) return false;
  vz_internal::vzString lower(fileName);
  lower.makeLower();
  return lower.size() > 7 && strncmp(lower.c_str(), "vzp", 3) == 0 && lower.contains(".dll");
}

void CVavOzovuPluginManager::loadPlugin(const char* fileName) {
  if (!fileName) return;
  for (size_t i = 0; i < tried_.size(); ++i)
    if (*tried_[i] == fileName) return;
  tried_.push_back(new vz_internal::vzString(fileName));

  void* lib = sys_load_library(fileName);
  if (!lib) {
    vz_internal::logTextWithName("Could not load plugin", fileName, 2);
    return;
  }
  VavOzovuPluginInitFn init =
      reinterpret_cast<VavOzovuPluginInitFn>(sys_get_proc_address(lib, "vavOzovuPluginInit"));
  if (!init) {
    vz_internal::logTextWithName("Could not find function 'vavOzovuPluginInit' in plugin",
                                 fileName, 2);
    return;
  }
  init(engine_, "1.3.0");
  vz_internal::logTextWithName("Loaded plugin", fileName, 0);
}

void CVavOzovuPluginManager::loadPluginsInCurrentFolder() {
  if (!fs_) return;
  vz_internal::io::IFileList* list = fs_->createFileList();
  if (!list) return;
  for (int32_t i = 0; i < list->getFileCount(); ++i) {
    const char* name = list->getFileName(i);
    // The rule is case-blind, but the file is opened by its real name: on
    // this file system the lower-cased name may not exist.
    if (!list->isDirectory(i) && isPluginFileName(name)) loadPlugin(name);
  }
  list->drop();
}

void CVavOzovuPluginManager::loadPluginsAtStart() {
  if (!fs_) return;
  std::string exe = sys_module_file_name();
  vz_internal::vzString programDir = fs_->getFileDir(exe.c_str());
  std::string working = fs_->getWorkingDirectory();
  // Compare folders without their trailing separators.
  std::string a = programDir.c_str(), b = working;
  while (a.size() > 1 && a.back() == '/') a.pop_back();
  while (b.size() > 1 && b.back() == '/') b.pop_back();
  if (!a.empty() && a != b && fs_->changeWorkingDirectoryTo(programDir.c_str()))
    loadPluginsInCurrentFolder();
  fs_->changeWorkingDirectoryTo(working.c_str());
  loadPluginsInCurrentFolder();
}

bool CVavOzovuPluginManager::loadPluginsFromPath(const char* folder) {
  if (!fs_ || !folder) return false;
  std::string working = fs_->getWorkingDirectory();
  if (!fs_->changeWorkingDirectoryTo(folder)) return false;
  loadPluginsInCurrentFolder();
  fs_->changeWorkingDirectoryTo(working.c_str());
  return true;
}

}  // namespace vavozovu
