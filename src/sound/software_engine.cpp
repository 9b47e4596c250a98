// The software mixer: sums every audible sound into 16-bit stereo and hands it to a receiver.
#include "sound/software_engine.h"

#include <emmintrin.h>

#include <cstring>

#include "sound/software_sound.h"

namespace vavozovu {

using vz_internal::CLockGuard;

CVavOzovuSoftwareSoundEngine::CVavOzovuSoftwareSoundEngine(vz_internal::io::IFileSystem* fs,
                                                           uint32_t options)
    : CVavOzovuSoundEngine(fs, options) {}

bool CVavOzovuSoftwareSoundEngine::setMixedDataOutputReceiver(IMixedOutputReceiver* receiver) {
  CLockGuard g(lock_);
  receiver_ = receiver;
  return true;
}

ISound* CVavOzovuSoftwareSoundEngine::createBufferedSound(CVavOzovuBufferedSamples* samples,
                                                          CVavOzovuSoundSource* source, bool looped,
                                                          bool, float minDistance, float maxDistance,
                                                          bool) {
  return new CVirtualUnknown<CVavOzovuSoftwareSound>(source, samples, looped, getOutputSampleRate(),
                                                     minDistance, maxDistance);
}

ISound* CVavOzovuSoftwareSoundEngine::createStreamedSound(IAudioStream* stream,
                                                          CVavOzovuSoundSource* source, bool looped,
                                                          bool, float minDistance, float maxDistance,
                                                          bool) {
  return new CVirtualUnknown<CVavOzovuSoftwareSound>(source, stream, looped, getOutputSampleRate(),
                                                     minDistance, maxDistance);
}

void CVavOzovuSoftwareSoundEngine::mixSoftwareSounds(int16_t* out, int32_t frames) {
  CLockGuard g(lock_);
  bool any = false;
  for (auto* n = playing_.begin(); n && !any; n = n->next)
    any = !n->value->isFinished() && !n->value->getIsPaused();
  if (!any) {
    memset(out, 0, static_cast<size_t>(frames) * 4);
  } else {
    int32_t acc[kMixBlockFrames * 2];
    for (int32_t done = 0; done < frames;) {
      const int32_t b = frames - done < kMixBlockFrames ? frames - done : kMixBlockFrames;
      memset(acc, 0, sizeof(int32_t) * static_cast<size_t>(b) * 2);
      for (auto* n = playing_.begin(); n; n = n->next) {
        CVavOzovuSoftwareSound* s = static_cast<CVavOzovuSoftwareSound*>(n->value);
        if (s->isFinished() || s->getIsPaused()) continue;
        s->mixSoftwareSound(acc, b);
      }
      // The one clamp of the whole mix: a saturating pack is that clamp.
      int16_t* dst = out + static_cast<size_t>(done) * 2;
      int32_t i = 0;
      for (; i + 8 <= b * 2; i += 8) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packs_epi32(lo, hi));
      }
      for (; i < b * 2; ++i)
        dst[i] = static_cast<int16_t>(acc[i] < -32768 ? -32768 : (acc[i] > 32767 ? 32767 : acc[i]));
      done += b;
    }
  }
  if (receiver_) receiver_->onMixedOutput(out, frames * 4, getOutputSampleRate());
}

}  // namespace vavozovu
