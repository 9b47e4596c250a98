// Sounds with per-sound effects: turning each of the nine effects on, off or retuned on the buffer.
#include "sound/ds8_sound.h"

#include <cstring>

#include "sound/engine.h"

namespace vavozovu {

using vz_internal::CLockGuard;

CVavOzovuDS8Sound::CVavOzovuDS8Sound(CVavOzovuSoundSource* source,
                                     CVavOzovuBufferedSamples* samples, bool looped,
                                     DsDevice* device, bool hardware3D, bool globalFocus,
                                     float minDistance, float maxDistance, bool effects)
    : CVavOzovuDSSound(source, samples, looped, device, hardware3D, globalFocus, minDistance,
                       maxDistance, effects) {}

ISoundEffectControl* CVavOzovuDS8Sound::getSoundEffectControl() {
  return effects_ ? static_cast<ISoundEffectControl*>(this) : nullptr;
}

void CVavOzovuDS8Sound::releaseBuffer() {
  CVavOzovuDSSound::releaseBuffer();
  effectList_.clear();
}

bool CVavOzovuDS8Sound::setEffect(DsEffectKind kind, const void* block) {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return false;
  CLockGuard g(e->getLock());
  if (!engine() || !buffer_) return false;
  const uint8_t* bytes = static_cast<const uint8_t*>(block);
  std::vector<uint8_t> params(bytes, bytes + ds_fx_param_size(kind));
  for (size_t i = 0; i < effectList_.size(); ++i)
    if (effectList_[i].kind == kind) {
      // A refused block leaves the effect running with its old settings.
      std::vector<uint8_t> old = effectList_[i].params;
      effectList_[i].params = std::move(params);
      if (applyEffects(static_cast<int>(i))) return true;
      effectList_[i].params = std::move(old);
      applyEffectParameters(effectList_[i]);
      return false;
    }
  effectList_.push_back({kind, std::move(params)});
  if (applyEffects(-1)) return true;
  // A refused effect must not stay in the chain with its default settings,
  // nor make every later enable fail: the chain goes back to what it was.
  effectList_.pop_back();
  applyEffects(-1);
  return false;
}

void CVavOzovuDS8Sound::removeEffect(DsEffectKind kind) {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return;
  CLockGuard g(e->getLock());
  if (!engine() || !buffer_) return;
  for (size_t i = 0; i < effectList_.size(); ++i)
    if (effectList_[i].kind == kind) {
      effectList_.erase(effectList_.begin() + static_cast<long>(i));
      applyEffects(-1);
      return;
    }
}

bool CVavOzovuDS8Sound::hasEffect(DsEffectKind kind) {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return false;
  CLockGuard g(e->getLock());
  if (!engine() || !buffer_) return false;
  for (const SRunningSoundEffect& r : effectList_)
    if (r.kind == kind) return true;
  return false;
}

bool CVavOzovuDS8Sound::applyEffects(int entry) {
  if (!buffer_) return false;
  if (effectList_.empty()) {
    disableAllEffects();
    return true;
  }
  if (entry >= 0) return applyEffectParameters(effectList_[static_cast<size_t>(entry)]);
  // The chain cannot change while the buffer plays.
  const bool playing = !paused_;
  if (playing) buffer_->Stop();
  std::vector<DsEffectKind> kinds;
  for (const SRunningSoundEffect& r : effectList_) kinds.push_back(r.kind);
  std::vector<int32_t> results(kinds.size(), 0);
  bool ok = true;
  if (ds_failed(buffer_->SetFX(static_cast<uint32_t>(kinds.size()), kinds.data(), results.data()))) {
    vz_internal::logText("Could not set effects");
    ok = false;
  } else {
    for (const SRunningSoundEffect& r : effectList_) ok = applyEffectParameters(r) && ok;
  }
  if (playing) playBuffer();
  return ok;
}

bool CVavOzovuDS8Sound::applyEffectParameters(const SRunningSoundEffect& r) {
  DsEffect* fx = nullptr;
  if (ds_failed(buffer_->GetObjectInPath(r.kind, 0, &fx)) || !fx) return false;
  bool ok = !ds_failed(fx->SetAllParameters(r.params.data()));
  fx->Release();
  return ok;
}

void CVavOzovuDS8Sound::disableAllEffects() {
  CVavOzovuSoundEngine* e = engine();
  if (!e) return;
  CLockGuard g(e->getLock());
  if (!engine() || !buffer_) return;
  const bool playing = !paused_;
  if (playing) buffer_->Stop();
  if (ds_failed(buffer_->SetFX(0, nullptr, nullptr))) vz_internal::logText("Could not disable effects");
  effectList_.clear();
  if (playing) playBuffer();
}

// ---- the nine effects ----

bool CVavOzovuDS8Sound::enableChorus(float wetDryMix, float depth, float feedback, float frequency,
                                     bool sinusWaveForm, float delay, int32_t phase) {
  DsFxChorus p;
  p.wetDryMix = wetDryMix;
  p.depth = depth;
  p.feedback = feedback;
  p.frequency = frequency;
  p.waveform = sinusWaveForm ? 1 : 0;
  p.delay = delay;
  p.phase = phase == -180 ? 0 : phase == -90 ? 1 : phase == 0 ? 2 : phase == 180 ? 4 : 3;
  return setEffect(DSFX_CHORUS, &p);
}

bool CVavOzovuDS8Sound::enableCompressor(float gain, float attack, float release, float threshold,
                                         float ratio, float predelay) {
  DsFxCompressor p;
  p.gain = gain;
  p.attack = attack;
  p.release = release;
  p.threshold = threshold;
  p.ratio = ratio;
  p.predelay = predelay;
  return setEffect(DSFX_COMPRESSOR, &p);
}

bool CVavOzovuDS8Sound::enableDistortion(float gain, float edge, float postEQCenterFrequency,
                                         float postEQBandwidth, float preLowpassCutoff) {
  DsFxDistortion p;
  p.gain = gain;
  p.edge = edge;
  p.postEQCenterFrequency = postEQCenterFrequency;
  p.postEQBandwidth = postEQBandwidth;
  p.preLowpassCutoff = preLowpassCutoff;
  return setEffect(DSFX_DISTORTION, &p);
}

bool CVavOzovuDS8Sound::enableEcho(float wetDryMix, float feedback, float leftDelay,
                                   float rightDelay, int32_t panDelay) {
  DsFxEcho p;
  p.wetDryMix = wetDryMix;
  p.feedback = feedback;
  p.leftDelay = leftDelay;
  p.rightDelay = rightDelay;
  p.panDelay = panDelay;
  return setEffect(DSFX_ECHO, &p);
}

bool CVavOzovuDS8Sound::enableFlanger(float wetDryMix, float depth, float feedback,
                                      float frequency, bool sinusWaveForm, float delay,
                                      int32_t phase) {
  DsFxFlanger p;
  p.wetDryMix = wetDryMix;
  p.depth = depth;
  p.feedback = feedback;
  p.frequency = frequency;
  p.waveform = sinusWaveForm ? 1 : 0;
  p.delay = delay;
  p.phase = phase;
  return setEffect(DSFX_FLANGER, &p);
}

bool CVavOzovuDS8Sound::enableGargle(int32_t rateHz, bool sinusWaveForm) {
  DsFxGargle p;
  p.rateHz = rateHz < 0 ? 0 : static_cast<uint32_t>(rateHz);
  p.waveShape = sinusWaveForm ? 0 : 1;
  return setEffect(DSFX_GARGLE, &p);
}

bool CVavOzovuDS8Sound::enableI3DL2Reverb(int32_t room, int32_t roomHF, float roomRolloffFactor,
                                          float decayTime, float decayHFRatio, int32_t reflections,
                                          float reflectionsDelay, int32_t reverb, float reverbDelay,
                                          float diffusion, float density, float hfReference) {
  DsFxI3DL2Reverb p;
  p.room = room;
  p.roomHF = roomHF;
  p.roomRolloffFactor = roomRolloffFactor;
  p.decayTime = decayTime;
  p.decayHFRatio = decayHFRatio;
  p.reflections = reflections;
  p.reflectionsDelay = reflectionsDelay;
  p.reverb = reverb;
  p.reverbDelay = reverbDelay;
  p.diffusion = diffusion;
  p.density = density;
  p.hfReference = hfReference;
  return setEffect(DSFX_I3DL2REVERB, &p);
}

bool CVavOzovuDS8Sound::enableParamEq(float center, float bandwidth, float gain) {
  DsFxParamEq p;
  p.center = center;
  p.bandwidth = bandwidth;
  p.gain = gain;
  return setEffect(DSFX_PARAMEQ, &p);
}

bool CVavOzovuDS8Sound::enableWavesReverb(float inGain, float reverbMix, float reverbTime,
                                          float highFreqRTRatio) {
  DsFxWavesReverb p;
  p.inGain = inGain;
  p.reverbMix = reverbMix;
  p.reverbTime = reverbTime;
  p.highFreqRTRatio = highFreqRTRatio;
  return setEffect(DSFX_WAVESREVERB, &p);
}

}  // namespace vavozovu
