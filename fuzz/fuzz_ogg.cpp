// Any byte string through the Ogg Vorbis loader: open, read in uneven steps,
// seek to the middle and back to the start.
#include "sound/stream_ogg.h"
#include "stream_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using Loader = vavozovu::CVavOzovuAudioStreamLoaderOGG;
  return fuzz_stream<Loader>(data, size, 1u << 20, "f.ogg", [](vavozovu::IAudioStream* s) { walk_uneven(s, 200, 0); });
}
