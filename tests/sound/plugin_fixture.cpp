// A plug-in for the loader tests: it reports its call back to the test
// program through a symbol that the test executable exports.
#include <dlfcn.h>

namespace vavozovu {
class ISoundEngine;
}

extern "C" __attribute__((visibility("default"))) void vavOzovuPluginInit(
    vavozovu::ISoundEngine* engine, const char* version) {
  typedef void (*Report)(void*, const char*, const char*);
  Report report = reinterpret_cast<Report>(dlsym(RTLD_DEFAULT, "tw_test_plugin_called"));
  Dl_info info;
  const char* self = "";
  if (dladdr(reinterpret_cast<void*>(&vavOzovuPluginInit), &info) && info.dli_fname)
    self = info.dli_fname;
  if (report) report(engine, version, self);
}
