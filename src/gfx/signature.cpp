// Picture signatures: a paint that draws nothing but remembers, in one
// 64-bit FNV-1a hash, everything it would have drawn.
#include "gfx/gfx.h"
#include "gfx/gl.h"

namespace {
bool g_on = false;
uint64_t g_hash = 0;
const uint64_t kOffset = 1469598103934665603ULL;
const uint64_t kPrime = 1099511628211ULL;
}  // namespace

void gfx_sig_state(float out[32]);  // gfx.cpp

void gfx_sig_begin() {
  g_on = true;
  g_hash = kOffset;
  unsigned generation = gfx_gl_generation();
  gfx_sig_bytes(&generation, sizeof generation);
}

uint64_t gfx_sig_end() {
  g_on = false;
  return g_hash;
}

bool gfx_sig_on() { return g_on; }

void gfx_sig_bytes(const void* data, size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < n; i++) {
    g_hash ^= p[i];
    g_hash *= kPrime;
  }
}

void gfx_sig_draw(int op, const float* args, int n) {
  gfx_sig_bytes(&op, sizeof op);
  if (n > 0) gfx_sig_bytes(args, sizeof(float) * static_cast<size_t>(n));
  float state[32];
  gfx_sig_state(state);
  gfx_sig_bytes(state, sizeof state);
}
