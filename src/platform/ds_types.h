// Types of our own output-buffer interface ("ds"): result codes, flags,
// device ids, buffer descriptions, effect parameter blocks and the switch
// that makes chosen calls fail (for tests of every failure path).
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/sys_waveout.h"

// Results: negative values are failures.
enum : int32_t {
  DS_OK = 0,
  DS_ERR_GENERIC = -1,
  DS_ERR_INVALIDPARAM = -2,
  DS_ERR_INVALIDCALL = -3,
  DS_ERR_NOINTERFACE = -4,
  DS_ERR_NODRIVER = -5,
  DS_ERR_OUTOFMEMORY = -6,
  DS_ERR_UNINITIALIZED = -7,
  DS_ERR_ALREADYINITIALIZED = -8,
  DS_ERR_CONTROLUNAVAIL = -9,
};
inline bool ds_failed(int32_t r) { return r < 0; }

// Buffer capability flags.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr uint32_t DSBCAPS_STATIC = 0x2;
constexpr uint32_t DSBCAPS_CTRL3D = 0x10;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr uint32_t DSBCAPS_CTRLFX = 0x200;
constexpr uint32_t DSBCAPS_GLOBALFOCUS = 0x8000;
constexpr uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x10000;

constexpr uint32_t DSBPLAY_LOOPING = 0x1;
constexpr uint32_t DSBSTATUS_PLAYING = 0x1, DSBSTATUS_LOOPING = 0x4;
constexpr uint32_t DSBLOCK_FROMWRITECURSOR = 0x1, DSBLOCK_ENTIREBUFFER = 0x2;
constexpr uint32_t DSSCL_NORMAL = 1, DSSCL_PRIORITY = 2, DSSCL_EXCLUSIVE = 3, DSSCL_WRITEPRIMARY = 4;
constexpr uint32_t DS3D_IMMEDIATE = 0, DS3D_DEFERRED = 1;

const int32_t DSBVOLUME_MIN = -10000;
const int32_t DSBVOLUME_MAX = 0;
const int32_t DSBPAN_LEFT = -10000;
const int32_t DSBPAN_RIGHT = 10000;
const uint32_t DSBFREQUENCY_ORIGINAL = 0;
const uint32_t DSBFREQUENCY_MIN = 100;
const uint32_t DSBFREQUENCY_MAX = 200000;

// A 16-byte device id; all zero is the default device.
struct DsGuid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};
bool ds_guid_is_null(const DsGuid& g);
bool ds_guid_equal(const DsGuid& a, const DsGuid& b);

struct DsBufferDesc {
  uint32_t size = 36;
  uint32_t flags = 0;
  uint32_t bufferBytes = 0;  // 0 for the primary buffer
  uint32_t reserved = 0;
  const SysWaveFormat* format = nullptr;
};

// The nine standard effects.
enum DsEffectKind : int32_t {
  DSFX_NONE = -1,
  DSFX_CHORUS = 0,
  DSFX_COMPRESSOR,
  DSFX_DISTORTION,
  DSFX_ECHO,
  DSFX_FLANGER,
  DSFX_GARGLE,
  DSFX_I3DL2REVERB,
  DSFX_PARAMEQ,
  DSFX_WAVESREVERB,
  DSFX_COUNT
};

// Parameter blocks, with the ranges SetAllParameters accepts.
struct DsFxChorus {
  float wetDryMix = 50;  // 0..100 %
  float depth = 10;      // 0..100 % of the delay swept by the oscillator
  float feedback = 25;   // -99..99 %
  float frequency = 1.1f;  // 0..10 Hz
  int32_t waveform = 1;  // 0 triangle, 1 sine
  float delay = 16;      // 0..20 ms
  int32_t phase = 3;     // 0..4: -180, -90, 0, 90, 180 degrees between channels
};
struct DsFxCompressor {
  float gain = 0;         // -60..60 dB after compression
  float attack = 10;      // 0.01..500 ms
  float release = 200;    // 50..3000 ms
  float threshold = -20;  // -60..0 dB
  float ratio = 3;        // 1..100
  float predelay = 4;     // 0..4 ms
};
struct DsFxDistortion {
  float gain = -18;                   // -60..0 dB
  float edge = 15;                    // 0..100 %
  float postEQCenterFrequency = 2400;  // 100..8000 Hz
  float postEQBandwidth = 2400;       // 100..8000 Hz
  float preLowpassCutoff = 8000;      // 100..8000 Hz
};
struct DsFxEcho {
  float wetDryMix = 50;   // 0..100 %
  float feedback = 50;    // 0..100 %
  float leftDelay = 500;  // 1..2000 ms
  float rightDelay = 500;  // 1..2000 ms
  int32_t panDelay = 0;   // 0 or 1: swap the channels at each repeat
};
struct DsFxFlanger {
  float wetDryMix = 50;  // 0..100 %
  float depth = 100;     // 0..100 %
  float feedback = -50;  // -99..99 %
  float frequency = 0.25f;  // 0..10 Hz
  int32_t waveform = 1;  // 0 triangle, 1 sine
  float delay = 2;       // 0..4 ms
  int32_t phase = 2;     // 0..4 as for chorus
};
struct DsFxGargle {
  uint32_t rateHz = 20;  // 1..1000
  uint32_t waveShape = 0;  // 0 triangle, 1 square
};
struct DsFxI3DL2Reverb {
  int32_t room = -1000;         // -10000..0 mB
  int32_t roomHF = -100;        // -10000..0 mB
  float roomRolloffFactor = 0;  // 0..10
  float decayTime = 1.49f;      // 0.1..20 s
  float decayHFRatio = 0.83f;   // 0.1..2
  int32_t reflections = -2602;  // -10000..1000 mB
  float reflectionsDelay = 0.007f;  // 0..0.3 s
  int32_t reverb = 200;         // -10000..2000 mB
  float reverbDelay = 0.011f;   // 0..0.1 s
  float diffusion = 100;        // 0..100 %
  float density = 100;          // 0..100 %
  float hfReference = 5000;     // 20..20000 Hz
};
struct DsFxParamEq {
  float center = 8000;  // 80..16000 Hz
  float bandwidth = 12;  // 1..36 semitones
  float gain = 0;       // -15..15 dB
};
struct DsFxWavesReverb {
  float inGain = 0;      // -96..0 dB
  float reverbMix = 0;   // -96..0 dB
  float reverbTime = 1000;  // 0.001..3000 ms
  float highFreqRTRatio = 0.001f;  // 0.001..0.999
};

// Calls that can be made to fail, one bit each.
enum DsFault : uint32_t {
  DS_FAULT_WINDOW = 1u << 0,
  DS_FAULT_CREATE = 1u << 1,
  DS_FAULT_INITIALIZE = 1u << 2,
  DS_FAULT_COOPERATIVE_LEVEL = 1u << 3,
  DS_FAULT_PRIMARY_BUFFER = 1u << 4,
  DS_FAULT_LISTENER = 1u << 5,
  DS_FAULT_CREATE_BUFFER = 1u << 6,
  DS_FAULT_3D_BUFFER = 1u << 7,
  DS_FAULT_LOCK = 1u << 8,
  DS_FAULT_UNLOCK = 1u << 9,
  DS_FAULT_DUPLICATE = 1u << 10,
  DS_FAULT_SET_FX = 1u << 11,
  DS_FAULT_GET_POSITION = 1u << 12,
  DS_FAULT_PLAY = 1u << 13,
  DS_FAULT_ENUMERATE = 1u << 14,
};
// Sets the calls that fail from now on (0: none).
void ds_set_faults(uint32_t faults);
uint32_t ds_faults();
inline bool ds_fault(DsFault f) { return (ds_faults() & f) != 0; }

// Reference-counted objects of the interface.
class DsObject {
 public:
  DsObject();
  DsObject(const DsObject&) = delete;
  DsObject& operator=(const DsObject&) = delete;
  uint32_t AddRef() { return static_cast<uint32_t>(refs_.fetch_add(1) + 1); }
  uint32_t Release();

 protected:
  virtual ~DsObject();

 private:
  std::atomic<int> refs_{1};
};
// Objects of this interface alive in the process (leak checks in tests).
int ds_live_objects();
