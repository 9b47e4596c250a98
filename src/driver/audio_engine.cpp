// Plays the game's samples and music tracks on the program's one sound engine, sink set by env.
#include "driver/audio_engine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "driver/audio.h"
#include "driver/driver.h"
#include "sound/sound_start.h"

using namespace vavozovu;

namespace {

E_OUTPUT_SINK sink_from_env() {
  const char* s = std::getenv("TUNNELWICK_AUDIO");
  if (!s) return EOS_AUTO;
  if (!std::strcmp(s, "silent")) return EOS_SILENT;
  if (!std::strcmp(s, "sdl")) return EOS_SDL;
  return EOS_AUTO;
}

// Voices of samples: a slot holds the one or two sounds of one sample, and
// slots are reused oldest first.
constexpr int kVoiceSlots = 32;

// Pan and volume of one voice of a sample at (x, y) from the listener:
// at the listener one centred voice; elsewhere a voice per side, each
// fading with the distance and with how far the sample lies to the other
// side. Positive pans are left.
struct Voice {
  float pan;
  float volume;
};
int sample_voices(float volume, float x, float y, Voice out[2]) {
  if (x == 0 && y == 0) {
    out[0] = {0.0f, volume};
    return 1;
  }
  const float d = std::sqrt(x * x + y * y);
  const float near = d > 1 ? volume / d : volume;  // as the engine's 3D fall-off from 1 unit
  const float right = 0.5f + 0.5f * x / d;      // share of the right side, 0 to 1
  out[0] = {1.0f, near * (1 - right)};
  out[1] = {-1.0f, near * right};
  return 2;
}

class EngineBackend : public AudioBackend {
 public:
  explicit EngineBackend(ISoundEngine* engine) : engine_(engine) {
    register_catalogue("samples", true);
    register_catalogue("music", false);
  }

  ~EngineBackend() override {
    for (Slot& slot : slots_) clear(slot);
    for (auto& s : streams_) {
      s.second->stop();
      s.second->drop();
    }
    engine_->drop();
  }

  void play_sample(int, const std::string& path, float volume, float x, float y) override {
    ISoundSource* src = source(path, true);
    if (!src) return;
    Slot& slot = slots_[next_slot_];
    next_slot_ = (next_slot_ + 1) % kVoiceSlots;
    clear(slot);
    Voice voices[2];
    int n = sample_voices(volume, x, y, voices);
    for (int i = 0; i < n; i++) {
      ISound* snd = engine_->play2D(src, false, true, false, false);
      if (!snd) break;
      snd->setPan(voices[i].pan);
      snd->setVolume(voices[i].volume);
      snd->setIsPaused(false);
      slot.sounds[i] = snd;
    }
  }

  // The track's sound is made once, paused; starting it again plays it
  // from its beginning.
  void stream_start(int track, const std::string& path, float volume) override {
    ISound* snd = stream(track, path);
    if (!snd) return;
    snd->setVolume(volume);
    snd->setPlayPosition(0);
    snd->setIsPaused(false);
  }

  void stream_stop(int track) override {
    auto it = streams_.find(track);
    if (it != streams_.end()) it->second->setIsPaused(true);
  }

  void stream_volume(int track, float volume) override {
    auto it = streams_.find(track);
    if (it != streams_.end()) it->second->setVolume(volume);
  }

 private:
  struct Slot {
    ISound* sounds[2] = {nullptr, nullptr};
  };

  static void clear(Slot& slot) {
    for (ISound*& snd : slot.sounds)
      if (snd) {
        snd->stop();
        snd->drop();
        snd = nullptr;
      }
  }

  // Sources are registered under their full path, so a name always finds
  // the file that the catalogue names. Samples are decoded at once, music
  // is streamed.
  void register_catalogue(const char* section, bool sample) {
    if (!g_driver) return;
    var cat = g_driver->data[section];
    for (const std::string& name : cat.keys()) {
      var file = cat[name]["file"];
      if (file.is_string()) source(data_path(file.str()), sample);
    }
  }

  ISoundSource* source(const std::string& path, bool sample) {
    ISoundSource* src = engine_->getSoundSource(path.c_str(), false);
    if (src) return src;
    src = engine_->addSoundSourceFromFile(path.c_str(), ESM_AUTO_DETECT, sample);
    if (src && !sample) src->setStreamMode(ESM_AUTO_DETECT);
    return src;
  }

  ISound* stream(int track, const std::string& path) {
    auto it = streams_.find(track);
    if (it != streams_.end()) return it->second;
    ISoundSource* src = source(path, false);
    ISound* snd = src ? engine_->play2D(src, true, true, false, false) : nullptr;
    if (snd) streams_[track] = snd;
    return snd;
  }

  ISoundEngine* engine_;
  Slot slots_[kVoiceSlots];
  int next_slot_ = 0;
  std::map<int, ISound*> streams_;
};

EngineBackend* g_backend = nullptr;

}  // namespace

AudioBackend* audio_engine_start() {
  if (g_backend) return g_backend;
  ISoundEngine* engine = startSoundEngine(sink_from_env(), ESEO_DEFAULT_OPTIONS);
  if (!engine) {
    std::fprintf(stderr, "VavOzovu init error\n");
    return nullptr;
  }
  g_backend = new EngineBackend(engine);
  return g_backend;
}

AudioBackend* audio_engine_backend(ISoundEngine* engine) {
  return engine ? new EngineBackend(engine) : nullptr;
}

void audio_engine_stop() {
  delete g_backend;
  g_backend = nullptr;
}

