// The audio driver: catalogue of samples and music, effects and fades.
#include "driver/audio.h"

#include <cmath>
#include <cstdio>

#include "driver/driver.h"

Audio g_audio;

static var catalogue(const char* section) {
  if (!g_driver) return var();
  return g_driver->data[section];
}

static float clamp01(double v) {
  if (!(v > 0)) return 0.0f;
  return v > 1 ? 1.0f : static_cast<float>(v);
}

void audio_init(AudioBackend* backend) {
  g_audio.backend = backend;
  g_audio.samples.assign(1, AudioSample());
  g_audio.tracks.assign(1, AudioTrack());
  var music = catalogue("music");
  for (const std::string& name : music.keys()) {
    var entry = music[name];
    AudioTrack t;
    t.name = name;
    t.path = data_path(var_str(entry["file"]));
    t.volume = entry.has("volume") ? clamp01(entry["volume"].num()) : 1.0f;
    g_audio.tracks.push_back(t);
  }
}

void audio_shutdown() {
  if (g_audio.backend)
    for (size_t i = 1; i < g_audio.tracks.size(); i++)
      if (g_audio.tracks[i].playing) g_audio.backend->stream_stop((int)i);
  g_audio = Audio();
}

void audio_set_backend(AudioBackend* backend) { g_audio.backend = backend; }

static AudioBackend* g_installed = nullptr;

void audio_install_backend(AudioBackend* backend) { g_installed = backend; }

AudioBackend* audio_installed_backend() { return g_installed; }

int res_sample_load(const char* name) {
  if (!name || !*name) return 0;
  if (g_audio.samples.empty()) g_audio.samples.assign(1, AudioSample());
  for (size_t i = 1; i < g_audio.samples.size(); i++)
    if (g_audio.samples[i].name == name) return static_cast<int>(i);
  var entry = catalogue("samples")[name];
  if (!entry.is_dict() || !entry["file"].is_string()) {
    std::fprintf(stderr, "res_sample_load: no sample %s\n", name);
    return 0;
  }
  AudioSample s;
  s.name = name;
  s.path = data_path(entry["file"].str());
  s.volume = entry.has("volume") ? clamp01(entry["volume"].num()) : 1.0f;
  g_audio.samples.push_back(s);
  return static_cast<int>(g_audio.samples.size() - 1);
}

void sfx_play_index(int sample, float x, float y) {
  if (sample <= 0 || sample >= static_cast<int>(g_audio.samples.size())) {
    std::fprintf(stderr, "sound_play error: %d - missing sample\n", sample);
    return;
  }
  const AudioSample& s = g_audio.samples[sample];
  float volume = s.volume * g_audio.sfx_volume / 100.0f;
  if (g_audio.backend && volume > 0)
    g_audio.backend->play_sample(sample, s.path, volume, x, y);
}

void sfx_play(const char* name, float x, float y) {
  int sample = res_sample_load(name);
  if (sample) sfx_play_index(sample, x, y);
}

void sfx_play_here(const char* name) { sfx_play(name, 0, 0); }

void gui_sound(int n) {
  static const char* const names[GUI_SOUND_COUNT] = {nullptr, "gui-change", "gui-click",
                                                     "gui-down", "gui-enter", "map-enter"};
  if (n > GUI_SOUND_NONE && n < GUI_SOUND_COUNT) sfx_play_here(names[n]);
}

int music_find(const char* name) {
  if (!name) return 0;
  for (size_t i = 1; i < g_audio.tracks.size(); i++)
    if (g_audio.tracks[i].name == name) return static_cast<int>(i);
  return 0;
}

void music_play(const char* name) {
  int want = music_find(name);
  if (name && *name && !want)
    std::fprintf(stderr, "music_play: no music %s\n", name);
  for (size_t i = 1; i < g_audio.tracks.size(); i++)
    g_audio.tracks[i].target = static_cast<int>(i) == want ? 1.0f : 0.0f;
}

void music_loop(int music_volume_percent) {
  if (music_volume_percent < 0) music_volume_percent = 0;
  if (music_volume_percent > 100) music_volume_percent = 100;
  for (size_t i = 1; i < g_audio.tracks.size(); i++) {
    AudioTrack& t = g_audio.tracks[i];
    if (t.fade < t.target)
      t.fade = std::fmin(t.target, t.fade + MUSIC_FADE_STEP);
    else if (t.fade > t.target)
      t.fade = std::fmax(t.target, t.fade - MUSIC_FADE_STEP);
    float volume = t.fade * t.volume * music_volume_percent / 100.0f;
    int index = static_cast<int>(i);
    if (volume <= 0.0f) {
      if (t.playing && g_audio.backend) g_audio.backend->stream_stop(index);
      t.playing = false;
      t.playing_volume = 0.0f;
    } else if (!t.playing) {
      if (g_audio.backend) g_audio.backend->stream_start(index, t.path, volume);
      t.playing = true;
      t.playing_volume = volume;
    } else {
      if (g_audio.backend && volume != t.playing_volume)
        g_audio.backend->stream_volume(index, volume);
      t.playing_volume = volume;
    }
  }
}
