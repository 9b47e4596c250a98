// Streamed sounds of the DirectSound drivers: a one-second ring buffer that
// plays looping while every engine update refills the frames the play
// cursor has freed from an audio stream. One design over either sound:
// CVavOzovuDSSoundStream (plain) and CVavOzovuDS8SoundStream (effects).
#pragma once
#include <vector>

#include "sound/audio_stream.h"
#include "sound/ds8_sound.h"
#include "sound/ds_sound.h"

namespace vavozovu {

template <class Base>
class CVavOzovuDSStreamT : public Base {
 public:
  // Frames next to the play cursor that a refill leaves alone.
  static const int32_t kGuardFrames = 256;

  CVavOzovuDSStreamT(CVavOzovuSoundSource* source, IAudioStream* stream, bool looped,
                     DsDevice* device, bool hardware3D, bool globalFocus, float minDistance,
                     float maxDistance, bool effects);
  ~CVavOzovuDSStreamT() override;

  void setIsLooped(bool looped) override;
  int32_t getPlayPosition() override;
  bool setPlayPosition(int32_t ms) override;
  void updateSound(float master, const vec3df& listenerPos, const vec3df& look, const vec3df& up,
                   bool linearRolloff, float rolloffFactor) override;
  void playBuffer() override;

 private:
  void refillStreamBuffer();
  // Writes n frames: stream data, after its end silence (or, looped, the
  // start again). Returns the frames the stream gave.
  int32_t fillFromStream(uint8_t* target, int32_t n);
  int32_t readStream(uint8_t* target, int32_t n);

  IAudioStream* stream_;
  int32_t ringFrames_;
  int32_t writeCursor_ = -1;  // ring frame of the next write; -1 before the first fill
  int32_t lastPlayCursor_ = 0;
  int64_t ringWritten_ = 0;   // frames written into the ring since the fill began
  int64_t ringPlayed_ = 0;    // frames the play cursor has passed since then
  int64_t positionBase_ = 0;  // stream frame at which the ring began
  int64_t readSinceRewind_ = 0;
  int64_t streamLength_;      // frames; -1 until known
  int64_t endAt_ = -1;        // ring frame where an unlooped stream's data ends
  std::vector<uint8_t> scratch_;
};

using CVavOzovuDSSoundStream = CVavOzovuDSStreamT<CVavOzovuDSSound>;
using CVavOzovuDS8SoundStream = CVavOzovuDSStreamT<CVavOzovuDS8Sound>;

extern template class CVavOzovuDSStreamT<CVavOzovuDSSound>;
extern template class CVavOzovuDSStreamT<CVavOzovuDS8Sound>;

}  // namespace vavozovu
