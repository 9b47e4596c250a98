// One sound's controls (pause, stop, volume, pan, 3D place, stop events) and the 3D volume and pan.
#include "sound/sound.h"

#include <cmath>

#include "sound/engine.h"
#include "sound/sound_source.h"

namespace vavozovu {

using vz_internal::CLockGuard;

CVavOzovuSound::CVavOzovuSound(CVavOzovuSoundSource* source, bool looped, float minDistance,
                               float maxDistance)
    : minDistance_(minDistance), maxDistance_(maxDistance), source_(source), looped_(looped) {
  if (source_) source_->grab();
}

CVavOzovuSound::~CVavOzovuSound() {
  if (source_) source_->drop();
}

CVavOzovuSoundEngine* CVavOzovuSound::engine() const {
  return source_ ? source_->getEngine() : nullptr;
}

void CVavOzovuSound::detachSource() {
  if (source_) source_->drop();
  source_ = nullptr;
}

// Every operation below: nothing without a source (or once the source has
// left its engine); otherwise under the engine lock, checking again inside.
#define VZ_SOUND_LOCKED(fallback)                                  \
  CVavOzovuSoundEngine* e = engine();                              \
  if (!e) return fallback;                                         \
  CLockGuard guard(e->getLock());                                  \
  if (!engine()) return fallback

ISoundSource* CVavOzovuSound::getSoundSource() { return engine() ? source_ : nullptr; }

void CVavOzovuSound::setIsPaused(bool paused) {
  VZ_SOUND_LOCKED();
  if (paused == paused_) return;
  if (!paused) {
    e->applyListenerToSound(this);
    playBuffer();
  } else {
    stopBuffer();
  }
  paused_ = paused;
}

bool CVavOzovuSound::getIsPaused() { return paused_; }

void CVavOzovuSound::stop() {
  VZ_SOUND_LOCKED();
  stoppedByUser_ = true;
  releaseBuffer();
}

float CVavOzovuSound::getVolume() {
  VZ_SOUND_LOCKED(0.0f);
  return volume_;
}

void CVavOzovuSound::setVolume(float volume) {
  VZ_SOUND_LOCKED();
  volume_ = volume;
}

void CVavOzovuSound::setPan(float pan) {
  VZ_SOUND_LOCKED();
  pan_ = pan;
}

float CVavOzovuSound::getPan() {
  VZ_SOUND_LOCKED(0.0f);
  return pan_;
}

bool CVavOzovuSound::isLooped() {
  VZ_SOUND_LOCKED(false);
  return looped_;
}

void CVavOzovuSound::setIsLooped(bool looped) {
  VZ_SOUND_LOCKED();
  looped_ = looped;
}

bool CVavOzovuSound::isFinished() {
  VZ_SOUND_LOCKED(true);
  return isBufferFinished();
}

void CVavOzovuSound::setMinDistance(float d) {
  VZ_SOUND_LOCKED();
  minDistance_ = d;
}

float CVavOzovuSound::getMinDistance() {
  VZ_SOUND_LOCKED(0.0f);
  return minDistance_;
}

void CVavOzovuSound::setMaxDistance(float d) {
  VZ_SOUND_LOCKED();
  maxDistance_ = d;
}

float CVavOzovuSound::getMaxDistance() {
  VZ_SOUND_LOCKED(0.0f);
  return maxDistance_;
}

void CVavOzovuSound::setPosition(vec3df position) {
  VZ_SOUND_LOCKED();
  position_ = position;
}

vec3df CVavOzovuSound::getPosition() {
  VZ_SOUND_LOCKED(vec3df());
  return position_;
}

void CVavOzovuSound::setVelocity(vec3df velocity) {
  VZ_SOUND_LOCKED();
  velocity_ = velocity;
}

vec3df CVavOzovuSound::getVelocity() {
  VZ_SOUND_LOCKED(vec3df());
  return velocity_;
}

int32_t CVavOzovuSound::getPlayLength() {
  VZ_SOUND_LOCKED(0);
  return source_->getPlayLength();
}

void CVavOzovuSound::setSoundStopEventReceiver(IStopEventReceiver* receiver, void* userData) {
  VZ_SOUND_LOCKED();
  stopReceiver_ = receiver;
  stopUserData_ = userData;
}

void CVavOzovuSound::notifyStopped(bool removed) {
  if (!stopReceiver_) return;
  E_STOP_EVENT_CAUSE cause = removed ? ESEC_SOUND_STOPPED_BY_SOURCE_REMOVAL
                                     : (stoppedByUser_ ? ESEC_SOUND_STOPPED_BY_USER
                                                       : ESEC_SOUND_FINISHED_PLAYING);
  stopReceiver_->onStopped(this, cause, stopUserData_);
}

// ---- 3D ----

float vectorAngle(float u, float w) {
  if (w == 0) return u >= 0 ? 0.0f : 180.0f;
  if (u == 0) return w > 0 ? 270.0f : 90.0f;
  float c = w / std::sqrt(u * u + w * w);
  float t = std::atan(std::sqrt(1 - c * c) / c) * 57.29577951308232f;
  if (u > 0 && w > 0) return t + 270;
  if (u > 0 && w < 0) return t + 90;
  if (u < 0 && w < 0) return 90 - t;
  return 270 - t;
}

float wrapAngle360(float x) { return std::fmod(std::fmod(x, 360.0f) + 360.0f, 360.0f); }

float wrapAngle180(float x) { return std::fmod(x + 1260.0f, 360.0f) - 180.0f; }

void CVavOzovuSound::apply3DVolumeAndPan(float master, const vec3df& listenerPos, const vec3df& look,
                                         const vec3df& up, bool linear) {
  float v = volume_ * master;
  if (!is3D_) {
    setBufferPan(pan_);
    setBufferVolume(v);
    return;
  }
  float dx = position_.X - listenerPos.X, dy = position_.Y - listenerPos.Y,
        dz = position_.Z - listenerPos.Z;
  float d = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (d >= minDistance_) {
    float e = d - minDistance_;
    float r = maxDistance_ - minDistance_;
    if (r > 0) {
      if (e > r) e = r;
      if (linear) v *= 1 - e / r;
      else v *= e == 0 ? 1.0f : minDistance_ / e;
    }
    // With no fall-off range (min == max) the sound's own volume still
    // applies; only the cap below remains.
    if (v > 1.0f) v = 1.0f;
  }

  float ux = up.X, uy = up.Y, uz = up.Z;
  float len = std::sqrt(ux * ux + uy * uy + uz * uz);
  if (len > 0) {
    ux /= len;
    uy /= len;
    uz /= len;
  }
  ux *= ux;
  uy *= uy;
  uz *= uz;
  float a1, a2, b1, b2;
  if (uy >= ux && uy >= uz) {
    a1 = look.X; a2 = look.Z; b1 = dx; b2 = dz;
  } else if (ux >= uz) {
    a1 = look.Y; a2 = look.Z; b1 = dy; b2 = dz;
  } else {
    a1 = look.X; a2 = look.Y; b1 = dx; b2 = dy;
  }
  // A source with no direction in the listener's plane (at the listener, or
  // straight above) is heard in the middle, not from an angle of nothing.
  float pan3D = 0.0f;
  if (b1 != 0 || b2 != 0) {
    float diff = wrapAngle360(vectorAngle(a1, a2)) - wrapAngle360(vectorAngle(b1, b2));
    pan3D = wrapAngle180(diff) / 180.0f;
  }
  setBufferPan(pan3D);
  setBufferVolume(v);
}

}  // namespace vavozovu
