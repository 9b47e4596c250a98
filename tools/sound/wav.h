// RIFF WAVE output of PCM sound.
#pragma once
#include <string>
#include <vector>

namespace tw {

// Writes interleaved float samples (-1..1) as 8-bit unsigned or 16-bit
// signed little-endian PCM.
bool write_wav(const std::string& path, int rate, int channels, int bits, const std::vector<float>& samples);

}  // namespace tw
