// The sound engine behind the audio driver: the one engine of the program,
// with every sample and music track of "data.json" registered as a sound
// source.
#pragma once

struct AudioBackend;
namespace vavozovu {
class ISoundEngine;
}

// Creates the engine and answers the backend that the audio driver plays
// through; null (after "VavOzovu init error") when no engine could be made,
// and the game then runs silent. The output goes to SDL audio unless the
// environment variable TUNNELWICK_AUDIO says "silent".
AudioBackend* audio_engine_start();
// Stops every sound and drops the engine.
void audio_engine_stop();

// A back-end that plays through this engine, with the catalogue registered
// (call after the driver loaded data.json). It takes over the caller's
// reference to the engine and drops it when deleted.
AudioBackend* audio_engine_backend(vavozovu::ISoundEngine* engine);
