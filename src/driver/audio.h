// The audio driver: the sample and music catalogue of "data.json", sound
// effects, GUI sounds and the music fader. Playing goes through an
// AudioBackend, which the sound engine implements; without one the game is
// silent.
#pragma once

#include <string>
#include <vector>

// What the audio driver asks of the sound engine. Indexes are catalogue
// numbers (1 and up); paths are full paths of the files.
struct AudioBackend {
  virtual ~AudioBackend() = default;
  // Plays a sample once; volume 0 to 1; (x, y) is the position relative to
  // the listener, (0, 0) at the listener without attenuation.
  virtual void play_sample(int sample, const std::string& path, float volume,
                           float x, float y) = 0;
  // Music streams: start looping at the volume, stop, set the volume.
  virtual void stream_start(int track, const std::string& path,
                            float volume) = 0;
  virtual void stream_stop(int track) = 0;
  virtual void stream_volume(int track, float volume) = 0;
};

struct AudioSample {
  std::string name;
  std::string path;
  float volume = 1.0f;  // catalogue volume
};

struct AudioTrack {
  std::string name;
  std::string path;
  float volume = 1.0f;  // catalogue volume
  float fade = 0.0f;    // fade level 0 to 1
  float target = 0.0f;  // where the fade goes
  float playing_volume = 0.0f;  // the volume last handed on; 0 while stopped
  bool playing = false;
};

struct Audio {
  AudioBackend* backend = nullptr;  // not owned
  std::vector<AudioSample> samples;  // index 0 unused
  std::vector<AudioTrack> tracks;    // index 0 unused; the whole "music" catalogue
  int sfx_volume = 100;              // Settings sfx volume, percent
};

extern Audio g_audio;

// Creates the catalogue (all "music" entries of "data.json" become tracks;
// samples are added on first use). Call after the driver loaded data.json.
void audio_init(AudioBackend* backend);
void audio_shutdown();
void audio_set_backend(AudioBackend* backend);
// A back-end that Game::init plays through instead of starting the sound
// engine (tests install one that records what is played); null: none.
void audio_install_backend(AudioBackend* backend);
AudioBackend* audio_installed_backend();

// The sample number of that name, loaded on first use; 0 when none.
int res_sample_load(const char* name);

// Plays the named sample at (x, y) relative to the listener.
void sfx_play(const char* name, float x, float y);
void sfx_play_here(const char* name);
// Plays a sample by its catalogue number (0 plays nothing).
void sfx_play_index(int sample, float x, float y);
// The GUI sounds, by the numbers that widgets carry in their sound style
// words (0: none).
enum GuiSound {
  GUI_SOUND_NONE = 0,
  GUI_SOUND_CHANGE = 1,     // "gui-change"
  GUI_SOUND_CLICK = 2,      // "gui-click"
  GUI_SOUND_DOWN = 3,       // "gui-down"
  GUI_SOUND_ENTER = 4,      // "gui-enter"
  GUI_SOUND_MAP_ENTER = 5,  // "map-enter"
  GUI_SOUND_COUNT = 6,
};
// Plays the GUI sound of that number; other numbers play nothing.
void gui_sound(int n);

// Makes the named track the one that plays: it fades in, the others fade
// out. An unknown or empty name fades every track out.
void music_play(const char* name);
// Per step: moves the fades and hands each track its volume, fade x
// catalogue volume x music_volume_percent / 100; a track whose volume
// reaches 0 stops, one that rises from 0 starts.
void music_loop(int music_volume_percent);
// Fade change per step.
constexpr float MUSIC_FADE_STEP = 1.0f / 60.0f;
// The track index of a name, 0 when none.
int music_find(const char* name);
