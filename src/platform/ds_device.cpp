// Creates the output-buffer device and its buffers and duplicates, counting live objects for tests.
#include "platform/ds_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ds_3d.h"
#include "platform/ds_buffer.h"

namespace {
std::atomic<uint32_t> g_faults{0};
std::atomic<int> g_live{0};
int g_windowToken = 0;

DsGuid makeId(uint32_t n) {
  DsGuid g;
  g.data1 = 0x7e5a0000u | n;
  g.data2 = 0x51d;
  g.data3 = 0x4a7;
  const uint8_t tail[8] = {0x90, 0x0d, 0x00, 0x53, 0x4f, 0x55, 0x4e, static_cast<uint8_t>(n)};
  memcpy(g.data4, tail, 8);
  return g;
}
const DsGuid g_sdlId = makeId(1);
const DsGuid g_silentId = makeId(2);
}  // namespace

void ds_set_faults(uint32_t faults) { g_faults = faults; }
uint32_t ds_faults() { return g_faults.load(); }

DsObject::DsObject() { ++g_live; }
DsObject::~DsObject() { --g_live; }
uint32_t DsObject::Release() {
  int left = refs_.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return static_cast<uint32_t>(left < 0 ? 0 : left);
}
int ds_live_objects() { return g_live.load(); }

bool ds_guid_is_null(const DsGuid& g) {
  static const DsGuid zero;
  return ds_guid_equal(g, zero);
}
bool ds_guid_equal(const DsGuid& a, const DsGuid& b) {
  return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
         memcmp(a.data4, b.data4, 8) == 0;
}

// ---- device ----

int32_t ds_create(DsDevice** out) {
  if (!out) return DS_ERR_INVALIDPARAM;
  *out = nullptr;
  if (ds_fault(DS_FAULT_CREATE)) return DS_ERR_NODRIVER;
  *out = new DsDevice();
  return DS_OK;
}

DsDevice::~DsDevice() {
  // Buffers hold the device, so none is left; the output stops pulling.
  if (output_) sys_audio_close(output_);
}

int32_t DsDevice::Initialize(const DsGuid* device) {
  if (output_) return DS_ERR_ALREADYINITIALIZED;
  if (ds_fault(DS_FAULT_INITIALIZE)) return DS_ERR_NODRIVER;
  SysAudioSink sink = SYS_AUDIO_SINK_AUTO;
  if (device && !ds_guid_is_null(*device)) {
    if (ds_guid_equal(*device, g_sdlId)) sink = SYS_AUDIO_SINK_SDL;
    else if (ds_guid_equal(*device, g_silentId)) sink = SYS_AUDIO_SINK_SILENT;
    else return DS_ERR_NODRIVER;
  }
  output_ = sys_audio_open(this, sink);
  return output_ ? DS_OK : DS_ERR_NODRIVER;
}

SysAudioSink DsDevice::sink() const { return sys_audio_sink(output_); }

int32_t DsDevice::SetCooperativeLevel(void* window, uint32_t level) {
  if (!output_) return DS_ERR_UNINITIALIZED;
  if (ds_fault(DS_FAULT_COOPERATIVE_LEVEL)) return DS_ERR_GENERIC;
  if (!window || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DS_ERR_INVALIDPARAM;
  coopLevel_ = level;
  return DS_OK;
}

int32_t DsDevice::CreateSoundBuffer(const DsBufferDesc* desc, DsBuffer** out) {
  if (!out || !desc) return DS_ERR_INVALIDPARAM;
  *out = nullptr;
  if (!output_) return DS_ERR_UNINITIALIZED;
  if (desc->flags & DSBCAPS_PRIMARYBUFFER) {
    if (ds_fault(DS_FAULT_PRIMARY_BUFFER)) return DS_ERR_GENERIC;
    if (desc->bufferBytes != 0 || desc->format || (desc->flags & DSBCAPS_CTRLFX))
      return DS_ERR_INVALIDPARAM;
    *out = new DsBuffer(this, *desc, nullptr);
    return DS_OK;
  }
  if (ds_fault(DS_FAULT_CREATE_BUFFER)) return DS_ERR_OUTOFMEMORY;
  const SysWaveFormat* f = desc->format;
  if (!f || f->formatTag != SYS_WAVE_FORMAT_PCM || f->channels < 1 || f->channels > 2 ||
      (f->bitsPerSample != 8 && f->bitsPerSample != 16) ||
      f->blockAlign != f->channels * f->bitsPerSample / 8 || f->samplesPerSec < DSBFREQUENCY_MIN ||
      f->samplesPerSec > DSBFREQUENCY_MAX)
    return DS_ERR_INVALIDPARAM;
  if (desc->bufferBytes < 4 || desc->bufferBytes > 0x0FFFFFFFu || desc->bufferBytes % f->blockAlign)
    return DS_ERR_INVALIDPARAM;
  // 3D places one point source: only mono buffers can have it; 3D and pan
  // control exclude each other.
  if ((desc->flags & DSBCAPS_CTRL3D) && (f->channels != 1 || (desc->flags & DSBCAPS_CTRLPAN)))
    return DS_ERR_INVALIDPARAM;
  uint8_t silence = f->bitsPerSample == 8 ? 0x80 : 0;
  auto memory = std::make_shared<std::vector<uint8_t>>(desc->bufferBytes, silence);
  *out = new DsBuffer(this, *desc, memory);
  return DS_OK;
}

int32_t DsDevice::DuplicateSoundBuffer(DsBuffer* original, DsBuffer** out) {
  if (!out || !original) return DS_ERR_INVALIDPARAM;
  *out = nullptr;
  if (ds_fault(DS_FAULT_DUPLICATE)) return DS_ERR_OUTOFMEMORY;
  std::lock_guard<std::recursive_mutex> g(mutex_);
  // Effect chains belong to one buffer; the primary buffer has no memory.
  if (original->device_ != this || (original->flags_ & (DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLFX)))
    return DS_ERR_INVALIDCALL;
  DsBufferDesc d;
  d.flags = original->flags_;
  d.bufferBytes = original->size_;
  d.format = &original->format_;
  DsBuffer* b = new DsBuffer(this, d, original->memory_);
  b->frequency_ = original->frequency_;
  b->volume_ = original->volume_;
  b->pan_ = original->pan_;
  b->state3D_ = original->state3D_;
  b->pending3D_ = original->state3D_;
  *out = b;
  return DS_OK;
}

void DsDevice::addBuffer(DsBuffer* b) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  buffers_.push_back(b);
}

void DsDevice::removeBuffer(DsBuffer* b) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  for (size_t i = 0; i < buffers_.size(); ++i)
    if (buffers_[i] == b) {
      buffers_.erase(buffers_.begin() + static_cast<long>(i));
      break;
    }
}

void DsDevice::commitDeferred() {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  listener_ = pending_;
  for (DsBuffer* b : buffers_)
    if (b->hasPending3D()) {
      b->state3D() = b->pending3D();
      b->setHasPending3D(false);
    }
}

// ---- the mixer: the output pulls, every playing buffer adds in ----

void DsDevice::pull(int16_t* out, int frames) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  size_t n = static_cast<size_t>(frames) * 2;
  if (mix_.size() < n) {
    mix_.resize(n);
    scratch_.resize(n);
  }
  std::fill(mix_.begin(), mix_.begin() + static_cast<long>(n), 0.0f);
  for (DsBuffer* b : buffers_) b->mixInto(mix_.data(), scratch_.data(), frames);
  for (size_t i = 0; i < n; ++i) {
    float v = mix_[i];
    int32_t s = v >= 32767.0f ? 32767 : (v <= -32768.0f ? -32768 : static_cast<int32_t>(lrintf(v)));
    out[i] = static_cast<int16_t>(s);
  }
}

// ---- enumeration and the no-op services ----

int32_t ds_enumerate(DsEnumCallback callback, void* context) {
  if (!callback) return DS_ERR_INVALIDPARAM;
  if (!callback(nullptr, "Primary Sound Driver", "", context)) return DS_OK;
  if (!callback(&g_sdlId, "SDL audio output", "sdl", context)) return DS_OK;
  callback(&g_silentId, "Silent output", "silent", context);
  return DS_OK;
}

DsEnumerateFn ds_find_enumerate() { return ds_fault(DS_FAULT_ENUMERATE) ? nullptr : ds_enumerate; }

void* ds_create_hidden_window(const char*) {
  return ds_fault(DS_FAULT_WINDOW) ? nullptr : &g_windowToken;
}
void ds_destroy_hidden_window(void*) {}
void ds_thread_init() {}
void ds_thread_uninit() {}
