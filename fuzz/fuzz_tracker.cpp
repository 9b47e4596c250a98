// Any byte string through the tracker-module loader (MOD, XM, S3M, IT):
// load, render the first seconds, restart.
#include <cstdint>
#include <vector>

#include "sound/file_reader.h"
#include "sound/stream_mod.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 18)) return 0;
  auto* reader = new vz_internal::io::CMemoryReadFile(data, static_cast<int32_t>(size), "f.mod", false);
  auto* loader = new vavozovu::CVavOzovuAudioStreamLoaderMOD(nullptr);
  vavozovu::IAudioStream* s = loader->createAudioStream(reader);
  if (s) {
    std::vector<int16_t> buf(2048 * 2);
    for (int i = 0; i < 40 && s->readFrames(buf.data(), 2048) > 0; ++i) {
    }
    s->setPosition(0);
    s->readFrames(buf.data(), 512);
    s->drop();
  }
  loader->drop();
  reader->drop();
  return 0;
}
