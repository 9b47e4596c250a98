// Any byte string through the tracker-module loader (MOD, XM, S3M, IT):
// load, render the first seconds, restart.
#include <vector>

#include "sound/stream_mod.h"
#include "stream_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using Loader = vavozovu::CVavOzovuAudioStreamLoaderMOD;
  return fuzz_stream<Loader>(data, size, 1u << 18, "f.mod", [](vavozovu::IAudioStream* s) {
    std::vector<int16_t> buf(2048 * 2);
    for (int i = 0; i < 40 && s->readFrames(buf.data(), 2048) > 0; ++i) {
    }
    s->setPosition(0);
    s->readFrames(buf.data(), 512);
  });
}
