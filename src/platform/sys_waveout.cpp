// Queues PCM blocks for the virtual output device and marks each done once it has played.
#include "platform/sys_waveout.h"

#include <cstring>
#include <mutex>

struct SysWaveOut : SysAudioProducer {
  std::mutex mutex;
  SysWaveHeader* head = nullptr;
  SysWaveHeader* tail = nullptr;
  SysAudioDevice* device = nullptr;

  void pull(int16_t* out, int frames) override {
    char* dst = reinterpret_cast<char*>(out);
    size_t want = static_cast<size_t>(frames) * 4;
    std::lock_guard<std::mutex> g(mutex);
    while (want > 0 && head) {
      SysWaveHeader* h = head;
      size_t left = h->bufferLength - h->reserved;
      size_t n = left < want ? left : want;
      memcpy(dst, h->data + h->reserved, n);
      dst += n;
      want -= n;
      h->reserved += n;
      if (h->reserved >= h->bufferLength) {
        head = h->next;
        if (!head) tail = nullptr;
        h->next = nullptr;
        h->flags = (h->flags & ~SYS_WHDR_INQUEUE) | SYS_WHDR_DONE;
      }
    }
    if (want > 0) memset(dst, 0, want);
  }
};

uint32_t sys_wave_out_open(SysWaveOut** out, uint32_t deviceId, const SysWaveFormat* f,
                           SysAudioSink sink) {
  if (!out) return SYS_WAVE_INVALHANDLE;
  *out = nullptr;
  if (deviceId != SYS_WAVE_MAPPER && deviceId != 0) return SYS_WAVE_BADDEVICEID;
  if (!f || f->formatTag != SYS_WAVE_FORMAT_PCM || f->channels != 2 ||
      f->samplesPerSec != static_cast<uint32_t>(SYS_AUDIO_RATE) || f->bitsPerSample != 16 ||
      f->blockAlign != 4)
    return SYS_WAVE_BADFORMAT;
  SysWaveOut* w = new SysWaveOut;
  w->device = sys_audio_open(w, sink);
  if (!w->device) {
    delete w;
    return SYS_WAVE_NODRIVER;
  }
  *out = w;
  return SYS_WAVE_NOERROR;
}

uint32_t sys_wave_out_prepare_header(SysWaveOut* w, SysWaveHeader* h, uint32_t size) {
  if (!w) return SYS_WAVE_INVALHANDLE;
  if (!h || size < 32 || !h->data) return SYS_WAVE_NOMEM;
  h->flags |= SYS_WHDR_PREPARED;
  return SYS_WAVE_NOERROR;
}

uint32_t sys_wave_out_unprepare_header(SysWaveOut* w, SysWaveHeader* h, uint32_t size) {
  if (!w) return SYS_WAVE_INVALHANDLE;
  if (!h || size < 32) return SYS_WAVE_NOMEM;
  if (h->flags & SYS_WHDR_INQUEUE) return SYS_WAVE_STILLPLAYING;
  h->flags &= ~SYS_WHDR_PREPARED;
  return SYS_WAVE_NOERROR;
}

uint32_t sys_wave_out_write(SysWaveOut* w, SysWaveHeader* h, uint32_t size) {
  if (!w) return SYS_WAVE_INVALHANDLE;
  if (!h || size < 32) return SYS_WAVE_NOMEM;
  if (!(h->flags & SYS_WHDR_PREPARED)) return SYS_WAVE_UNPREPARED;
  std::lock_guard<std::mutex> g(w->mutex);
  if (h->flags & SYS_WHDR_INQUEUE) return SYS_WAVE_STILLPLAYING;
  h->reserved = 0;
  h->next = nullptr;
  h->flags = (h->flags & ~SYS_WHDR_DONE) | SYS_WHDR_INQUEUE;
  if (w->tail) w->tail->next = h;
  else w->head = h;
  w->tail = h;
  return SYS_WAVE_NOERROR;
}

uint32_t sys_wave_out_reset(SysWaveOut* w) {
  if (!w) return SYS_WAVE_INVALHANDLE;
  std::lock_guard<std::mutex> g(w->mutex);
  for (SysWaveHeader* h = w->head; h;) {
    SysWaveHeader* next = h->next;
    h->next = nullptr;
    h->flags = (h->flags & ~SYS_WHDR_INQUEUE) | SYS_WHDR_DONE;
    h = next;
  }
  w->head = w->tail = nullptr;
  return SYS_WAVE_NOERROR;
}

uint32_t sys_wave_out_close(SysWaveOut* w) {
  if (!w) return SYS_WAVE_INVALHANDLE;
  {
    std::lock_guard<std::mutex> g(w->mutex);
    if (w->head) return SYS_WAVE_STILLPLAYING;
  }
  sys_audio_close(w->device);
  delete w;
  return SYS_WAVE_NOERROR;
}

SysAudioSink sys_wave_out_sink(SysWaveOut* w) {
  return w ? sys_audio_sink(w->device) : SYS_AUDIO_SINK_AUTO;
}
