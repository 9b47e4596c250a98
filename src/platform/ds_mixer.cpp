// How one buffer sounds in the mix: its frames resampled from the buffer's
// frequency to the output rate, run through its effects, scaled by its
// volume, pan and 3D place, and added in. Runs on the output's thread
// (or the caller's, for the capture sink) under the device mutex.
#include <cmath>
#include <cstring>

#include "platform/ds_3d.h"
#include "platform/ds_buffer.h"
#include "platform/ds_device.h"
#include "platform/sys_audio_device.h"

namespace {
// Hundredths of a decibel to an amplitude factor; the bottom of the range
// is silence.
float millibelsToGain(int32_t mb) {
  if (mb <= DSBVOLUME_MIN) return 0.0f;
  if (mb >= 0) return 1.0f;
  return static_cast<float>(std::pow(10.0, mb / 2000.0));
}
}  // namespace

float DsBuffer::sampleAt(uint32_t frame, int channel) const {
  if (format_.channels == 1) channel = 0;
  const uint8_t* p = memory_->data() + static_cast<size_t>(frame) * format_.blockAlign;
  if (format_.bitsPerSample == 8) return (static_cast<float>(p[channel]) - 128.0f) * 256.0f;
  int16_t s;
  memcpy(&s, p + channel * 2, 2);
  return static_cast<float>(s);
}

void DsBuffer::blockGains(float* left, float* right, double* pitch) const {
  float g = millibelsToGain(volume_);
  float l = g, r = g;
  // Pan lowers the far side only: positive values move to the right.
  if (pan_ < 0) r *= millibelsToGain(pan_);
  if (pan_ > 0) l *= millibelsToGain(-pan_);
  *pitch = 1.0;
  if (flags_ & DSBCAPS_CTRL3D) {
    Ds3DResult d = ds_3d_compute(device_->listener(), state3D_);
    l *= d.gain * d.left;
    r *= d.gain * d.right;
    *pitch = d.pitch;
  }
  *left = l;
  *right = r;
}

void DsBuffer::mixInto(float* mix, float* scratch, int frames) {
  if (!playing_ || !memory_ || frames <= 0) return;
  const uint32_t n = frameCount();
  if (n == 0) return;
  float gl, gr;
  double pitch;
  blockGains(&gl, &gr, &pitch);
  const double ratio = static_cast<double>(frequency_) * pitch / device_->rate();
  const uint64_t step = static_cast<uint64_t>(std::llround(ratio * 4294967296.0));
  const uint64_t length = static_cast<uint64_t>(n) << 32;
  int produced = 0;
  for (; produced < frames; ++produced) {
    if (position_ >= length) {
      if (!looping_) {
        playing_ = false;
        position_ = 0;
        break;
      }
      position_ %= length;
    }
    uint32_t f = static_cast<uint32_t>(position_ >> 32);
    uint32_t frac = static_cast<uint32_t>(position_);
    float l = sampleAt(f, 0), r = sampleAt(f, 1);
    if (frac) {
      // Linear interpolation towards the next frame (the first again when
      // looping, else the same frame).
      uint32_t next = f + 1 < n ? f + 1 : (looping_ ? 0 : f);
      float t = static_cast<float>(frac / 4294967296.0);
      l += (sampleAt(next, 0) - l) * t;
      r += (sampleAt(next, 1) - r) * t;
    }
    scratch[2 * produced] = l;
    scratch[2 * produced + 1] = r;
    position_ += step;
  }
  for (int i = produced; i < frames; ++i) scratch[2 * i] = scratch[2 * i + 1] = 0.0f;
  for (auto& fx : effects_) fx->process(scratch, frames);
  // Without global focus a buffer goes on playing unheard while the window
  // has no input focus.
  if (!(flags_ & DSBCAPS_GLOBALFOCUS) && !sys_audio_has_focus()) return;
  if (gl == 0.0f && gr == 0.0f) return;
  for (int i = 0; i < frames; ++i) {
    mix[2 * i] += scratch[2 * i] * gl;
    mix[2 * i + 1] += scratch[2 * i + 1] * gr;
  }
}
