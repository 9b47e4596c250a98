// One fuzz input through a sound stream loader, read from memory; the
// target says how to walk the stream the loader makes of it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/audio_stream.h"
#include "sound/file_reader.h"

template <class Loader, class Walk>
int fuzz_stream(const uint8_t* data, size_t size, size_t max, const char* name, Walk walk) {
  if (size > max) return 0;
  auto* reader = new vz_internal::io::CMemoryReadFile(data, static_cast<int32_t>(size), name, false);
  auto* loader = new Loader(nullptr);
  if (vavozovu::IAudioStream* s = loader->createAudioStream(reader)) {
    walk(s);
    s->drop();
  }
  loader->drop();
  reader->drop();
  return 0;
}

// Reads the stream in uneven steps (at most max_reads of them), reads at its
// middle, then seeks to `again` (a position the loader must refuse or take)
// and reads a little.
inline void walk_uneven(vavozovu::IAudioStream* s, int max_reads, int32_t again) {
  vavozovu::SAudioStreamFormat f = s->getFormat();
  std::vector<int16_t> buf(4096 * 2);
  int32_t step = 1;
  for (int i = 0; i < max_reads && s->readFrames(buf.data(), step) > 0; i++) step = step * 3 % 4093 + 1;
  s->setPosition(f.FrameCount / 2);
  s->readFrames(buf.data(), 4096);
  s->setPosition(again);
  s->readFrames(buf.data(), 17);
}
