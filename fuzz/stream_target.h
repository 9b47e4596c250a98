// One fuzz input through a sound stream loader, read from memory; the
// target says how to walk the stream the loader makes of it.
#pragma once
#include <cstddef>
#include <cstdint>

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
