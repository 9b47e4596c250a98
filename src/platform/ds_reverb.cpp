// The two reverberators: a network of damped feedback combs and all-pass
// diffusers per channel. The room reverb adds early reflections and the
// room's level controls; the simpler one has an input gain and a mix.
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/ds_effects.h"

namespace {

double fromMillibels(double mb) { return mb <= -10000 ? 0 : std::pow(10.0, mb / 2000); }

class Ring {
 public:
  void resize(int n) {
    data_.assign(static_cast<size_t>(n < 1 ? 1 : n), 0.0f);
    pos_ = 0;
  }
  float front() const { return data_[pos_]; }  // the sample pushed size() ago
  void push(float v) {
    data_[pos_] = v;
    pos_ = (pos_ + 1) % data_.size();
  }
  size_t size() const { return data_.size(); }
  float tap(size_t back) const {  // back in 1..size()
    if (back < 1) back = 1;
    if (back > data_.size()) back = data_.size();
    return data_[(pos_ + data_.size() - back) % data_.size()];
  }

 private:
  std::vector<float> data_;
  size_t pos_ = 0;
};

// Late reverberation of one channel.
class Tank {
 public:
  static const int kCombs = 4;
  void setup(int rate, double decaySeconds, double damping, double density, double diffusion,
             int spread) {
    static const double combMs[kCombs] = {29.7, 37.1, 41.1, 43.7};
    static const double allpassMs[2] = {5.0, 1.7};
    double size = 0.5 + 0.5 * density;
    for (int i = 0; i < kCombs; ++i) {
      int n = static_cast<int>(combMs[i] * size * rate / 1000) + spread;
      if (static_cast<int>(combs_[i].size()) != n) combs_[i].resize(n);
      // Feedback for a 60 dB fall over the decay time.
      feedback_[i] = std::pow(10.0, -3.0 * n / (decaySeconds * rate));
    }
    for (int i = 0; i < 2; ++i) {
      int n = static_cast<int>(allpassMs[i] * rate / 1000) + spread / 2;
      if (static_cast<int>(allpasses_[i].size()) != n) allpasses_[i].resize(n);
    }
    damping_ = damping;
    diffusion_ = 0.7 * diffusion;
  }
  float run(float in) {
    double sum = 0;
    for (int i = 0; i < kCombs; ++i) {
      float out = combs_[i].front();
      filter_[i] = out * (1 - damping_) + filter_[i] * damping_;
      combs_[i].push(static_cast<float>(in + filter_[i] * feedback_[i]));
      sum += out;
    }
    double x = sum / kCombs;
    for (Ring& a : allpasses_) {
      double buffered = a.front();
      double v = x + buffered * diffusion_;
      a.push(static_cast<float>(v));
      x = buffered - v * diffusion_;
    }
    return static_cast<float>(x);
  }

 private:
  Ring combs_[kCombs];
  Ring allpasses_[2];
  double feedback_[kCombs] = {0, 0, 0, 0};
  double filter_[kCombs] = {0, 0, 0, 0};
  double damping_ = 0;
  double diffusion_ = 0.7;
};

class I3DL2Reverb : public DsFxProcessor {
 public:
  explicit I3DL2Reverb(int rate) : DsFxProcessor(DSFX_I3DL2REVERB, rate) {
    for (Ring& r : pre_) r.resize(static_cast<int>(0.41 * rate) + 2);
    update();
  }
  int32_t setParams(const void* block) override {
    DsFxI3DL2Reverb p;
    memcpy(&p, block, sizeof p);
    if (!within(p.room, -10000, 0) || !within(p.roomHF, -10000, 0) ||
        !within(p.roomRolloffFactor, 0, 10) || !within(p.decayTime, 0.1, 20) ||
        !within(p.decayHFRatio, 0.1, 2) || !within(p.reflections, -10000, 1000) ||
        !within(p.reflectionsDelay, 0, 0.3) || !within(p.reverb, -10000, 2000) ||
        !within(p.reverbDelay, 0, 0.1) || !within(p.diffusion, 0, 100) ||
        !within(p.density, 0, 100) || !within(p.hfReference, 20, 20000))
      return DS_ERR_INVALIDPARAM;
    p_ = p;
    update();
    return DS_OK;
  }
  void getParams(void* block) const override { memcpy(block, &p_, sizeof p_); }
  void process(float* x, int count) override {
    static const double tapsMs[4] = {0, 3.7, 7.9, 12.1};
    const double room = fromMillibels(p_.room), hf = fromMillibels(p_.roomHF);
    const double refl = fromMillibels(p_.reflections), late = fromMillibels(p_.reverb);
    const double reflDelay = p_.reflectionsDelay * rate_;
    const double lateDelay = reflDelay + p_.reverbDelay * rate_;
    for (int i = 0; i < count; ++i)
      for (int c = 0; c < 2; ++c) {
        float in = x[2 * i + c];
        // The room's high frequencies are lowered above the reference.
        lp_[c] += hfCoef_ * (in - lp_[c]);
        double shaped = lp_[c] + hf * (in - lp_[c]);
        pre_[c].push(static_cast<float>(shaped * room));
        double early = 0;
        for (double t : tapsMs)
          early += pre_[c].tap(static_cast<size_t>(reflDelay + t * (0.5 + p_.density / 200) *
                                                    rate_ / 1000) + 1);
        double tail = tanks_[c].run(pre_[c].tap(static_cast<size_t>(lateDelay) + 1));
        x[2 * i + c] = static_cast<float>(in + early * refl / 4 + tail * late);
      }
  }

 private:
  void update() {
    double fc = p_.hfReference > 0.45 * rate_ ? 0.45 * rate_ : p_.hfReference;
    hfCoef_ = 1 - std::exp(-2 * 3.14159265358979 * fc / rate_);
    // A ratio below 1 makes high frequencies die sooner: more damping.
    double damping = p_.decayHFRatio < 1 ? (1 - p_.decayHFRatio) * 0.8 : 0;
    for (int c = 0; c < 2; ++c)
      tanks_[c].setup(rate_, p_.decayTime, damping, p_.density / 100, p_.diffusion / 100, c * 23);
  }
  DsFxI3DL2Reverb p_;
  Ring pre_[2];
  Tank tanks_[2];
  double lp_[2] = {0, 0};
  double hfCoef_ = 1;
};

class WavesReverb : public DsFxProcessor {
 public:
  explicit WavesReverb(int rate) : DsFxProcessor(DSFX_WAVESREVERB, rate) { update(); }
  int32_t setParams(const void* block) override {
    DsFxWavesReverb p;
    memcpy(&p, block, sizeof p);
    if (!within(p.inGain, -96, 0) || !within(p.reverbMix, -96, 0) ||
        !within(p.reverbTime, 0.001, 3000) || !within(p.highFreqRTRatio, 0.001, 0.999))
      return DS_ERR_INVALIDPARAM;
    p_ = p;
    update();
    return DS_OK;
  }
  void getParams(void* block) const override { memcpy(block, &p_, sizeof p_); }
  void process(float* x, int count) override {
    const double in = std::pow(10.0, p_.inGain / 20), mix = std::pow(10.0, p_.reverbMix / 20);
    for (int i = 0; i < count; ++i)
      for (int c = 0; c < 2; ++c) {
        double v = x[2 * i + c] * in;
        x[2 * i + c] = static_cast<float>(v + tanks_[c].run(static_cast<float>(v)) * mix);
      }
  }

 private:
  void update() {
    // The ratio is the high frequencies' share of the reverb time.
    double damping = (1 - p_.highFreqRTRatio) * 0.8;
    for (int c = 0; c < 2; ++c)
      tanks_[c].setup(rate_, p_.reverbTime / 1000, damping, 1, 1, c * 23);
  }
  DsFxWavesReverb p_;
  Tank tanks_[2];
};

}  // namespace

std::unique_ptr<DsFxProcessor> ds_fx_make_i3dl2(int rate) {
  return std::unique_ptr<DsFxProcessor>(new I3DL2Reverb(rate));
}
std::unique_ptr<DsFxProcessor> ds_fx_make_waves(int rate) {
  return std::unique_ptr<DsFxProcessor>(new WavesReverb(rate));
}
