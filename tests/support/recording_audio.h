// An audio back-end for tests: it plays nothing and keeps, in order, every
// sample the audio driver hands it. Installed before the game starts, the
// game plays through it instead of the sound engine.
#pragma once

#include <string>
#include <vector>

#include "driver/audio.h"

struct RecordingAudio : AudioBackend {
  struct Played {
    std::string name;
    float volume;
  };
  std::vector<Played> played;

  // For the next Game::init, and for the audio driver at once.
  void install() {
    audio_install_backend(this);
    audio_set_backend(this);
  }
  void uninstall() {
    if (audio_installed_backend() == this) audio_install_backend(nullptr);
    if (g_audio.backend == this) audio_set_backend(nullptr);
  }
  ~RecordingAudio() override { uninstall(); }

  // The name of the sample played last ("" when none).
  std::string last() const { return played.empty() ? std::string() : played.back().name; }
  // The names played since the last call, in order.
  std::vector<std::string> take() {
    std::vector<std::string> out;
    for (const Played& p : played) out.push_back(p.name);
    played.clear();
    return out;
  }

  void play_sample(int sample, const std::string&, float volume, float, float) override {
    played.push_back({g_audio.samples[sample].name, volume});
  }
  void stream_start(int, const std::string&, float) override {}
  void stream_stop(int) override {}
  void stream_volume(int, float) override {}
};
