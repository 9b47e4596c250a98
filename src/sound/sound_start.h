// The entry the game's audio driver calls: makes the program's one sound
// engine with the output sink chosen at start-up.
#pragma once
#include <cstdint>

#include "sound/sound_engine.h"

namespace vavozovu {

enum E_OUTPUT_SINK {
  EOS_AUTO = 0,     // SDL audio, falling back to silent when no device opens
  EOS_SDL = 1,      // SDL audio only (no engine when it does not open)
  EOS_CAPTURE = 2,  // kept for captureOutput(): tests advance it by hand
  EOS_SILENT = 3,   // consumed in real time and discarded
};

// Creates the engine with automatic driver choice, the given options
// (0x3D: multi-threaded, plug-ins, 3D buffers, log to debugger and stdout)
// and version "1.3.0". Null when no engine could be made; the caller then
// prints "VavOzovu init error" and runs without sound.
ISoundEngine* startSoundEngine(E_OUTPUT_SINK sink = EOS_AUTO, uint32_t options = ESEO_DEFAULT_OPTIONS);

// The sink the engine's output really goes to (EOS_AUTO resolves to SDL or
// silent); EOS_AUTO for an engine without an output device of its own.
E_OUTPUT_SINK getOutputSink(ISoundEngine* engine);

// Capture sink: plays `frames` frames of the queued output into out
// (interleaved 16-bit stereo at 44,100 Hz; null discards them) and hands the
// played blocks back to the engine. Returns the frames played, 0 when no
// capture sink is open. A single-threaded engine refills its blocks on
// update(); each update queues up to 8192 frames.
int32_t captureOutput(int16_t* out, int32_t frames);

}  // namespace vavozovu
