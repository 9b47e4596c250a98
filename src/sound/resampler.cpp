// Cubic resampling of streams into the mixer, bit-exact with the module renderer; AVX2 path.
#include "sound/resampler.h"

#include <immintrin.h>

#include <cstring>

#include "sound/software_sound.h"

namespace vavozovu {

namespace {

// Catmull-Rom weights at 1/1024 steps of the fraction, scaled by 2^14, in
// the integer form DUMB uses. Packed in pairs of 16 bits so that one load
// gives two weights: near = w0 | w1 << 16, far = w2 | w3 << 16.
struct CubicTables {
  int32_t near[1024];
  int32_t far[1024];
  // Both of a fraction's pairs in one 64-bit entry, near in the low half.
  uint64_t both[1024];
  CubicTables() {
    auto a0 = [](int64_t t) { return static_cast<int32_t>(-(t * t * t >> 17) + (t * t >> 6) - (t << 3)); };
    auto a1 = [](int64_t t) {
      return static_cast<int32_t>((3 * t * t * t >> 17) - (5 * t * t >> 7) + (1 << 14));
    };
    for (int32_t f = 0; f < 1024; ++f) {
      near[f] = static_cast<int32_t>((static_cast<uint32_t>(a0(f)) & 0xffffu) |
                                     (static_cast<uint32_t>(a1(f)) << 16));
      far[f] = static_cast<int32_t>((static_cast<uint32_t>(a1(1024 - f)) & 0xffffu) |
                                    (static_cast<uint32_t>(a0(1024 - f)) << 16));
      both[f] = static_cast<uint32_t>(near[f]) | static_cast<uint64_t>(static_cast<uint32_t>(far[f])) << 32;
    }
  }
};

const CubicTables& tables() {
  static const CubicTables t;
  return t;
}

inline int32_t lo16(int32_t packed) { return static_cast<int16_t>(packed & 0xffff); }
inline int32_t hi16(int32_t packed) { return packed >> 16; }

// One interpolated sample at window index i (needs i-1 .. i+2), clamped to
// 16 bits. Each product is floored on its own, as DUMB does.
inline int32_t cubicAt(const int16_t* w, uint32_t i, int32_t nearW, int32_t farW) {
  int32_t v = ((w[i - 1] * lo16(nearW)) >> 14) + ((w[i] * hi16(nearW)) >> 14) +
              ((w[i + 1] * lo16(farW)) >> 14) + ((w[i + 2] * hi16(farW)) >> 14);
  return v < -32768 ? -32768 : (v > 32767 ? 32767 : v);
}

// A gained sample: truncated towards zero, clamped to 16 bits so that a
// gain above 1 cannot wrap.
inline int32_t gained(int32_t v, float g) {
  float x = static_cast<float>(v) * g;
  return x < -32768.f ? -32768 : (x > 32767.f ? 32767 : static_cast<int32_t>(x));
}

void mixScalar(const int16_t* wl, const int16_t* wr, uint32_t pos, uint32_t dt, int32_t n,
               int32_t* acc, float gl, float gr) {
  const CubicTables& tab = tables();
  for (int32_t k = 0; k < n; ++k, pos += dt) {
    const uint32_t i = pos >> 16, f = (pos >> 6) & 1023;
    const int32_t l = cubicAt(wl, i, tab.near[f], tab.far[f]);
    const int32_t r = wr == wl ? l : cubicAt(wr, i, tab.near[f], tab.far[f]);
    acc[2 * k] += gained(l, gl);
    acc[2 * k + 1] += gained(r, gr);
  }
}

// Eight frames reach at most 13 source frames past the first one's: the
// two sixteen-sample loads then hold every sample they need.
inline bool withinTwoLoads(uint32_t dt) { return 7 * static_cast<uint64_t>(dt) + 0xffff <= (13u << 16); }

// Steps below 4/7: eight frames reach at most four source frames past the
// first one's, so the eight samples from the first one's oldest hold all.
inline bool withinOneLoad(uint32_t dt) { return 7 * static_cast<uint64_t>(dt) + 0xffff < (5u << 16); }

// The vector code is built for AVX2 on its own and only called when the
// processor has it.
#define TW_AVX2 __attribute__((target("avx2")))

// The four weights of eight frames, each in the 16-bit half of its lane
// that meets its sample in a pair, the other half zero, so that one
// multiply-add gives one unrounded product.
struct Weights8 {
  __m256i w0, w1, w2, w3;
};

// The table entries of the frames at pos and pos + dt.
TW_AVX2 inline __m128 entryPair(const uint64_t* both, uint32_t pos, uint32_t dt) {
  const uint64_t* first = both + ((pos >> 6) & 1023);
  const uint64_t* second = both + (((pos + dt) >> 6) & 1023);
  const __m128 lo = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)));
  return _mm_loadh_pi(lo, reinterpret_cast<const __m64*>(second));
}

// The weights of the eight frames from pos on, in lane order 0, 1, 4, 5,
// 2, 3, 6, 7, looked up in the table: the fractions are whole table steps
// already. The indices are worked out in general registers and the entries
// come in by plain loads, which leaves the vector units far less to do
// than computing the cubes or gathering.
TW_AVX2 inline Weights8 weightsAt8(const uint64_t* both, uint32_t pos, uint32_t dt) {
  // Entries 0, 1 | 2, 3 and 4, 5 | 6, 7; picking the low (near) or high
  // (far) words of both in turn gives frames 0, 1, 4, 5 | 2, 3, 6, 7.
  const __m256 x = _mm256_insertf128_ps(_mm256_castps128_ps256(entryPair(both, pos, dt)),
                                        entryPair(both, pos + 2 * dt, dt), 1);
  const __m256 y = _mm256_insertf128_ps(_mm256_castps128_ps256(entryPair(both, pos + 4 * dt, dt)),
                                        entryPair(both, pos + 6 * dt, dt), 1);
  const __m256i nearW = _mm256_castps_si256(_mm256_shuffle_ps(x, y, _MM_SHUFFLE(2, 0, 2, 0)));
  const __m256i farW = _mm256_castps_si256(_mm256_shuffle_ps(x, y, _MM_SHUFFLE(3, 1, 3, 1)));
  const __m256i lo = _mm256_set1_epi32(0xffff);
  Weights8 w;
  w.w0 = _mm256_and_si256(nearW, lo);
  w.w1 = _mm256_andnot_si256(lo, nearW);
  w.w2 = _mm256_and_si256(farW, lo);
  w.w3 = _mm256_andnot_si256(lo, farW);
  return w;
}

// Eight frames at a time from two sample pairs a = (x0, x1), b = (x2, x3)
// per lane: every product is shifted on its own, so the floors stay DUMB's.
TW_AVX2 inline __m256i cubicSum8(__m256i a, __m256i b, const Weights8& w) {
  __m256i v = _mm256_add_epi32(_mm256_add_epi32(_mm256_srai_epi32(_mm256_madd_epi16(a, w.w0), 14),
                                                _mm256_srai_epi32(_mm256_madd_epi16(a, w.w1), 14)),
                               _mm256_add_epi32(_mm256_srai_epi32(_mm256_madd_epi16(b, w.w2), 14),
                                                _mm256_srai_epi32(_mm256_madd_epi16(b, w.w3), 14)));
  v = _mm256_max_epi32(v, _mm256_set1_epi32(-32768));
  return _mm256_min_epi32(v, _mm256_set1_epi32(32767));
}

// Any step: the sample pairs come in by gathers.
TW_AVX2 inline __m256i cubicGather8(const int16_t* w, __m256i im1, const Weights8& wt) {
  const __m256i a = _mm256_i32gather_epi32(reinterpret_cast<const int*>(w), im1, 2);
  const __m256i b = _mm256_i32gather_epi32(reinterpret_cast<const int*>(w + 2), im1, 2);
  return cubicSum8(a, b, wt);
}

// The sample pair of each lane: word idx of the even load, or of the
// shifted one where odd is set.
TW_AVX2 inline __m256i pickPairs8(__m256i even, __m256i shifted, __m256i idx, __m256 odd) {
  return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(_mm256_permutevar8x32_epi32(even, idx)),
                                              _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(shifted, idx)),
                                              odd));
}

// Steps up to about 1.7: the eight frames read from sixteen samples after
// base, picked out of two loads by whole-word shuffles. A lane at offset d
// takes its pairs from the load that starts at the same parity.
TW_AVX2 inline __m256i cubicNear8(const int16_t* w, uint32_t base, __m256i half, __m256i half1,
                          __m256 odd, const Weights8& wt) {
  const __m256i even = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + base - 1));
  const __m256i shifted = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + base));
  return cubicSum8(pickPairs8(even, shifted, half, odd), pickPairs8(even, shifted, half1, odd), wt);
}

// Short steps: the eight samples after base - 1 in one load that both
// halves see, each lane's pairs picked by byte shuffles, which take odd
// offsets as readily as even ones.
TW_AVX2 inline __m256i cubicShort8(const int16_t* w, uint32_t base, __m256i pickA, __m256i pickB,
                                   const Weights8& wt) {
  const __m256i s = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w + base - 1)));
  return cubicSum8(_mm256_shuffle_epi8(s, pickA), _mm256_shuffle_epi8(s, pickB), wt);
}

// The byte picks of the pairs at sample offsets d (x0, x1) and d + 2
// (x2, x3) of the short load.
TW_AVX2 inline void shortPicks(__m256i d, __m256i* pickA, __m256i* pickB) {
  *pickA = _mm256_add_epi32(_mm256_mullo_epi32(d, _mm256_set1_epi32(0x02020202)), _mm256_set1_epi32(0x03020100));
  *pickB = _mm256_add_epi32(*pickA, _mm256_set1_epi32(0x04040404));
}

// Gains up to 1 cannot leave 16 bits; only louder ones need the clamp.
template <bool kLoud>
TW_AVX2 inline __m256i gained8(__m256i v, __m256 g) {
  __m256 x = _mm256_mul_ps(_mm256_cvtepi32_ps(v), g);
  if (kLoud) x = _mm256_min_ps(_mm256_max_ps(x, _mm256_set1_ps(-32768.f)), _mm256_set1_ps(32767.f));
  return _mm256_cvttps_epi32(x);
}

// Adds eight frames, their lanes in the order 0, 1, 4, 5, 2, 3, 6, 7, to
// the interleaved accumulators.
TW_AVX2 inline void addFrames8(int32_t* acc, __m256i l, __m256i r) {
  __m256i* out = reinterpret_cast<__m256i*>(acc);
  _mm256_storeu_si256(out, _mm256_add_epi32(_mm256_loadu_si256(out), _mm256_unpacklo_epi32(l, r)));
  _mm256_storeu_si256(out + 1, _mm256_add_epi32(_mm256_loadu_si256(out + 1), _mm256_unpackhi_epi32(l, r)));
}

// How a run finds its samples: kSteadyPath when eight steps make a whole
// number of source frames (steps such as 0.25, 0.5, 1 or 2: the usual rates
// at normal speed), so that every group of eight frames has the same
// fractions and offsets, worked out once; kNearPath for other steps up to
// about 1.7, read from two loads; kGatherPath for the rest. The first two
// read from one load when the step is short.
enum { kSteadyPath, kNearPath, kGatherPath };

// One kernel per path, channel count, loudness and step length, so that
// each loop holds only its own work.
template <bool kLoud, int kPath, bool kStereo, bool kShort>
TW_AVX2 int32_t mixAvx2(const int16_t* wl, const int16_t* wr, uint32_t pos, uint32_t dt, int32_t n,
                        int32_t* acc, float gl, float gr) {
  // Frames 0, 1, 4, 5 in the low half and 2, 3, 6, 7 in the high one:
  // interleaving left and right within each half then gives frames 0 to 3
  // and 4 to 7 in order, with no move across the halves.
  const __m256i lane = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
  __m256i p = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(pos)),
                               _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<int32_t>(dt))));
  const __m256i step = _mm256_set1_epi32(static_cast<int32_t>(dt * 8));
  const __m256i one = _mm256_set1_epi32(1);
  const uint64_t* both = tables().both;
  const __m256 vgl = _mm256_set1_ps(gl), vgr = _mm256_set1_ps(gr);
  int32_t k = 0;
  if (kPath == kSteadyPath) {
    const __m256i d0 = _mm256_sub_epi32(_mm256_srli_epi32(p, 16), _mm256_set1_epi32(static_cast<int32_t>(pos >> 16)));
    const Weights8 wt0 = weightsAt8(both, pos, dt);
    const __m256i half0 = _mm256_srli_epi32(d0, 1), half10 = _mm256_add_epi32(half0, one);
    const __m256 odd0 = _mm256_castsi256_ps(_mm256_slli_epi32(d0, 31));
    __m256i pickA0, pickB0;
    shortPicks(d0, &pickA0, &pickB0);
    for (; k + 8 <= n; k += 8, pos += 8 * dt) {
      const uint32_t base = pos >> 16;
      __m256i vl, vr;
      if (kShort) {
        vl = cubicShort8(wl, base, pickA0, pickB0, wt0);
        vr = kStereo ? cubicShort8(wr, base, pickA0, pickB0, wt0) : vl;
      } else {
        vl = cubicNear8(wl, base, half0, half10, odd0, wt0);
        vr = kStereo ? cubicNear8(wr, base, half0, half10, odd0, wt0) : vl;
      }
      addFrames8(acc + 2 * k, gained8<kLoud>(vl, vgl), gained8<kLoud>(vr, vgr));
    }
    return k;
  }
  for (; k + 8 <= n; k += 8, pos += 8 * dt, p = _mm256_add_epi32(p, step)) {
    const __m256i i = _mm256_srli_epi32(p, 16);
    const Weights8 wt = weightsAt8(both, pos, dt);
    __m256i vl, vr;
    if (kPath == kNearPath && kShort) {
      const uint32_t base = pos >> 16;
      __m256i pickA, pickB;
      shortPicks(_mm256_sub_epi32(i, _mm256_set1_epi32(static_cast<int32_t>(base))), &pickA, &pickB);
      vl = cubicShort8(wl, base, pickA, pickB, wt);
      vr = kStereo ? cubicShort8(wr, base, pickA, pickB, wt) : vl;
    } else if (kPath == kNearPath) {
      const uint32_t base = pos >> 16;
      const __m256i d = _mm256_sub_epi32(i, _mm256_set1_epi32(static_cast<int32_t>(base)));
      const __m256i half = _mm256_srli_epi32(d, 1), half1 = _mm256_add_epi32(half, one);
      const __m256 odd = _mm256_castsi256_ps(_mm256_slli_epi32(d, 31));
      vl = cubicNear8(wl, base, half, half1, odd, wt);
      vr = kStereo ? cubicNear8(wr, base, half, half1, odd, wt) : vl;
    } else {
      const __m256i im1 = _mm256_sub_epi32(i, one);
      vl = cubicGather8(wl, im1, wt);
      vr = kStereo ? cubicGather8(wr, im1, wt) : vl;
    }
    addFrames8(acc + 2 * k, gained8<kLoud>(vl, vgl), gained8<kLoud>(vr, vgr));
  }
  return k;
}

using MixKernel = int32_t (*)(const int16_t*, const int16_t*, uint32_t, uint32_t, int32_t, int32_t*, float, float);

// The four kernels of one loudness and path, by channel count and step length.
template <bool kLoud, int kPath>
struct Kernels {
  static constexpr MixKernel by[2][2] = {
      {mixAvx2<kLoud, kPath, false, false>, mixAvx2<kLoud, kPath, false, true>},
      {mixAvx2<kLoud, kPath, true, false>, mixAvx2<kLoud, kPath, true, true>}};
};

// Indexed by loudness and path, then as Kernels::by.
const MixKernel (*const kKernels[2][3])[2] = {
    {Kernels<false, kSteadyPath>::by, Kernels<false, kNearPath>::by, Kernels<false, kGatherPath>::by},
    {Kernels<true, kSteadyPath>::by, Kernels<true, kNearPath>::by, Kernels<true, kGatherPath>::by},
};

bool haveAvx2() {
  static const bool yes = __builtin_cpu_supports("avx2");
  return yes;
}

void mixRun(const int16_t* wl, const int16_t* wr, uint32_t pos, uint32_t dt, int32_t n, int32_t* acc,
            float gl, float gr) {
  int32_t k = 0;
  if (haveAvx2()) {
    const bool loud = gl < -1.f || gl > 1.f || gr < -1.f || gr > 1.f;
    const int path = !withinTwoLoads(dt) ? kGatherPath : (dt & 0x1fff) == 0 ? kSteadyPath : kNearPath;
    k = kKernels[loud][path][wr != wl][withinOneLoad(dt)](wl, wr, pos, dt, n, acc, gl, gr);
  }
  if (k < n) mixScalar(wl, wr, pos + static_cast<uint32_t>(k) * dt, dt, n - k, acc + 2 * k, gl, gr);
}

// Splits interleaved 16-bit stereo frames into the two channel windows,
// eight frames at a time: each frame is one 32-bit lane, left in its low
// half, so the halves come out by shifts and go back to 16 bits by a pack
// that cannot saturate.
void deinterleave(const int16_t* s, int32_t frames, int16_t* l, int16_t* r) {
  int32_t i = 0;
  for (; i + 8 <= frames; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * i + 8));
    const __m128i left = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 16), 16), _mm_srai_epi32(_mm_slli_epi32(b, 16), 16));
    const __m128i right = _mm_packs_epi32(_mm_srai_epi32(a, 16), _mm_srai_epi32(b, 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(l + i), left);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(r + i), right);
  }
  for (; i < frames; ++i) {
    l[i] = s[2 * i];
    r[i] = s[2 * i + 1];
  }
}

}  // namespace

CVavOzovuSoftwareStreamResamplerBase::CVavOzovuSoftwareStreamResamplerBase(int32_t outputRate,
                                                                           IAudioStream* stream)
    : CVavOzovuSoftwareResampler(outputRate), stream_(stream) {
  if (stream_) {
    stream_->grab();
    sourceFormat_ = stream_->getFormat();
  }
  outputFormat_.ChannelCount = 2;
  outputFormat_.SampleRate = outputRate;
  outputFormat_.FrameCount = sourceFormat_.FrameCount;
  outputFormat_.SampleFormat = sourceFormat_.SampleFormat;
}

CVavOzovuSoftwareStreamResamplerBase::~CVavOzovuSoftwareStreamResamplerBase() {
  if (stream_) stream_->drop();
}

int32_t CVavOzovuSoftwareStreamResamplerBase::readFrames(int16_t* target, int32_t frames, float) {
  return stream_ ? stream_->readFrames(target, frames) : 0;
}

bool CVavOzovuSoftwareStreamResamplerBase::setPosition(int32_t frame) {
  return stream_ ? stream_->setPosition(frame) : false;
}

CVavOzovuSoftwareStreamResampler::CVavOzovuSoftwareStreamResampler(int32_t outputRate,
                                                                   IAudioStream* stream)
    : CVavOzovuSoftwareStreamResamplerBase(outputRate, stream),
      buffered_(dynamic_cast<CVavOzovuBufferedSamplesAudioStream*>(stream)) {
  fullReset();
}

int32_t CVavOzovuSoftwareStreamResampler::pull(int32_t room) {
  const int32_t channels = sourceFormat_.ChannelCount;
  if (!stream_ || channels < 1 || channels > 2 || room <= 0) return 0;
  if (room > kBlockFrames) room = kBlockFrames;
  int16_t* l = window_[0] + fill_;
  int16_t* r = window_[1] + fill_;
  int32_t got;
  if (sourceFormat_.SampleFormat == ESF_S16 && channels == 1) {
    got = stream_->readFrames(l, room);
  } else {
    // Decoded samples are converted where they lie; other streams copy
    // into a scratch block first.
    uint8_t scratch[kBlockFrames * 2 * 2];
    const uint8_t* from = scratch;
    if (buffered_) from = buffered_->takeFrames(room, &got);
    else got = stream_->readFrames(scratch, room);
    if (!from || got <= 0) return 0;
    if (got > room) got = room;
    if (sourceFormat_.SampleFormat == ESF_S16) {
      deinterleave(reinterpret_cast<const int16_t*>(from), got, l, r);
    } else {
      // Unsigned bytes become signed 16-bit samples once, as they enter.
      for (int32_t i = 0; i < got; ++i) {
        l[i] = static_cast<int16_t>((from[i * channels] ^ 0x80) << 8);
        if (channels == 2) r[i] = static_cast<int16_t>((from[i * 2 + 1] ^ 0x80) << 8);
      }
    }
  }
  if (got <= 0) return 0;
  if (got > room) got = room;
  fill_ += got;
  return got;
}

void CVavOzovuSoftwareStreamResampler::fullReset() {
  view_ = window_[0];
  // Sample 0 stands for the history before the first frame: the first frame
  // itself, as DUMB's reset does.
  fill_ = 1;
  pos_ = 1u << 16;
  ended_ = flushed_ = false;
  slid_ = 0;
  loopStart_ = -1;
  pull(kBlockFrames);
  window_[0][0] = fill_ > 1 ? window_[0][1] : 0;
  window_[1][0] = fill_ > 1 ? window_[1][1] : 0;
}

bool CVavOzovuSoftwareStreamResampler::viewInPlace() {
  if (!buffered_ || sourceFormat_.SampleFormat != ESF_S16 || sourceFormat_.ChannelCount != 1 || flushed_ ||
      ended_)
    return false;
  int64_t left = 0, before = 0;
  const uint8_t* at = buffered_->peekFrames(&left, &before);
  // Whole vector loads reach kSpare samples past the last one held, and the
  // position must stay within 16 bits of whole samples.
  int64_t take = left - kSpare;
  if (take > kInPlaceFrames) take = kInPlaceFrames;
  if (!at || reinterpret_cast<uintptr_t>(at) % 2 || take < kWindowFrames || before < fill_) return false;
  const int16_t* from = reinterpret_cast<const int16_t*>(at) - fill_;
  if (memcmp(from, view_, static_cast<size_t>(fill_) * 2) != 0) return false;
  int32_t got = 0;
  buffered_->takeFrames(static_cast<int32_t>(take), &got);
  view_ = from;
  fill_ += got;
  return got > 0;
}

bool CVavOzovuSoftwareStreamResampler::refill(EndMode end) {
  uint32_t oldest = (pos_ >> 16) - 1;
  if (oldest > static_cast<uint32_t>(fill_)) oldest = static_cast<uint32_t>(fill_);
  const size_t keep = static_cast<size_t>(fill_) - oldest;
  const int32_t top = kWindowFrames - 2;
  if (view_ != window_[0]) {
    // Off the buffer: what is still needed goes back into the window, and
    // must fit there.
    if (keep > static_cast<size_t>(top)) return false;
    memcpy(window_[0], view_ + oldest, keep * 2);
    view_ = window_[0];
  } else if (oldest > 0) {
    memmove(window_[0], window_[0] + oldest, keep * 2);
    if (sourceFormat_.ChannelCount == 2) memmove(window_[1], window_[1] + oldest, keep * 2);
  }
  fill_ -= static_cast<int32_t>(oldest);
  pos_ -= oldest << 16;
  slid_ += oldest;
  if (viewInPlace()) return true;
  // Two samples stay free for the trailing silence.
  int32_t added = 0;
  while (fill_ < top && !ended_) {
    int32_t got = pull(top - fill_);
    if (got > 0) {
      added += got;
      continue;
    }
    if (end == END_LOOP && stream_ && stream_->setPosition(0)) {
      const int64_t at = slid_ + fill_;
      got = pull(top - fill_);
      if (got > 0) {
        if (loopStart_ < 0) loopStart_ = at;
        added += got;
        continue;
      }
    }
    ended_ = true;
  }
  if (ended_ && end == END_FLUSH && !flushed_) {
    // The interpolator reaches two samples ahead: silence after the last
    // frame lets it deliver the sound to its very end.
    window_[0][fill_] = window_[0][fill_ + 1] = 0;
    window_[1][fill_] = window_[1][fill_ + 1] = 0;
    fill_ += 2;
    flushed_ = true;
    added += 2;
  }
  return added > 0;
}

bool CVavOzovuSoftwareStreamResampler::setPosition(int32_t frame) {
  if (!stream_ || !stream_->setPosition(frame)) return false;
  fullReset();
  startFrame_ = frame;
  return true;
}

int64_t CVavOzovuSoftwareStreamResampler::getSourcePosition() const {
  const int64_t g = slid_ + (pos_ >> 16);
  if (loopStart_ < 0 || g < loopStart_) return startFrame_ + g - 1;
  const int64_t length = startFrame_ + loopStart_ - 1;
  return length > 0 ? (g - loopStart_) % length : 0;
}

int32_t CVavOzovuSoftwareStreamResampler::run(int32_t* acc, int32_t frames, float speed,
                                              float gainLeft, float gainRight, EndMode end,
                                              bool silent) {
  const int32_t channels = sourceFormat_.ChannelCount;
  if (!stream_ || channels < 1 || channels > 2 || sourceFormat_.SampleRate <= 0 || frames <= 0)
    return 0;
  const float step = static_cast<float>(sourceFormat_.SampleRate) * speed / outputRate_;
  int32_t fixedStep = static_cast<int32_t>(step * 65536.0 + 0.5);
  if (fixedStep < 1) fixedStep = 1;
  const uint32_t dt = static_cast<uint32_t>(fixedStep);
  int32_t done = 0;
  while (done < frames) {
    // Frame k may be made while its sample index plus two is held.
    const uint32_t limit = fill_ >= 2 ? static_cast<uint32_t>(fill_ - 2) << 16 : 0;
    int32_t m = pos_ < limit ? static_cast<int32_t>((limit - pos_ + dt - 1) / dt) : 0;
    // The window is refilled before it runs short of eight frames, so that
    // the vector path makes all but the block's last few; once the stream
    // has ended the rest goes frame by frame.
    if (m < frames - done && m < 8 && !ended_ && refill(end)) continue;
    if (m == 0) {
      if (!refill(end)) break;
      continue;
    }
    if (m > frames - done) m = frames - done;
    else if (m >= 8 && m < frames - done && !ended_) m &= ~7;
    if (!silent)
      mixRun(view_, channels == 2 ? window_[1] : view_, pos_, dt, m, acc + 2 * static_cast<size_t>(done), gainLeft,
             gainRight);
    pos_ += static_cast<uint32_t>(m) * dt;
    done += m;
  }
  return done;
}

int32_t CVavOzovuSoftwareStreamResampler::mixFrames(int32_t* acc, int32_t frames, float speed,
                                                    float gainLeft, float gainRight, bool looped,
                                                    bool silent) {
  return run(acc, frames, speed, gainLeft, gainRight, looped ? END_LOOP : END_FLUSH, silent);
}

int32_t CVavOzovuSoftwareStreamResampler::readFrames(int16_t* target, int32_t frames, float speed) {
  int32_t acc[kBlockFrames * 2];
  int32_t done = 0;
  while (done < frames) {
    const int32_t want = frames - done < kBlockFrames ? frames - done : kBlockFrames;
    memset(acc, 0, sizeof(int32_t) * 2 * static_cast<size_t>(want));
    const int32_t got = run(acc, want, speed, 1.0f, 1.0f, END_HOLD, false);
    int16_t* out = target + static_cast<size_t>(done) * 2;
    for (int32_t i = 0; i < 2 * got; ++i) out[i] = static_cast<int16_t>(acc[i]);
    done += got;
    if (got < want) break;
  }
  return done;
}

CVavOzovuSoftwareResampler* createResampler(int32_t outputRate, IAudioStream* stream) {
  if (stream) return new CVavOzovuSoftwareStreamResampler(outputRate, stream);
  return new CVavOzovuSoftwareStreamResamplerBase(outputRate, nullptr);
}

}  // namespace vavozovu
