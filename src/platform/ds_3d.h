// The 3D listener of a device and the 3D settings of one buffer. Settings
// made with DS3D_DEFERRED wait for CommitDeferredSettings; the mixer hears
// only applied settings.
#pragma once
#include "platform/ds_buffer.h"
#include "platform/ds_device.h"

class DsBuffer;

class DsListener : public DsObject {
 public:
  int32_t SetPosition(float x, float y, float z, uint32_t apply);
  int32_t SetVelocity(float x, float y, float z, uint32_t apply);
  int32_t SetOrientation(float fx, float fy, float fz, float tx, float ty, float tz, uint32_t apply);
  // 0..10; 1 is the real-world fall-off.
  int32_t SetRolloffFactor(float factor, uint32_t apply);
  // 0..10; 1 is the real-world pitch shift.
  int32_t SetDopplerFactor(float factor, uint32_t apply);
  // Metres per world unit, above 0.
  int32_t SetDistanceFactor(float factor, uint32_t apply);
  int32_t CommitDeferredSettings();
  // The applied settings.
  int32_t GetPosition(float* xyz);
  int32_t GetRolloffFactor(float* factor);

 private:
  friend class DsBuffer;
  explicit DsListener(DsDevice* device);
  ~DsListener() override;
  DsDevice* device_;
};

class Ds3DBuffer : public DsObject {
 public:
  int32_t SetMinDistance(float d, uint32_t apply);
  int32_t SetMaxDistance(float d, uint32_t apply);
  int32_t SetPosition(float x, float y, float z, uint32_t apply);
  int32_t SetVelocity(float x, float y, float z, uint32_t apply);
  int32_t GetMinDistance(float* d);
  int32_t GetMaxDistance(float* d);
  int32_t GetPosition(float* xyz);

 private:
  friend class DsBuffer;
  explicit Ds3DBuffer(DsBuffer* buffer);
  ~Ds3DBuffer() override;
  DsBuffer* buffer_;
};

// What the listener hears of a buffer at its 3D place: distance gain, the
// left and right gains of its direction and the Doppler pitch factor.
struct Ds3DResult {
  float gain = 1;
  float left = 1;
  float right = 1;
  double pitch = 1;
};
Ds3DResult ds_3d_compute(const Ds3DListenerState& listener, const Ds3DBufferState& buffer);
