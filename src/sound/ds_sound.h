// The playing sound of the DirectSound drivers for fully decoded sources:
// one secondary buffer filled once with the samples. Sounds of a source in
// 2D without effects share one buffer memory through duplication, kept in a
// per-source cache. 3D sounds get a 3D buffer (mono: several channels are
// folded to the first) or fall back to the software 3D computation.
#pragma once
#include "platform/ds_3d.h"
#include "platform/ds_buffer.h"
#include "platform/ds_device.h"
#include "sound/sound.h"
#include "sound/sound_source.h"

namespace vavozovu {

// Hundredths of a decibel for a volume factor: 1.0 gives 0, anything at or
// below e^-10 gives -10000.
int32_t volumeToMillibels(float volume);
// Copies the first channel of each of `frames` frames (stride frameBytes,
// sample size sampleBytes) to dst.
void extractFirstChannel(uint8_t* dst, const uint8_t* src, int32_t frames, int32_t frameBytes,
                         int32_t sampleBytes);

class CVavOzovuDSSound : public CVavOzovuSound {
 public:
  // The per-source cache: slot 0 holds the buffer later 2D sounds
  // duplicate, slot 1 the buffer of a sound with a 3D buffer.
  class CReusableDSSoundBuffers : public IRefCounted {
   public:
    ~CReusableDSSoundBuffers() override;
    DsBuffer* get(int slot) const { return slots_[slot]; }
    void set(int slot, DsBuffer* buffer);

   private:
    DsBuffer* slots_[2] = {nullptr, nullptr};
  };

  CVavOzovuDSSound(CVavOzovuSoundSource* source, CVavOzovuBufferedSamples* samples, bool looped,
                   DsDevice* device, bool hardware3D, bool globalFocus, float minDistance,
                   float maxDistance, bool effects = false);
  ~CVavOzovuDSSound() override;

  void setIsLooped(bool looped) override;
  int32_t getPlayPosition() override;
  bool setPlayPosition(int32_t ms) override;
  bool setPlaybackSpeed(float speed = 1.0f) override;
  float getPlaybackSpeed() override;

  void updateSound(float master, const vec3df& listenerPos, const vec3df& look, const vec3df& up,
                   bool linearRolloff, float rolloffFactor) override;
  void stopBuffer() override;
  void playBuffer() override;
  void releaseBuffer() override;
  bool isBufferFinished() override;
  void setBufferPan(float pan) override;
  void setBufferVolume(float volume) override;

  // For tests and the streamed sounds.
  DsBuffer* getBuffer() const { return buffer_; }
  bool hasHardware3D() const { return buffer3D_ != nullptr; }
  bool isMonoFolded() const { return monoFold_; }
  bool usesCache() const { return cache_ != nullptr; }

 protected:
  struct StreamRing {};
  // The ring of a streamed sound: one second of the format's frames.
  CVavOzovuDSSound(StreamRing, CVavOzovuSoundSource* source, const SAudioStreamFormat& format,
                   bool looped, DsDevice* device, bool hardware3D, bool globalFocus,
                   float minDistance, float maxDistance, bool effects);
  void createBuffer(DsDevice* device, const SAudioStreamFormat& format, bool streamed,
                    bool globalFocus, bool hardware3D);
  void releaseBuffers();
  void releaseCache();
  uint32_t baseFrequency();

  DsBuffer* buffer_ = nullptr;
  Ds3DBuffer* buffer3D_ = nullptr;
  SAudioStreamFormat format_;  // of the source
  int32_t bytesPerSecond_ = 0;  // of the buffer
  int32_t frameBytes_ = 0;      // of the buffer
  uint32_t baseFrequency_ = 0xFFFFFFFFu;
  bool effects_ = false;
  bool monoFold_ = false;
  CReusableDSSoundBuffers* cache_ = nullptr;  // one reference while shared
};

}  // namespace vavozovu
