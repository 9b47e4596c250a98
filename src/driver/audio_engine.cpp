#include "driver/audio_engine.h"

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

class EngineBackend : public AudioBackend {
 public:
  explicit EngineBackend(ISoundEngine* engine) : engine_(engine) {
    // The listener stands at the origin; effect positions are relative to it.
    engine_->setListenerPosition(vec3df(0, 0, 0), vec3df(0, 0, 1));
    register_catalogue("samples");
    register_catalogue("music");
  }

  ~EngineBackend() override {
    for (auto& s : streams_) {
      s.second->stop();
      s.second->drop();
    }
    engine_->stopAllSounds();
    engine_->drop();
  }

  void play_sample(int, const std::string& path, float volume, float x,
                   float y) override {
    ISoundSource* src = source(path);
    if (!src) return;
    ISound* snd = (x == 0 && y == 0)
                      ? engine_->play2D(src, false, true, true)
                      : engine_->play3D(src, vec3df(x, 0, y), false, true, true);
    if (!snd) return;
    snd->setVolume(volume);
    snd->setIsPaused(false);
    snd->drop();
  }

  void stream_start(int track, const std::string& path, float volume) override {
    stream_stop(track);
    ISoundSource* src = source(path);
    if (!src) return;
    ISound* snd = engine_->play2D(src, true, true, true);
    if (!snd) return;
    snd->setVolume(volume);
    snd->setIsPaused(false);
    streams_[track] = snd;
  }

  void stream_stop(int track) override {
    auto it = streams_.find(track);
    if (it == streams_.end()) return;
    it->second->stop();
    it->second->drop();
    streams_.erase(it);
  }

  void stream_volume(int track, float volume) override {
    auto it = streams_.find(track);
    if (it != streams_.end()) it->second->setVolume(volume);
  }

 private:
  // Sources are registered under their full path, so a name always finds
  // the file that the catalogue names.
  void register_catalogue(const char* section) {
    if (!g_driver) return;
    var cat = g_driver->data[section];
    for (const std::string& name : cat.keys()) {
      var file = cat[name]["file"];
      if (!file.is_string()) continue;
      std::string path = data_path(file.str());
      if (!engine_->getSoundSource(path.c_str(), false))
        engine_->addSoundSourceFromFile(path.c_str());
    }
  }

  ISoundSource* source(const std::string& path) {
    return engine_->getSoundSource(path.c_str(), true);
  }

  ISoundEngine* engine_;
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

