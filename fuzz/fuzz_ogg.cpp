// Any byte string through the Ogg Vorbis loader: open, read in uneven steps,
// seek to the middle and back to the start.
#include <vector>

#include "sound/stream_ogg.h"
#include "stream_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using Loader = vavozovu::CVavOzovuAudioStreamLoaderOGG;
  return fuzz_stream<Loader>(data, size, 1u << 20, "f.ogg", [](vavozovu::IAudioStream* s) {
    vavozovu::SAudioStreamFormat f = s->getFormat();
    std::vector<int16_t> buf(4096 * 2);
    int32_t step = 1;
    for (int i = 0; i < 200 && s->readFrames(buf.data(), step) > 0; i++) step = step * 3 % 4093 + 1;
    s->setPosition(f.FrameCount / 2);
    s->readFrames(buf.data(), 4096);
    s->setPosition(0);
    s->readFrames(buf.data(), 17);
  });
}
