// The standard effects' DSP: chorus, flanger, compressor, distortion, echo, gargle and equaliser.
#include "platform/ds_effects.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;


// A delay line of one channel with fractional reads.
class DelayLine {
 public:
  void resize(int frames) {
    data_.assign(static_cast<size_t>(frames < 2 ? 2 : frames), 0.0f);
    pos_ = 0;
  }
  void push(float v) {
    data_[pos_] = v;
    pos_ = (pos_ + 1) % data_.size();
  }
  // The sample `delay` frames before the last push (1 = the last one).
  float read(double delay) const {
    const double n = static_cast<double>(data_.size());
    if (delay < 1) delay = 1;
    if (delay > n - 1) delay = n - 1;
    double at = static_cast<double>(pos_) - delay;
    while (at < 0) at += n;
    size_t i = static_cast<size_t>(at);
    double t = at - static_cast<double>(i);
    float a = data_[i % data_.size()], b = data_[(i + 1) % data_.size()];
    return static_cast<float>(a + (b - a) * t);
  }

 private:
  std::vector<float> data_;
  size_t pos_ = 0;
};

// Low-frequency oscillator in -1..1: sine or triangle.
double lfo(double phase, bool sine) {
  phase -= std::floor(phase);
  if (sine) return std::sin(2 * kPi * phase);
  return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
}

// Degrees between the channels' oscillators, by the phase index.
double phaseOffset(int32_t index) {
  static const double degrees[5] = {-180, -90, 0, 90, 180};
  return degrees[index < 0 ? 0 : (index > 4 ? 4 : index)] / 360.0;
}

// ---- chorus and flanger: a delay swept by an oscillator ----

template <class P>
class SweptDelay : public DsFxProcessor {
 public:
  SweptDelay(DsEffectKind kind, int rate, double maxDelayMs)
      : DsFxProcessor(kind, rate), maxDelayMs_(maxDelayMs) {
    for (DelayLine& l : lines_) l.resize(static_cast<int>(2 * maxDelayMs * rate / 1000) + 4);
  }
  // Both effects take the same parameters; only the longest delay differs.
  int32_t setParams(const void* block) override {
    P p;
    memcpy(&p, block, sizeof p);
    if (!within(p.wetDryMix, 0, 100) || !within(p.depth, 0, 100) || !within(p.feedback, -99, 99) ||
        !within(p.frequency, 0, 10) || !within(p.waveform, 0, 1) ||
        !within(p.delay, 0, static_cast<float>(maxDelayMs_)) || !within(p.phase, 0, 4))
      return DS_ERR_INVALIDPARAM;
    p_ = p;
    return DS_OK;
  }
  void getParams(void* block) const override { memcpy(block, &p_, sizeof p_); }
  void process(float* x, int count) override {
    const double base = p_.delay * rate_ / 1000.0;
    const double depth = p_.depth / 100.0, mix = p_.wetDryMix / 100.0, fb = p_.feedback / 100.0;
    const double offset = phaseOffset(p_.phase);
    for (int i = 0; i < count; ++i) {
      for (int c = 0; c < 2; ++c) {
        double m = lfo(phase_ + (c ? offset : 0), p_.waveform == 1);
        double delay = base * (1 + depth * m);
        float wet = lines_[c].read(delay);
        float in = x[2 * i + c];
        lines_[c].push(static_cast<float>(in + fb * wet));
        x[2 * i + c] = static_cast<float>(in * (1 - mix) + wet * mix);
      }
      phase_ += p_.frequency / rate_;
      if (phase_ >= 1) phase_ -= 1;
    }
  }

 protected:
  P p_;
  DelayLine lines_[2];
  double phase_ = 0;
  double maxDelayMs_;
};

class Chorus : public SweptDelay<DsFxChorus> {
 public:
  explicit Chorus(int rate) : SweptDelay(DSFX_CHORUS, rate, 20) {}
};

class Flanger : public SweptDelay<DsFxFlanger> {
 public:
  explicit Flanger(int rate) : SweptDelay(DSFX_FLANGER, rate, 4) {}
};

// ---- compressor: peak follower, gain reduction above the threshold ----

class Compressor : public DsFxProcessor {
 public:
  explicit Compressor(int rate) : DsFxProcessor(DSFX_COMPRESSOR, rate) {
    for (DelayLine& l : lines_) l.resize(static_cast<int>(4.0 * rate / 1000) + 4);
  }
  int32_t setParams(const void* block) override {
    DsFxCompressor p;
    memcpy(&p, block, sizeof p);
    if (!within(p.gain, -60, 60) || !within(p.attack, 0.01, 500) || !within(p.release, 50, 3000) ||
        !within(p.threshold, -60, 0) || !within(p.ratio, 1, 100) || !within(p.predelay, 0, 4))
      return DS_ERR_INVALIDPARAM;
    p_ = p;
    return DS_OK;
  }
  void getParams(void* block) const override { memcpy(block, &p_, sizeof p_); }
  void process(float* x, int count) override {
    const double a = std::exp(-1.0 / (p_.attack * rate_ / 1000.0));
    const double r = std::exp(-1.0 / (p_.release * rate_ / 1000.0));
    const double lookahead = p_.predelay * rate_ / 1000.0;
    for (int i = 0; i < count; ++i) {
      double level = std::max(std::fabs(x[2 * i]), std::fabs(x[2 * i + 1])) / 32768.0;
      env_ = level > env_ ? a * env_ + (1 - a) * level : r * env_ + (1 - r) * level;
      double db = env_ > 1e-9 ? 20 * std::log10(env_) : -180;
      double reduce = db > p_.threshold ? (p_.threshold - db) * (1 - 1 / p_.ratio) : 0;
      double g = std::pow(10.0, (reduce + p_.gain) / 20);
      for (int c = 0; c < 2; ++c) {
        lines_[c].push(x[2 * i + c]);
        float delayed = lookahead < 1 ? x[2 * i + c] : lines_[c].read(lookahead);
        x[2 * i + c] = static_cast<float>(delayed * g);
      }
    }
  }

 private:
  DsFxCompressor p_;
  DelayLine lines_[2];
  double env_ = 0;
};

// ---- biquad filters ----

struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double z1[2] = {0, 0}, z2[2] = {0, 0};
  float run(float in, int c) {
    double out = b0 * in + z1[c];
    z1[c] = b1 * in - a1 * out + z2[c];
    z2[c] = b2 * in - a2 * out;
    return static_cast<float>(out);
  }
  void set(double nb0, double nb1, double nb2, double a0, double na1, double na2) {
    b0 = nb0 / a0;
    b1 = nb1 / a0;
    b2 = nb2 / a0;
    a1 = na1 / a0;
    a2 = na2 / a0;
  }
};

double clampFrequency(double f, int rate) { return f > 0.45 * rate ? 0.45 * rate : f; }

// ---- distortion: low-pass, wave shaper, band-pass, gain ----

class Distortion : public DsFxProcessor {
 public:
  explicit Distortion(int rate) : DsFxProcessor(DSFX_DISTORTION, rate) { update(); }
  int32_t setParams(const void* block) override {
    DsFxDistortion p;
    memcpy(&p, block, sizeof p);
    if (!within(p.gain, -60, 0) || !within(p.edge, 0, 100) ||
        !within(p.postEQCenterFrequency, 100, 8000) || !within(p.postEQBandwidth, 100, 8000) ||
        !within(p.preLowpassCutoff, 100, 8000))
      return DS_ERR_INVALIDPARAM;
    p_ = p;
    update();
    return DS_OK;
  }
  void getParams(void* block) const override { memcpy(block, &p_, sizeof p_); }
  void process(float* x, int count) override {
    const double e = p_.edge / 100.0 * 0.99;
    const double k = 2 * e / (1 - e);
    const double g = std::pow(10.0, p_.gain / 20);
    for (int i = 0; i < count; ++i)
      for (int c = 0; c < 2; ++c) {
        lp_[c] += lpCoef_ * (x[2 * i + c] / 32768.0 - lp_[c]);
        double s = (1 + k) * lp_[c] / (1 + k * std::fabs(lp_[c]));
        x[2 * i + c] = static_cast<float>(band_.run(static_cast<float>(s), c) * g * 32768.0);
      }
  }

 private:
  void update() {
    double fc = clampFrequency(p_.preLowpassCutoff, rate_);
    lpCoef_ = 1 - std::exp(-2 * kPi * fc / rate_);
    double f0 = clampFrequency(p_.postEQCenterFrequency, rate_);
    double w0 = 2 * kPi * f0 / rate_, q = f0 / p_.postEQBandwidth;
    double alpha = std::sin(w0) / (2 * q);
    band_.set(alpha, 0, -alpha, 1 + alpha, -2 * std::cos(w0), 1 - alpha);
  }
  DsFxDistortion p_;
  double lp_[2] = {0, 0};
  double lpCoef_ = 1;
  Biquad band_;
};

// ---- echo: a delay line per channel with feedback ----

class Echo : public DsFxProcessor {
 public:
  explicit Echo(int rate) : DsFxProcessor(DSFX_ECHO, rate) {
    for (DelayLine& l : lines_) l.resize(2 * rate + 4);
  }
  int32_t setParams(const void* block) override {
    DsFxEcho p;
    memcpy(&p, block, sizeof p);
    if (!within(p.wetDryMix, 0, 100) || !within(p.feedback, 0, 100) ||
        !within(p.leftDelay, 1, 2000) || !within(p.rightDelay, 1, 2000) || !within(p.panDelay, 0, 1))
      return DS_ERR_INVALIDPARAM;
    p_ = p;
    return DS_OK;
  }
  void getParams(void* block) const override { memcpy(block, &p_, sizeof p_); }
  void process(float* x, int count) override {
    const double mix = p_.wetDryMix / 100.0, fb = p_.feedback / 100.0;
    const double d[2] = {p_.leftDelay * rate_ / 1000.0, p_.rightDelay * rate_ / 1000.0};
    for (int i = 0; i < count; ++i) {
      float wet[2] = {lines_[0].read(d[0]), lines_[1].read(d[1])};
      for (int c = 0; c < 2; ++c) {
        float in = x[2 * i + c];
        // With pan delay each repeat crosses to the other side.
        float back = p_.panDelay ? wet[1 - c] : wet[c];
        lines_[c].push(static_cast<float>(in + fb * back));
        x[2 * i + c] = static_cast<float>(in * (1 - mix) + wet[c] * mix);
      }
    }
  }

 private:
  DsFxEcho p_;
  DelayLine lines_[2];
};

// ---- gargle: amplitude modulation ----

class Gargle : public DsFxProcessor {
 public:
  explicit Gargle(int rate) : DsFxProcessor(DSFX_GARGLE, rate) {}
  int32_t setParams(const void* block) override {
    DsFxGargle p;
    memcpy(&p, block, sizeof p);
    if (!within(p.rateHz, 1, 1000) || p.waveShape > 1) return DS_ERR_INVALIDPARAM;
    p_ = p;
    return DS_OK;
  }
  void getParams(void* block) const override { memcpy(block, &p_, sizeof p_); }
  void process(float* x, int count) override {
    for (int i = 0; i < count; ++i) {
      double m = p_.waveShape == 1 ? (phase_ < 0.5 ? 1.0 : 0.0) : 1 - std::fabs(2 * phase_ - 1);
      x[2 * i] = static_cast<float>(x[2 * i] * m);
      x[2 * i + 1] = static_cast<float>(x[2 * i + 1] * m);
      phase_ += static_cast<double>(p_.rateHz) / rate_;
      if (phase_ >= 1) phase_ -= 1;
    }
  }

 private:
  DsFxGargle p_;
  double phase_ = 0;
};

// ---- parametric equaliser: one peaking band ----

class ParamEq : public DsFxProcessor {
 public:
  explicit ParamEq(int rate) : DsFxProcessor(DSFX_PARAMEQ, rate) { update(); }
  int32_t setParams(const void* block) override {
    DsFxParamEq p;
    memcpy(&p, block, sizeof p);
    if (!within(p.center, 80, 16000) || !within(p.bandwidth, 1, 36) || !within(p.gain, -15, 15))
      return DS_ERR_INVALIDPARAM;
    p_ = p;
    update();
    return DS_OK;
  }
  void getParams(void* block) const override { memcpy(block, &p_, sizeof p_); }
  void process(float* x, int count) override {
    for (int i = 0; i < count; ++i)
      for (int c = 0; c < 2; ++c) x[2 * i + c] = band_.run(x[2 * i + c], c);
  }

 private:
  void update() {
    double f0 = clampFrequency(p_.center, rate_);
    double a = std::pow(10.0, p_.gain / 40), w0 = 2 * kPi * f0 / rate_;
    double octaves = p_.bandwidth / 12.0;
    double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * octaves * w0 / std::sin(w0));
    double cw = std::cos(w0);
    band_.set(1 + alpha * a, -2 * cw, 1 - alpha * a, 1 + alpha / a, -2 * cw, 1 - alpha / a);
  }
  DsFxParamEq p_;
  Biquad band_;
};

}  // namespace

std::unique_ptr<DsFxProcessor> ds_fx_make(DsEffectKind kind, int rate) {
  switch (kind) {
    case DSFX_CHORUS: return std::unique_ptr<DsFxProcessor>(new Chorus(rate));
    case DSFX_COMPRESSOR: return std::unique_ptr<DsFxProcessor>(new Compressor(rate));
    case DSFX_DISTORTION: return std::unique_ptr<DsFxProcessor>(new Distortion(rate));
    case DSFX_ECHO: return std::unique_ptr<DsFxProcessor>(new Echo(rate));
    case DSFX_FLANGER: return std::unique_ptr<DsFxProcessor>(new Flanger(rate));
    case DSFX_GARGLE: return std::unique_ptr<DsFxProcessor>(new Gargle(rate));
    case DSFX_I3DL2REVERB: return ds_fx_make_i3dl2(rate);
    case DSFX_PARAMEQ: return std::unique_ptr<DsFxProcessor>(new ParamEq(rate));
    case DSFX_WAVESREVERB: return ds_fx_make_waves(rate);
    default: return nullptr;
  }
}

size_t ds_fx_param_size(DsEffectKind kind) {
  switch (kind) {
    case DSFX_CHORUS: return sizeof(DsFxChorus);
    case DSFX_COMPRESSOR: return sizeof(DsFxCompressor);
    case DSFX_DISTORTION: return sizeof(DsFxDistortion);
    case DSFX_ECHO: return sizeof(DsFxEcho);
    case DSFX_FLANGER: return sizeof(DsFxFlanger);
    case DSFX_GARGLE: return sizeof(DsFxGargle);
    case DSFX_I3DL2REVERB: return sizeof(DsFxI3DL2Reverb);
    case DSFX_PARAMEQ: return sizeof(DsFxParamEq);
    case DSFX_WAVESREVERB: return sizeof(DsFxWavesReverb);
    default: return 0;
  }
}
