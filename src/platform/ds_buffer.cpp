// Sound buffer calls: locking memory, play and stop, cursors, frequency, volume, pan and effects.
#include "platform/ds_buffer.h"

#include "platform/ds_3d.h"
#include "platform/ds_device.h"

using Guard = std::lock_guard<std::recursive_mutex>;

DsBuffer::DsBuffer(DsDevice* device, const DsBufferDesc& desc,
                   std::shared_ptr<std::vector<uint8_t>> memory)
    : device_(device), flags_(desc.flags), memory_(std::move(memory)) {
  device_->AddRef();
  if (desc.format) format_ = *desc.format;
  size_ = desc.bufferBytes;
  frequency_ = format_.samplesPerSec;
  device_->addBuffer(this);
}

DsBuffer::~DsBuffer() {
  device_->removeBuffer(this);
  device_->Release();
}

uint32_t DsBuffer::frameCount() const { return format_.blockAlign ? size_ / format_.blockAlign : 0; }

uint32_t DsBuffer::writeLead() const {
  if (!playing_) return 0;
  // The mixer reads ahead of the play cursor: about 10 ms of frames are
  // committed and must not be written.
  uint32_t lead = frequency_ / 100;
  uint32_t n = frameCount();
  return n > 1 && lead >= n ? n - 1 : lead;
}

bool DsBuffer::sharesMemoryWith(const DsBuffer* other) const {
  return other && memory_ && memory_ == other->memory_;
}

int32_t DsBuffer::Lock(uint32_t offset, uint32_t bytes, void** ptr1, uint32_t* bytes1, void** ptr2,
                       uint32_t* bytes2, uint32_t flags) {
  if (!ptr1 || !bytes1) return DS_ERR_INVALIDPARAM;
  *ptr1 = nullptr;
  *bytes1 = 0;
  if (ptr2) *ptr2 = nullptr;
  if (bytes2) *bytes2 = 0;
  if (!memory_) return DS_ERR_INVALIDCALL;
  if (ds_fault(DS_FAULT_LOCK)) return DS_ERR_GENERIC;
  Guard g(device_->mutex());
  if (flags & DSBLOCK_ENTIREBUFFER) {
    offset = 0;
    bytes = size_;
  } else if (flags & DSBLOCK_FROMWRITECURSOR) {
    uint32_t play = 0, write = 0;
    GetCurrentPosition(&play, &write);
    offset = write;
  }
  if (offset >= size_ || bytes == 0 || bytes > size_) return DS_ERR_INVALIDPARAM;
  uint8_t* base = memory_->data();
  uint32_t first = size_ - offset < bytes ? size_ - offset : bytes;
  *ptr1 = base + offset;
  *bytes1 = first;
  if (first < bytes) {
    // Wraps: the rest comes from the start of the buffer.
    if (!ptr2 || !bytes2) {
      *ptr1 = nullptr;
      *bytes1 = 0;
      return DS_ERR_INVALIDPARAM;
    }
    *ptr2 = base;
    *bytes2 = bytes - first;
  }
  ++locks_;
  return DS_OK;
}

int32_t DsBuffer::Unlock(void* ptr1, uint32_t bytes1, void* ptr2, uint32_t bytes2) {
  if (!memory_) return DS_ERR_INVALIDCALL;
  if (ds_fault(DS_FAULT_UNLOCK)) return DS_ERR_GENERIC;
  Guard g(device_->mutex());
  uint8_t* base = memory_->data();
  auto inside = [&](void* p, uint32_t n) {
    uint8_t* q = static_cast<uint8_t*>(p);
    return q >= base && q + n <= base + size_;
  };
  if (locks_ <= 0 || !ptr1 || !inside(ptr1, bytes1) || (ptr2 && !inside(ptr2, bytes2)))
    return DS_ERR_INVALIDPARAM;
  --locks_;
  return DS_OK;
}

int32_t DsBuffer::Play(uint32_t, uint32_t, uint32_t flags) {
  if (ds_fault(DS_FAULT_PLAY)) return DS_ERR_GENERIC;
  Guard g(device_->mutex());
  playing_ = true;
  looping_ = (flags & DSBPLAY_LOOPING) != 0 || (flags_ & DSBCAPS_PRIMARYBUFFER);
  return DS_OK;
}

int32_t DsBuffer::Stop() {
  Guard g(device_->mutex());
  playing_ = false;
  return DS_OK;
}

int32_t DsBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) {
  if (ds_fault(DS_FAULT_GET_POSITION)) return DS_ERR_GENERIC;
  Guard g(device_->mutex());
  uint32_t n = frameCount();
  uint32_t frame = static_cast<uint32_t>(position_ >> 32);
  if (n) frame %= n;
  uint32_t p = frame * format_.blockAlign;
  if (play) *play = p;
  if (write) *write = n ? ((frame + writeLead()) % n) * format_.blockAlign : 0;
  return DS_OK;
}

int32_t DsBuffer::SetCurrentPosition(uint32_t offset) {
  Guard g(device_->mutex());
  if (!memory_ || offset >= size_) return DS_ERR_INVALIDPARAM;
  position_ = static_cast<uint64_t>(offset / format_.blockAlign) << 32;
  return DS_OK;
}

int32_t DsBuffer::SetFrequency(uint32_t hz) {
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DS_ERR_CONTROLUNAVAIL;
  if (hz == DSBFREQUENCY_ORIGINAL) hz = format_.samplesPerSec;
  if (hz < DSBFREQUENCY_MIN || hz > DSBFREQUENCY_MAX) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  frequency_ = hz;
  return DS_OK;
}

int32_t DsBuffer::GetFrequency(uint32_t* hz) {
  if (!hz) return DS_ERR_INVALIDPARAM;
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DS_ERR_CONTROLUNAVAIL;
  Guard g(device_->mutex());
  *hz = frequency_;
  return DS_OK;
}

int32_t DsBuffer::SetVolume(int32_t millibels) {
  if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DS_ERR_CONTROLUNAVAIL;
  if (millibels < DSBVOLUME_MIN || millibels > DSBVOLUME_MAX) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  volume_ = millibels;
  return DS_OK;
}

int32_t DsBuffer::GetVolume(int32_t* millibels) {
  if (!millibels) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  *millibels = volume_;
  return DS_OK;
}

int32_t DsBuffer::SetPan(int32_t pan) {
  if (!(flags_ & DSBCAPS_CTRLPAN)) return DS_ERR_CONTROLUNAVAIL;
  if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  pan_ = pan;
  return DS_OK;
}

int32_t DsBuffer::GetPan(int32_t* pan) {
  if (!pan) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  *pan = pan_;
  return DS_OK;
}

int32_t DsBuffer::GetStatus(uint32_t* status) {
  if (!status) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  uint32_t s = 0;
  if (playing_) s |= DSBSTATUS_PLAYING;
  if (playing_ && looping_) s |= DSBSTATUS_LOOPING;
  *status = s;
  return DS_OK;
}

int32_t DsBuffer::SetFX(uint32_t count, const DsEffectKind* kinds, int32_t* results) {
  if (!(flags_ & DSBCAPS_CTRLFX)) return DS_ERR_CONTROLUNAVAIL;
  if (count && !kinds) return DS_ERR_INVALIDPARAM;
  Guard g(device_->mutex());
  if (playing_ || locks_ > 0) return DS_ERR_INVALIDCALL;
  if (ds_fault(DS_FAULT_SET_FX)) return DS_ERR_GENERIC;
  std::vector<std::unique_ptr<DsFxProcessor>> chain;
  bool ok = true;
  for (uint32_t i = 0; i < count; ++i) {
    std::unique_ptr<DsFxProcessor> fx = ds_fx_make(kinds[i], device_->rate());
    if (results) results[i] = fx ? 0 : -1;
    if (!fx) ok = false;
    chain.push_back(std::move(fx));
  }
  if (!ok) return DS_ERR_INVALIDPARAM;
  effects_ = std::move(chain);
  return DS_OK;
}

int32_t DsBuffer::GetObjectInPath(DsEffectKind kind, uint32_t index, DsEffect** out) {
  if (!out) return DS_ERR_INVALIDPARAM;
  *out = nullptr;
  Guard g(device_->mutex());
  uint32_t seen = 0;
  for (auto& fx : effects_) {
    if (fx->kind() != kind) continue;
    if (seen++ == index) {
      *out = new DsEffect(this, fx.get());
      return DS_OK;
    }
  }
  return DS_ERR_NOINTERFACE;
}

int32_t DsBuffer::QueryListener(DsListener** out) {
  if (!out) return DS_ERR_INVALIDPARAM;
  *out = nullptr;
  if (!(flags_ & DSBCAPS_PRIMARYBUFFER) || !(flags_ & DSBCAPS_CTRL3D)) return DS_ERR_NOINTERFACE;
  if (ds_fault(DS_FAULT_LISTENER)) return DS_ERR_NOINTERFACE;
  *out = new DsListener(device_);
  return DS_OK;
}

int32_t DsBuffer::Query3DBuffer(Ds3DBuffer** out) {
  if (!out) return DS_ERR_INVALIDPARAM;
  *out = nullptr;
  if ((flags_ & DSBCAPS_PRIMARYBUFFER) || !(flags_ & DSBCAPS_CTRL3D)) return DS_ERR_NOINTERFACE;
  if (ds_fault(DS_FAULT_3D_BUFFER)) return DS_ERR_NOINTERFACE;
  *out = new Ds3DBuffer(this);
  return DS_OK;
}

// ---- effect parameter objects ----

DsEffect::DsEffect(DsBuffer* buffer, DsFxProcessor* fx) : buffer_(buffer), fx_(fx) {
  buffer_->AddRef();
}

DsEffect::~DsEffect() { buffer_->Release(); }

int32_t DsEffect::SetAllParameters(const void* block) {
  if (!block) return DS_ERR_INVALIDPARAM;
  Guard g(buffer_->device()->mutex());
  // The chain may have been replaced since this object was handed out.
  for (size_t i = 0; buffer_->effect(i); ++i)
    if (buffer_->effect(i) == fx_) return fx_->setParams(block);
  return DS_ERR_INVALIDCALL;
}

int32_t DsEffect::GetAllParameters(void* block) {
  if (!block) return DS_ERR_INVALIDPARAM;
  Guard g(buffer_->device()->mutex());
  for (size_t i = 0; buffer_->effect(i); ++i)
    if (buffer_->effect(i) == fx_) {
      fx_->getParams(block);
      return DS_OK;
    }
  return DS_ERR_INVALIDCALL;
}
