// One playing, paused or finished instance of a sound source, and the
// software computation of 3D volume and pan shared by every back-end.
#pragma once
#include <atomic>

#include "sound/ref_counted.h"
#include "sound/sound_types.h"

namespace vavozovu {

class ISound;
class ISoundSource;
class CVavOzovuSoundSource;
class CVavOzovuSoundEngine;

class IStopEventReceiver {
 public:
  virtual ~IStopEventReceiver() {}
  virtual void onStopped(ISound* sound, E_STOP_EVENT_CAUSE cause, void* userData) = 0;
};

// Effects are a DirectSound 8 feature (sound_effect_control.h); the
// software back-ends have none.
class ISoundEffectControl;

class ISound : public IVirtualRefCounted {
 public:
  // The source this sound plays (null once the source was removed).
  virtual ISoundSource* getSoundSource() = 0;
  // Pauses or resumes the sound where it is.
  virtual void setIsPaused(bool paused = true) = 0;
  // Whether the sound is paused.
  virtual bool getIsPaused() = 0;
  // Stops the sound for good; its stop event follows.
  virtual void stop() = 0;
  // The sound's volume, 0 to 1.
  virtual float getVolume() = 0;
  // Sets the volume, heard at the next update.
  virtual void setVolume(float volume) = 0;
  // Balance of a 2D sound, -1 to +1; positive values move it to the left.
  virtual void setPan(float pan) = 0;
  // The balance of a 2D sound.
  virtual float getPan() = 0;
  // Whether the sound starts again at its end.
  virtual bool isLooped() = 0;
  // Makes the sound loop or end at its end.
  virtual void setIsLooped(bool looped) = 0;
  // Whether the sound has played to its end or was stopped.
  virtual bool isFinished() = 0;
  // Distance up to which a 3D sound plays at full volume.
  virtual void setMinDistance(float d) = 0;
  // The minimum distance of a 3D sound.
  virtual float getMinDistance() = 0;
  // Distance beyond which a 3D sound gets no quieter.
  virtual void setMaxDistance(float d) = 0;
  // The maximum distance of a 3D sound.
  virtual float getMaxDistance() = 0;
  // Moves a 3D sound to a place in the world.
  virtual void setPosition(vec3df position) = 0;
  // Where a 3D sound is.
  virtual vec3df getPosition() = 0;
  // How fast a 3D sound moves, for the Doppler shift.
  virtual void setVelocity(vec3df velocity) = 0;
  // The velocity of a 3D sound.
  virtual vec3df getVelocity() = 0;
  // Milliseconds played from the start; -1 when not known.
  virtual int32_t getPlayPosition() = 0;
  // Jumps to that many milliseconds from the start; false when it cannot.
  virtual bool setPlayPosition(int32_t ms) = 0;
  // Plays faster or slower (1 is normal), changing the pitch with it.
  virtual bool setPlaybackSpeed(float speed = 1.0f) = 0;
  // The playback speed.
  virtual float getPlaybackSpeed() = 0;
  // Length of the sound in milliseconds; -1 when not known.
  virtual int32_t getPlayLength() = 0;
  // The sound's effects when it was played with effects, else null.
  virtual ISoundEffectControl* getSoundEffectControl() = 0;
  // Who hears when the sound stops, with a pointer handed back to it.
  virtual void setSoundStopEventReceiver(IStopEventReceiver* receiver, void* userData = nullptr) = 0;
};

class CVavOzovuSound : public ISound {
 public:
  CVavOzovuSound(CVavOzovuSoundSource* source, bool looped, float minDistance, float maxDistance);
  ~CVavOzovuSound() override;

  ISoundSource* getSoundSource() override;
  void setIsPaused(bool paused = true) override;
  bool getIsPaused() override;
  void stop() override;
  float getVolume() override;
  void setVolume(float volume) override;
  void setPan(float pan) override;
  float getPan() override;
  bool isLooped() override;
  void setIsLooped(bool looped) override;
  bool isFinished() override;
  void setMinDistance(float d) override;
  float getMinDistance() override;
  void setMaxDistance(float d) override;
  float getMaxDistance() override;
  void setPosition(vec3df position) override;
  vec3df getPosition() override;
  void setVelocity(vec3df velocity) override;
  vec3df getVelocity() override;
  int32_t getPlayPosition() override { return -1; }
  bool setPlayPosition(int32_t) override { return false; }
  bool setPlaybackSpeed(float) override { return false; }
  float getPlaybackSpeed() override { return 1.0f; }
  int32_t getPlayLength() override;
  ISoundEffectControl* getSoundEffectControl() override { return nullptr; }
  void setSoundStopEventReceiver(IStopEventReceiver* receiver, void* userData = nullptr) override;

  // What the back-ends implement (called under the engine lock).
  virtual void updateSound(float master, const vec3df& listenerPos, const vec3df& look,
                           const vec3df& up, bool linearRolloff, float rolloffFactor) = 0;
  virtual void stopBuffer() = 0;
  virtual void playBuffer() = 0;
  virtual void releaseBuffer() = 0;
  virtual bool isBufferFinished() { return false; }
  virtual void setBufferPan(float pan) = 0;
  virtual void setBufferVolume(float volume) = 0;

  // Engine side.
  void set3D(bool is3D) { is3D_ = is3D; }
  bool is3D() const { return is3D_; }
  bool hasStopEventReceiver() const { return stopReceiver_ != nullptr; }
  void notifyStopped(bool removed);
  // Lets go of the source: every operation is a no-op from then on.
  void detachSource();
  CVavOzovuSoundSource* source() const { return source_; }

  // Distance attenuation and pan for back-ends without hardware 3D.
  void apply3DVolumeAndPan(float master, const vec3df& listenerPos, const vec3df& look,
                           const vec3df& up, bool linear);

 protected:
  // The engine of the source while the sound is attached, else null.
  CVavOzovuSoundEngine* engine() const;

  vec3df position_;
  vec3df velocity_;
  float volume_ = 1.0f;
  float pan_ = 0.0f;
  float minDistance_;
  float maxDistance_;
  CVavOzovuSoundSource* source_;
  IStopEventReceiver* stopReceiver_ = nullptr;
  void* stopUserData_ = nullptr;
  std::atomic<bool> paused_{true};  // read without the lock
  bool is3D_ = false;
  bool looped_;
  bool stoppedByUser_ = false;
};

// Angle helpers of the 3D pan, exposed for tests.
float vectorAngle(float u, float w);
float wrapAngle360(float x);
float wrapAngle180(float x);

}  // namespace vavozovu
