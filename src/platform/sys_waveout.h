// A wave-out device of our own: the caller queues blocks of 16-bit stereo
// PCM at 44,100 Hz; the device plays them in order on the virtual output
// device (sys_audio_device.h) and marks each one done when it has played.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/sys_audio_device.h"

// Result codes.
enum : uint32_t {
  SYS_WAVE_NOERROR = 0,
  SYS_WAVE_BADDEVICEID = 2,
  SYS_WAVE_ALLOCATED = 4,
  SYS_WAVE_INVALHANDLE = 5,
  SYS_WAVE_NODRIVER = 6,
  SYS_WAVE_NOMEM = 7,
  SYS_WAVE_BADFORMAT = 32,
  SYS_WAVE_STILLPLAYING = 33,
  SYS_WAVE_UNPREPARED = 34,
  SYS_WAVE_SYNC = 35,
};

// Header flags.
enum : uint32_t {
  SYS_WHDR_DONE = 0x01,
  SYS_WHDR_PREPARED = 0x02,
  SYS_WHDR_INQUEUE = 0x10,
};

const uint32_t SYS_WAVE_MAPPER = 0xFFFFFFFFu;
const uint16_t SYS_WAVE_FORMAT_PCM = 1;

struct SysWaveFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t extraSize;
};

// One queued block. The device changes only the flags, from its own thread,
// so they are atomic.
struct SysWaveHeader {
  char* data;
  uint32_t bufferLength;
  uint32_t bytesRecorded;
  uintptr_t user;
  std::atomic<uint32_t> flags;
  uint32_t loops;
  SysWaveHeader* next;  // the device's queue link
  uintptr_t reserved;   // bytes of this block already played
};

struct SysWaveOut;

// Opens the device on the given sink (SYS_AUDIO_SINK_AUTO: the start-up
// choice). Only PCM, 2 channels, 44,100 Hz, 16 bits is accepted.
uint32_t sys_wave_out_open(SysWaveOut** out, uint32_t deviceId, const SysWaveFormat* format,
                           SysAudioSink sink = SYS_AUDIO_SINK_AUTO);
uint32_t sys_wave_out_prepare_header(SysWaveOut* w, SysWaveHeader* h, uint32_t size);
uint32_t sys_wave_out_unprepare_header(SysWaveOut* w, SysWaveHeader* h, uint32_t size);
uint32_t sys_wave_out_write(SysWaveOut* w, SysWaveHeader* h, uint32_t size);
// Marks every queued block done and empties the queue.
uint32_t sys_wave_out_reset(SysWaveOut* w);
uint32_t sys_wave_out_close(SysWaveOut* w);
// The sink that the device plays to.
SysAudioSink sys_wave_out_sink(SysWaveOut* w);
