// Any byte string through the WAV loader: parse, read in uneven steps, seek.
#include <vector>

#include "sound/stream_wav.h"
#include "stream_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using Loader = vavozovu::CVavOzovuAudioStreamLoaderWAV;
  return fuzz_stream<Loader>(data, size, 1u << 20, "f.wav", [](vavozovu::IAudioStream* s) {
    vavozovu::SAudioStreamFormat f = s->getFormat();
    std::vector<int16_t> buf(4096 * 2);
    int32_t step = 1;
    while (s->readFrames(buf.data(), step) > 0) step = step * 3 % 4093 + 1;
    s->setPosition(f.FrameCount / 2);
    s->readFrames(buf.data(), 4096);
    s->setPosition(-1);
    s->readFrames(buf.data(), 17);
  });
}
