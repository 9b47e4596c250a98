// 3D listener and buffer settings with deferred commits, and the gain, pan and pitch they make.
#include "platform/ds_3d.h"

#include <cmath>

#include "platform/ds_buffer.h"

using Guard = std::lock_guard<std::recursive_mutex>;

namespace {
void set3(float* dst, float x, float y, float z) {
  dst[0] = x;
  dst[1] = y;
  dst[2] = z;
}
bool finite3(float x, float y, float z) {
  return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}
}  // namespace

// ---- listener ----

DsListener::DsListener(DsDevice* device) : device_(device) { device_->AddRef(); }
DsListener::~DsListener() { device_->Release(); }

// Every setter writes the pending state; an immediate one writes the
// applied state too, leaving other deferred settings waiting.
#define DS_LISTENER_SET(body)                                        \
  Guard g(device_->mutex());                                         \
  auto change = [&](Ds3DListenerState& p) { body; };                 \
  change(device_->pendingListener());                                \
  if (apply == DS3D_IMMEDIATE) change(device_->listener());          \
  return DS_OK

int32_t DsListener::SetPosition(float x, float y, float z, uint32_t apply) {
  if (!finite3(x, y, z)) return DS_ERR_INVALIDPARAM;
  DS_LISTENER_SET(set3(p.position, x, y, z));
}

int32_t DsListener::SetVelocity(float x, float y, float z, uint32_t apply) {
  if (!finite3(x, y, z)) return DS_ERR_INVALIDPARAM;
  DS_LISTENER_SET(set3(p.velocity, x, y, z));
}

int32_t DsListener::SetOrientation(float fx, float fy, float fz, float tx, float ty, float tz,
                                   uint32_t apply) {
  if (!finite3(fx, fy, fz) || !finite3(tx, ty, tz)) return DS_ERR_INVALIDPARAM;
  if (fx == 0 && fy == 0 && fz == 0) return DS_ERR_INVALIDPARAM;
  if (tx == 0 && ty == 0 && tz == 0) return DS_ERR_INVALIDPARAM;
  DS_LISTENER_SET(set3(p.front, fx, fy, fz); set3(p.top, tx, ty, tz));
}

int32_t DsListener::SetRolloffFactor(float factor, uint32_t apply) {
  if (!(factor >= 0 && factor <= 10)) return DS_ERR_INVALIDPARAM;
  DS_LISTENER_SET(p.rolloffFactor = factor);
}

int32_t DsListener::SetDopplerFactor(float factor, uint32_t apply) {
  if (!(factor >= 0 && factor <= 10)) return DS_ERR_INVALIDPARAM;
  DS_LISTENER_SET(p.dopplerFactor = factor);
}

int32_t DsListener::SetDistanceFactor(float factor, uint32_t apply) {
  if (!(factor > 0) || !std::isfinite(factor)) return DS_ERR_INVALIDPARAM;
  DS_LISTENER_SET(p.distanceFactor = factor);
}

int32_t DsListener::CommitDeferredSettings() {
  device_->commitDeferred();
  return DS_OK;
}

int32_t DsListener::GetPosition(float* xyz) {
  if (!xyz) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  for (int i = 0; i < 3; ++i) xyz[i] = device_->listener().position[i];
  return DS_OK;
}

int32_t DsListener::GetRolloffFactor(float* factor) {
  if (!factor) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  *factor = device_->listener().rolloffFactor;
  return DS_OK;
}

// ---- 3D buffer ----

Ds3DBuffer::Ds3DBuffer(DsBuffer* buffer) : buffer_(buffer) { buffer_->AddRef(); }
Ds3DBuffer::~Ds3DBuffer() { buffer_->Release(); }

#define DS_BUFFER3D_SET(body)                                 \
  Guard g(buffer_->device()->mutex());                        \
  auto change = [&](Ds3DBufferState& p) { body; };            \
  if (!buffer_->hasPending3D()) buffer_->pending3D() = buffer_->state3D(); \
  change(buffer_->pending3D());                               \
  if (apply == DS3D_IMMEDIATE) change(buffer_->state3D());    \
  else buffer_->setHasPending3D(true);                        \
  return DS_OK

int32_t Ds3DBuffer::SetMinDistance(float d, uint32_t apply) {
  if (!(d > 0) || !std::isfinite(d)) return DS_ERR_INVALIDPARAM;
  DS_BUFFER3D_SET(p.minDistance = d);
}

int32_t Ds3DBuffer::SetMaxDistance(float d, uint32_t apply) {
  if (!(d > 0) || !std::isfinite(d)) return DS_ERR_INVALIDPARAM;
  DS_BUFFER3D_SET(p.maxDistance = d);
}

int32_t Ds3DBuffer::SetPosition(float x, float y, float z, uint32_t apply) {
  if (!finite3(x, y, z)) return DS_ERR_INVALIDPARAM;
  DS_BUFFER3D_SET(set3(p.position, x, y, z));
}

int32_t Ds3DBuffer::SetVelocity(float x, float y, float z, uint32_t apply) {
  if (!finite3(x, y, z)) return DS_ERR_INVALIDPARAM;
  DS_BUFFER3D_SET(set3(p.velocity, x, y, z));
}

int32_t Ds3DBuffer::GetMinDistance(float* d) {
  if (!d) return DS_ERR_INVALIDPARAM;
  Guard g(buffer_->device()->mutex());
  *d = buffer_->state3D().minDistance;
  return DS_OK;
}

int32_t Ds3DBuffer::GetMaxDistance(float* d) {
  if (!d) return DS_ERR_INVALIDPARAM;
  Guard g(buffer_->device()->mutex());
  *d = buffer_->state3D().maxDistance;
  return DS_OK;
}

int32_t Ds3DBuffer::GetPosition(float* xyz) {
  if (!xyz) return DS_ERR_INVALIDPARAM;
  Guard g(buffer_->device()->mutex());
  for (int i = 0; i < 3; ++i) xyz[i] = buffer_->state3D().position[i];
  return DS_OK;
}

// ---- what the listener hears ----

namespace {
double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double norm(double* v) {
  double n = std::sqrt(dot(v, v));
  if (n > 0)
    for (int i = 0; i < 3; ++i) v[i] /= n;
  return n;
}
const double kSpeedOfSound = 343.3;  // metres per second
}  // namespace

Ds3DResult ds_3d_compute(const Ds3DListenerState& l, const Ds3DBufferState& b) {
  Ds3DResult r;
  double rel[3], front[3], top[3];
  for (int i = 0; i < 3; ++i) {
    rel[i] = static_cast<double>(b.position[i]) - l.position[i];
    front[i] = l.front[i];
    top[i] = l.top[i];
  }
  double d = norm(rel);
  // Full volume up to the minimum distance, then the inverse-distance law
  // scaled by the roll-off factor; no further fall-off past the maximum.
  double minD = b.minDistance, maxD = b.maxDistance < b.minDistance ? b.minDistance : b.maxDistance;
  double dc = d < maxD ? d : maxD;
  if (dc > minD) r.gain = static_cast<float>(minD / (minD + l.rolloffFactor * (dc - minD)));
  // Direction: the component along the listener's right-hand axis (top x
  // front in the left-handed world of this interface).
  norm(front);
  norm(top);
  double right[3] = {top[1] * front[2] - top[2] * front[1], top[2] * front[0] - top[0] * front[2],
                     top[0] * front[1] - top[1] * front[0]};
  norm(right);
  double p = d > 0 ? dot(rel, right) : 0;
  p = p < -1 ? -1 : (p > 1 ? 1 : p);
  r.left = static_cast<float>(std::min(1.0, std::sqrt(1 - p)));
  r.right = static_cast<float>(std::min(1.0, std::sqrt(1 + p)));
  // Doppler along the line from the sound to the listener.
  if (d > 0 && l.dopplerFactor > 0) {
    double u[3] = {-rel[0], -rel[1], -rel[2]};
    double vs[3] = {b.velocity[0], b.velocity[1], b.velocity[2]};
    double vl[3] = {l.velocity[0], l.velocity[1], l.velocity[2]};
    double scale = l.distanceFactor * l.dopplerFactor;
    double s = dot(vs, u) * scale, li = dot(vl, u) * scale;
    double c = kSpeedOfSound;
    if (s > c * 0.9) s = c * 0.9;
    double ratio = (c - li) / (c - s);
    r.pitch = ratio < 0.25 ? 0.25 : (ratio > 4 ? 4 : ratio);
  }
  return r;
}
