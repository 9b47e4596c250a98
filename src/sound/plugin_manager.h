// Finds plug-in libraries by file name ("vzp" prefix, ".dll" inside, more
// than 7 characters, compared lower-cased), loads each at most once and
// calls its entry point vavOzovuPluginInit(engine, "1.3.0").
#pragma once
#include "sound/containers.h"
#include "sound/ref_counted.h"

namespace vz_internal {
namespace io {
class IFileSystem;
}
}  // namespace vz_internal

namespace vavozovu {

class ISoundEngine;

// The plug-in's entry point, exported with C linkage.
typedef void (*VavOzovuPluginInitFn)(ISoundEngine* engine, const char* version);

class CVavOzovuPluginManager : public IRefCounted {
 public:
  CVavOzovuPluginManager(ISoundEngine* engine, vz_internal::io::IFileSystem* fs);
  ~CVavOzovuPluginManager() override;

  void loadPlugin(const char* fileName);
  void loadPluginsInCurrentFolder();
  void loadPluginsAtStart();
  bool loadPluginsFromPath(const char* folder);

  // The file-name rule, applied to a lower-cased copy of the name.
  static bool isPluginFileName(const char* fileName);

 private:
  vz_internal::io::IFileSystem* fs_;
  ISoundEngine* engine_;
  vz_internal::vzArray<vz_internal::vzString*> tried_;
};

}  // namespace vavozovu
