// Any byte string through the Ogg Vorbis loader: open, read in uneven steps,
// seek to the middle and back to the start.
#include <cstdint>
#include <vector>

#include "sound/file_reader.h"
#include "sound/stream_ogg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  auto* reader = new vz_internal::io::CMemoryReadFile(data, static_cast<int32_t>(size), "f.ogg", false);
  auto* loader = new vavozovu::CVavOzovuAudioStreamLoaderOGG(nullptr);
  vavozovu::IAudioStream* s = loader->createAudioStream(reader);
  if (s) {
    vavozovu::SAudioStreamFormat f = s->getFormat();
    std::vector<int16_t> buf(4096 * 2);
    int32_t step = 1;
    for (int i = 0; i < 200 && s->readFrames(buf.data(), step) > 0; i++) step = step * 3 % 4093 + 1;
    s->setPosition(f.FrameCount / 2);
    s->readFrames(buf.data(), 4096);
    s->setPosition(0);
    s->readFrames(buf.data(), 17);
    s->drop();
  }
  loader->drop();
  reader->drop();
  return 0;
}
