// Writes PCM samples as a RIFF WAVE file at the asked rate, channel count and bit depth.
#include "sound/wav.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/out.h"

namespace tw {

namespace {
void le(std::string& s, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s += char((v >> (8 * i)) & 255);
}
}  // namespace

bool write_wav(const std::string& path, int rate, int channels, int bits, const std::vector<float>& samples) {
  std::string data;
  for (float f : samples) {
    float v = std::clamp(f, -1.0f, 1.0f);
    if (bits == 8) data += char(uint8_t(std::lround(128 + v * 127)));
    else le(data, uint32_t(uint16_t(int16_t(std::lround(v * 32767)))), 2);
  }
  int align = channels * bits / 8;
  std::string out = "RIFF";
  le(out, uint32_t(36 + data.size() + (data.size() & 1)), 4);
  out += "WAVEfmt ";
  le(out, 16, 4);
  le(out, 1, 2);  // PCM
  le(out, uint32_t(channels), 2);
  le(out, uint32_t(rate), 4);
  le(out, uint32_t(rate * align), 4);
  le(out, uint32_t(align), 2);
  le(out, uint32_t(bits), 2);
  out += "data";
  le(out, uint32_t(data.size()), 4);
  out += data;
  if (data.size() & 1) out += '\0';  // chunks are word aligned
  return write_file(path, out);
}

}  // namespace tw
