// Picture signatures: a paint that draws nothing but remembers, in one
// 64-bit hash, everything it would have drawn.
#include <cstring>

#include "gfx/gfx.h"
#include "gfx/gl.h"

namespace {
bool g_on = false;
uint64_t g_hash = 0;
const uint64_t kSeed = 0x9e3779b97f4a7c15ULL;
const uint64_t kMul1 = 0xbf58476d1ce4e5b9ULL;
const uint64_t kMul2 = 0x94d049bb133111ebULL;

// Folds one 64-bit word: a multiply-rotate round, so that every bit of the
// word reaches every bit of the hash within a few words.
inline void fold(uint64_t w) {
  w *= kMul1;
  w = (w << 31) | (w >> 33);
  g_hash ^= w * kMul2;
  g_hash = ((g_hash << 27) | (g_hash >> 37)) * 5 + 0x52dce729;
}
}  // namespace

void gfx_sig_state(float out[32]);  // gfx.cpp

void gfx_sig_begin() {
  g_on = true;
  g_hash = kSeed;
  unsigned generation = gfx_gl_generation();
  gfx_sig_bytes(&generation, sizeof generation);
}

uint64_t gfx_sig_end() {
  g_on = false;
  // A last mix, so that the final words reach every bit as well.
  uint64_t h = g_hash;
  h ^= h >> 33;
  h *= kMul1;
  h ^= h >> 29;
  return h;
}

bool gfx_sig_on() { return g_on; }

// Whole 8-byte words at a time; the tail is packed into one more word
// together with the length, so that data of different lengths differ.
void gfx_sig_bytes(const void* data, size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    fold(w);
  }
  uint64_t tail = static_cast<uint64_t>(n) << 56;
  for (size_t k = 0; i + k < n; k++) tail ^= static_cast<uint64_t>(p[i + k]) << (8 * k);
  fold(tail);
}

void gfx_sig_draw(int op, const float* args, int n) {
  // The operation, its arguments and the state it draws with, as one block.
  float block[1 + 16 + 32];
  int count = n < 0 ? 0 : n > 16 ? 16 : n;
  std::memcpy(&block[0], &op, sizeof op);
  if (count) std::memcpy(&block[1], args, sizeof(float) * static_cast<size_t>(count));
  gfx_sig_state(&block[1 + count]);
  gfx_sig_bytes(block, sizeof(float) * static_cast<size_t>(1 + count + 32));
  if (n > 16) gfx_sig_bytes(args + 16, sizeof(float) * static_cast<size_t>(n - 16));
}
