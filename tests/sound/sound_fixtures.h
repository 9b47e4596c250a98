// Test helpers: a private temporary folder, and sound files written by the
// tests themselves (WAV, Ogg Vorbis through libvorbisenc, MOD and S3M).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace sndtest {

using ::TempDir;

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);

struct Chunk {
  std::string id;
  std::vector<uint8_t> body;
  uint32_t declaredSize;  // what the head says (may lie)
};
Chunk fmtChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits);
Chunk dataChunk(const std::vector<uint8_t>& pcm);
Chunk otherChunk(const std::string& id, size_t size);
// RIFF/WAVE around the chunks; odd chunk bodies get their pad byte.
std::vector<uint8_t> wavFile(const std::vector<Chunk>& chunks);
// A plain PCM file of the given frames (interleaved, 8/16/24 bits).
std::vector<uint8_t> pcmWav(uint16_t channels, uint32_t rate, uint16_t bits,
                            const std::vector<uint8_t>& pcm);
std::vector<uint8_t> s16Bytes(const std::vector<int16_t>& samples);

// A sine of the given length as Ogg Vorbis (quality 0.4).
std::vector<uint8_t> oggFile(int channels, int rate, int frames, double freq);
// Two mono links one after the other, at rate1 and then rate2.
std::vector<uint8_t> oggChainFile(int rate1, int rate2, int frames, double freq);

// A four-channel M.K. module: one looped square-wave sample, one pattern
// that plays a note and ends after `rows` rows at speed 1.
std::vector<uint8_t> modFile(int rows);
// A Scream Tracker 3 module with one sample and one short pattern.
std::vector<uint8_t> s3mFile(int rows);

// Frames decoded by the libraries' own calls, for comparison.
std::vector<int16_t> decodeOggDirect(const std::string& path, int* channels, int* rate);
// The whole module up to its loop point, rendered `step` frames per call.
std::vector<int16_t> renderModuleDirect(const std::string& path, long step);

}  // namespace sndtest
