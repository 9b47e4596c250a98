// Any byte string through the WAV loader: parse, read in uneven steps, seek.
#include <climits>

#include "sound/stream_wav.h"
#include "stream_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using Loader = vavozovu::CVavOzovuAudioStreamLoaderWAV;
  auto walk = [](vavozovu::IAudioStream* s) { walk_uneven(s, INT_MAX, -1); };
  return fuzz_stream<Loader>(data, size, 1u << 20, "f.wav", walk);
}
