// A virtual output device: 44,100 Hz, 16-bit stereo. It pulls frames from a
// producer (the wave-out queue; other back-ends can bring their own) and
// sends them to the sink chosen at start-up:
//   - SDL audio, which plays through whatever driver SDL picks;
//   - capture, advanced by hand (tests): no clock, no thread;
//   - silent, which consumes frames in real time and discards them.
// The automatic choice is SDL, falling back to silent when no device opens.
#pragma once
#include <cstdint>

enum SysAudioSink {
  SYS_AUDIO_SINK_AUTO = 0,
  SYS_AUDIO_SINK_SDL = 1,
  SYS_AUDIO_SINK_CAPTURE = 2,
  SYS_AUDIO_SINK_SILENT = 3,
};

const int SYS_AUDIO_RATE = 44100;

class SysAudioProducer {
 public:
  virtual ~SysAudioProducer() {}
  // Fills exactly `frames` interleaved stereo frames (silence where it has
  // nothing). Called on the sink's thread, or on the caller's for capture.
  virtual void pull(int16_t* out, int frames) = 0;
};

struct SysAudioDevice;

// The sink used by devices opened with SYS_AUDIO_SINK_AUTO; set at start-up.
void sys_audio_set_default_sink(SysAudioSink sink);
SysAudioSink sys_audio_default_sink();

// Opens a device over the producer; null when the requested sink cannot
// open (the automatic choice always opens).
SysAudioDevice* sys_audio_open(SysAudioProducer* producer, SysAudioSink sink);
// Stops the sink; the producer is no longer called afterwards.
void sys_audio_close(SysAudioDevice* device);
// The sink the device really uses (never AUTO).
SysAudioSink sys_audio_sink(const SysAudioDevice* device);

// Capture sinks: pulls `frames` frames from the most recently opened
// capture device into out (may be null to discard); 0 when none is open.
int sys_audio_capture(int16_t* out, int frames);

// Whether the program's window has the input focus, as the window system
// last reported it (true until told otherwise). Output buffers made without
// global focus are silent while it is false.
void sys_audio_set_focus(bool focused);
bool sys_audio_has_focus();
