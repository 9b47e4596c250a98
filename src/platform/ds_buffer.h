// A secondary buffer of the output-buffer interface: PCM memory (shared by
// duplicates), a play cursor that the mixer moves at the buffer's
// frequency, volume in hundredths of a decibel, pan, optional 3D state and
// an optional chain of effects. The primary buffer is the same class with
// no memory; it only hands out the listener.
#pragma once
#include <memory>
#include <vector>

#include "platform/ds_effects.h"
#include "platform/ds_types.h"

class DsDevice;
class DsListener;
class Ds3DBuffer;
class DsEffect;

// 3D settings of one buffer.
struct Ds3DBufferState {
  float position[3] = {0, 0, 0};
  float velocity[3] = {0, 0, 0};
  float minDistance = 1;
  float maxDistance = 1000000000.0f;
};

class DsBuffer : public DsObject {
 public:
  int32_t Lock(uint32_t offset, uint32_t bytes, void** ptr1, uint32_t* bytes1, void** ptr2,
               uint32_t* bytes2, uint32_t flags);
  int32_t Unlock(void* ptr1, uint32_t bytes1, void* ptr2, uint32_t bytes2);
  int32_t Play(uint32_t reserved, uint32_t priority, uint32_t flags);
  int32_t Stop();
  int32_t GetCurrentPosition(uint32_t* play, uint32_t* write);
  int32_t SetCurrentPosition(uint32_t offset);
  int32_t SetFrequency(uint32_t hz);
  int32_t GetFrequency(uint32_t* hz);
  int32_t SetVolume(int32_t millibels);
  int32_t GetVolume(int32_t* millibels);
  int32_t SetPan(int32_t pan);
  int32_t GetPan(int32_t* pan);
  int32_t GetStatus(uint32_t* status);
  // Effects, replacing the whole chain; only while stopped, only with
  // DSBCAPS_CTRLFX. count 0 removes every effect. results (may be null)
  // gets 0 per effect made, -1 per effect refused.
  int32_t SetFX(uint32_t count, const DsEffectKind* kinds, int32_t* results);
  // The parameter object of the index-th effect of that kind in the chain.
  int32_t GetObjectInPath(DsEffectKind kind, uint32_t index, DsEffect** out);
  // The listener (primary buffer made with DSBCAPS_CTRL3D only).
  int32_t QueryListener(DsListener** out);
  // The 3D settings (buffers made with DSBCAPS_CTRL3D only).
  int32_t Query3DBuffer(Ds3DBuffer** out);

  // Implementation side (callers hold the device mutex).
  uint32_t flags() const { return flags_; }
  const SysWaveFormat& format() const { return format_; }
  uint32_t sizeBytes() const { return size_; }
  // True when both buffers read the same sample memory.
  bool sharesMemoryWith(const DsBuffer* other) const;
  DsDevice* device() const { return device_; }
  Ds3DBufferState& state3D() { return state3D_; }
  Ds3DBufferState& pending3D() { return pending3D_; }
  bool hasPending3D() const { return hasPending3D_; }
  void setHasPending3D(bool v) { hasPending3D_ = v; }
  // Adds `frames` output frames into mix (stereo float); scratch holds at
  // least 2 x frames floats.
  void mixInto(float* mix, float* scratch, int frames);
  DsFxProcessor* effect(size_t i) { return i < effects_.size() ? effects_[i].get() : nullptr; }

 private:
  friend class DsDevice;
  DsBuffer(DsDevice* device, const DsBufferDesc& desc, std::shared_ptr<std::vector<uint8_t>> memory);
  ~DsBuffer() override;
  uint32_t frameCount() const;
  uint32_t writeLead() const;
  float sampleAt(uint32_t frame, int channel) const;
  // Gains and frequency of this block from volume, pan and 3D.
  void blockGains(float* left, float* right, double* pitch) const;

  DsDevice* device_;
  uint32_t flags_;
  SysWaveFormat format_{};
  uint32_t size_ = 0;
  std::shared_ptr<std::vector<uint8_t>> memory_;
  bool playing_ = false;
  bool looping_ = false;
  uint64_t position_ = 0;  // frames in 32.32 fixed point
  uint32_t frequency_ = 0;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  int locks_ = 0;
  Ds3DBufferState state3D_;
  Ds3DBufferState pending3D_;
  bool hasPending3D_ = false;
  std::vector<std::unique_ptr<DsFxProcessor>> effects_;
};

// Parameter object of one effect in a buffer's chain.
class DsEffect : public DsObject {
 public:
  // The block is the effect's own parameter struct (ds_types.h).
  int32_t SetAllParameters(const void* block);
  int32_t GetAllParameters(void* block);

 private:
  friend class DsBuffer;
  DsEffect(DsBuffer* buffer, DsFxProcessor* fx);
  ~DsEffect() override;
  DsBuffer* buffer_;
  DsFxProcessor* fx_;
};
