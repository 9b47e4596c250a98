// The silent back-end's construction and teardown; the shared engine does the rest.
#include "sound/null_engine.h"

namespace vavozovu {

CVavOzovuNULLSoundEngine::CVavOzovuNULLSoundEngine(vz_internal::io::IFileSystem* fs,
                                                   uint32_t options)
    : CVavOzovuSoundEngine(fs, options) {
  startUpdateThread();
  vz_internal::logText("Using NULL driver");
}

CVavOzovuNULLSoundEngine::~CVavOzovuNULLSoundEngine() { stopUpdateThread(); }

}  // namespace vavozovu
