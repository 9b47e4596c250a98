// Signal processing of the nine standard effects. Each processor works on
// interleaved stereo float frames at the output rate, in place, and keeps
// its own delay lines between blocks.
#pragma once
#include <memory>

#include "platform/ds_types.h"

class DsFxProcessor {
 public:
  virtual ~DsFxProcessor() {}
  DsEffectKind kind() const { return kind_; }
  // Checks the block's ranges and takes it; DS_ERR_INVALIDPARAM otherwise.
  virtual int32_t setParams(const void* block) = 0;
  virtual void getParams(void* block) const = 0;
  virtual void process(float* frames, int count) = 0;

 protected:
  explicit DsFxProcessor(DsEffectKind kind, int rate) : kind_(kind), rate_(rate) {}
  // The range check of every parameter, bounds included. The bounds are
  // taken at the parameters' own single precision, so a caller that passes
  // a documented end (0.01, 0.999 ...) as a float is inside the range.
  static bool within(double v, float lo, float hi) { return v >= lo && v <= hi; }
  DsEffectKind kind_;
  int rate_;
};

// A processor with the effect's default parameters; null for an unknown kind.
std::unique_ptr<DsFxProcessor> ds_fx_make(DsEffectKind kind, int rate);
// Size of the parameter block of the kind (0 for an unknown kind).
size_t ds_fx_param_size(DsEffectKind kind);

// The reverberators (ds_reverb.cpp).
std::unique_ptr<DsFxProcessor> ds_fx_make_i3dl2(int rate);
std::unique_ptr<DsFxProcessor> ds_fx_make_waves(int rate);
