// The silent back-end: accepts every engine operation and makes no sound.
#pragma once
#include "sound/engine.h"

namespace vavozovu {

class CVavOzovuNULLSoundEngine : public CVavOzovuSoundEngine {
 public:
  CVavOzovuNULLSoundEngine(vz_internal::io::IFileSystem* fs, uint32_t options);
  ~CVavOzovuNULLSoundEngine() override;
  const char* getDriverName() override { return "NULL"; }
  bool isDeviceOpen() override { return true; }
};

}  // namespace vavozovu
