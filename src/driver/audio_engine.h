// The sound engine behind the audio driver: the one engine of the program,
// with every sample and music track of "data.json" registered as a sound
// source.
#pragma once

struct AudioBackend;

// Creates the engine and answers the backend that the audio driver plays
// through; null (after "VavOzovu init error") when no engine could be made,
// and the game then runs silent. The output goes to SDL audio unless the
// environment variable TUNNELWICK_AUDIO says "silent" or "capture" (tests).
AudioBackend* audio_engine_start();
// Stops every sound and drops the engine.
void audio_engine_stop();

// For tests on the capture sink (single-threaded there): mixes what is due
// and answers the number of registered sound sources (0 without engine).
void audio_engine_update();
int audio_engine_source_count();
