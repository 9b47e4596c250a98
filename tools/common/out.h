// Small helpers shared by the content tools: writing files, JSON text,
// deterministic noise.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tw {

// Writes the bytes to the path; prints a one-line diagnostic and answers
// false when the file cannot be written.
bool write_file(const std::string& path, const void* data, size_t len);
inline bool write_file(const std::string& path, const std::string& s) {
  return write_file(path, s.data(), s.size());
}
bool read_file(const std::string& path, std::string& out);
// Creates the directory (and its parents); true when it exists afterwards.
bool make_dirs(const std::string& path);

// A JSON string literal of the text, quotes included.
std::string json_str(const std::string& s);

// Integer hash for deterministic pseudo-random values.
inline uint32_t hash32(uint32_t x) {
  x ^= x >> 16; x *= 0x7feb352dU; x ^= x >> 15; x *= 0x846ca68bU; x ^= x >> 16;
  return x;
}
inline uint32_t hash3(int a, int b, int c) {
  return hash32(uint32_t(a) * 73856093U ^ hash32(uint32_t(b) * 19349663U ^ hash32(uint32_t(c) + 83492791U)));
}
// 0..1 from the three integers.
inline float hashf(int a, int b, int c) { return float(hash3(a, b, c) & 0xffffff) / float(0xffffff); }

// A small deterministic generator (xorshift).
struct Rng {
  uint32_t s;
  explicit Rng(uint32_t seed) : s(seed ? seed : 1) {}
  uint32_t next() { s ^= s << 13; s ^= s >> 17; s ^= s << 5; return s; }
  float unit() { return float(next() & 0xffffff) / float(0x1000000); }
  int range(int lo, int hi) { return lo + int(next() % uint32_t(hi - lo + 1)); }
};

}  // namespace tw
