// The interface the rest of the program sees: plays sounds from files or
// registered sources, keeps the sources by name, the playing sounds, the
// listener and the global volume.
#pragma once
#include "sound/audio_stream.h"
#include "sound/sound.h"
#include "sound/sound_source.h"
#include "sound/sound_types.h"

namespace vz_internal {
namespace io {
class IFileFactory;
}
}  // namespace vz_internal

namespace vavozovu {

// Receives every block the software mixer produces (16-bit stereo).
class IMixedOutputReceiver {
 public:
  virtual ~IMixedOutputReceiver() {}
  virtual void onMixedOutput(void* data, int32_t byteCount, int32_t sampleRate) = 0;
};

class ISoundEngine : public virtual IRefCounted {
 public:
  // The name of the output driver in use, such as "DirectSound8" or "winMM".
  virtual const char* getDriverName() = 0;
  // Plays a source without position; the sound comes back (with one reference
  // for the caller) only when tracked, started paused or with effects.
  virtual ISound* play2D(ISoundSource* source, bool looped = false, bool startPaused = false,
                         bool track = false, bool enableEffects = false) = 0;
  // Plays a file by name, adding it as a source first when it is new.
  virtual ISound* play2D(const char* fileName, bool looped = false, bool startPaused = false,
                         bool track = false, E_STREAM_MODE mode = ESM_AUTO_DETECT,
                         bool enableEffects = false) = 0;
  // Plays a source at a place in the world, heard from the listener.
  virtual ISound* play3D(ISoundSource* source, vec3df position, bool looped = false,
                         bool startPaused = false, bool track = false, bool enableEffects = false) = 0;
  // Plays a file by name at a place in the world.
  virtual ISound* play3D(const char* fileName, vec3df position, bool looped = false,
                         bool startPaused = false, bool track = false,
                         E_STREAM_MODE mode = ESM_AUTO_DETECT, bool enableEffects = false) = 0;
  // Stops every playing sound.
  virtual void stopAllSounds() = 0;
  // Pauses or resumes every playing sound.
  virtual void setAllSoundsPaused(bool paused = true) = 0;
  // The source at that index of the name-sorted list, or null.
  virtual ISoundSource* getSoundSource(int32_t index) = 0;
  // The source of that name; a new one for a file when asked to add it.
  virtual ISoundSource* getSoundSource(const char* name, bool addIfNotFound = true) = 0;
  // How many sources the engine holds.
  virtual int32_t getSoundSourceCount() = 0;
  // Adds a sound file as a source (null when the name is taken); preload
  // decodes it at once.
  virtual ISoundSource* addSoundSourceFromFile(const char* fileName, E_STREAM_MODE mode = ESM_AUTO_DETECT,
                                               bool preload = false) = 0;
  // Adds a file image in memory (WAV, Ogg, modules) as a named source.
  virtual ISoundSource* addSoundSourceFromMemory(void* memory, int32_t size, const char* name,
                                                 bool copyMemory = true) = 0;
  // Adds raw PCM frames of the given format as a named source.
  virtual ISoundSource* addSoundSourceFromPCMData(void* memory, int32_t size, const char* name,
                                                  SAudioStreamFormat format, bool copyMemory = true) = 0;
  // Adds another name for a source, with defaults of its own.
  virtual ISoundSource* addSoundSourceAlias(ISoundSource* base, const char* alias) = 0;
  // Removes the source of that name, stopping its sounds.
  virtual void removeSoundSource(const char* name) = 0;
  // Removes that source, stopping its sounds.
  virtual void removeSoundSource(ISoundSource* source) = 0;
  // Removes every source and stops every sound.
  virtual void removeAllSoundSources() = 0;
  // The master volume, 0 (silent) to 1 (full).
  virtual void setSoundVolume(float volume) = 0;
  // The master volume.
  virtual float getSoundVolume() = 0;
  // Where the listener stands, looks and moves, and which way is up.
  virtual void setListenerPosition(const vec3df& position, const vec3df& lookDirection,
                                   const vec3df& velocity = vec3df(0, 0, 0),
                                   const vec3df& up = vec3df(0, 1, 0)) = 0;
  // Refreshes every sound; does nothing when the engine runs its own thread.
  virtual void update() = 0;
  // Whether any sound of that source is playing.
  virtual bool isCurrentlyPlaying(ISoundSource* source) = 0;
  // Whether any sound of the source of that name is playing.
  virtual bool isCurrentlyPlaying(const char* name) = 0;
  // Adds a decoder for a further file format.
  virtual void registerAudioStreamLoader(IAudioStreamLoader* loader) = 0;
  // Whether the engine updates itself on its own thread.
  virtual bool isMultiThreaded() = 0;
  // Adds a way of opening files by name (archives and the like).
  virtual void registerFileFactory(vz_internal::io::IFileFactory* factory) = 0;
  // Distance up to which new 3D sounds play at full volume.
  virtual void setDefault3DSoundMinDistance(float d) = 0;
  // The default minimum distance of 3D sounds.
  virtual float getDefault3DSoundMinDistance() = 0;
  // Distance beyond which new 3D sounds get no quieter.
  virtual void setDefault3DSoundMaxDistance(float d) = 0;
  // The default maximum distance of 3D sounds.
  virtual float getDefault3DSoundMaxDistance() = 0;
  // How fast 3D sounds fade with distance, 0 to 10 (1 is natural).
  virtual void setRolloffFactor(float factor) = 0;
  // Strength of the Doppler shift and metres per world unit (DirectSound 3D).
  virtual void setDopplerEffectParameters(float dopplerFactor = 1.0f, float distanceFactor = 1.0f) = 0;
  // Loads the engine plug-ins of a folder; true when any loaded.
  virtual bool loadPlugins(const char* folder) = 0;
  // The driver's own record of its output objects.
  virtual const void* getInternalAudioInterface() = 0;
  // Hands every mixed block to the receiver (software drivers only).
  virtual bool setMixedDataOutputReceiver(IMixedOutputReceiver* receiver) = 0;
};

// The engine's own version text.
extern const char* const VAVOZOVU_SDK_VERSION;

// Makes the one engine of the program: the output back-end by driver
// number, the option bits (E_SOUND_ENGINE_OPTIONS), an output device id
// (unused by the software back-ends) and the version text the caller was
// built against. Null when no output device opens.
ISoundEngine* createSoundEngine(int32_t driver = ESOD_AUTO_DETECT,
                                uint32_t options = ESEO_DEFAULT_OPTIONS,
                                const char* deviceId = nullptr,
                                const char* version = "1.3.0");

}  // namespace vavozovu
