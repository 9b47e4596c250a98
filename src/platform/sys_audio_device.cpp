// Runs the virtual output device on SDL audio, a silent real-time clock, or hand-stepped capture.
#include "platform/sys_audio_device.h"

#include <SDL/SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

struct SysAudioDevice {
  SysAudioSink sink;
  SysAudioProducer* producer;
  // silent sink
  std::thread clock;
  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
};

namespace {
std::atomic<int> g_defaultSink{SYS_AUDIO_SINK_AUTO};
std::atomic<bool> g_focused{true};
std::mutex g_captureMutex;
std::vector<SysAudioDevice*> g_captures;
// SDL 1.2 has one audio device per process.
std::mutex g_sdlMutex;
SysAudioDevice* g_sdlOwner = nullptr;

void sdlCallback(void* user, Uint8* stream, int len) {
  SysAudioDevice* d = static_cast<SysAudioDevice*>(user);
  d->producer->pull(reinterpret_cast<int16_t*>(stream), len / 4);
}

bool openSdl(SysAudioDevice* d) {
  std::lock_guard<std::mutex> g(g_sdlMutex);
  if (g_sdlOwner) return false;
  bool started = false;
  if (!SDL_WasInit(SDL_INIT_AUDIO)) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    started = true;
  }
  SDL_AudioSpec want;
  memset(&want, 0, sizeof want);
  want.freq = SYS_AUDIO_RATE;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = sdlCallback;
  want.userdata = d;
  // NULL for the obtained spec: SDL converts to what the hardware takes.
  if (SDL_OpenAudio(&want, nullptr) != 0) {
    if (started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  g_sdlOwner = d;
  SDL_PauseAudio(0);
  return true;
}

void closeSdl(SysAudioDevice* d) {
  std::lock_guard<std::mutex> g(g_sdlMutex);
  if (g_sdlOwner != d) return;
  SDL_PauseAudio(1);
  SDL_CloseAudio();
  g_sdlOwner = nullptr;
}

// Consumes frames at the output rate so that queued blocks come back as
// they would from a real device.
void silentClock(SysAudioDevice* d) {
  using clock = std::chrono::steady_clock;
  std::vector<int16_t> scratch(2 * 1024);
  auto start = clock::now();
  int64_t consumed = 0;
  std::unique_lock<std::mutex> g(d->mutex);
  while (!d->stop) {
    d->wake.wait_for(g, std::chrono::milliseconds(10));
    if (d->stop) break;
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(clock::now() - start).count();
    int64_t due = static_cast<int64_t>(us) * SYS_AUDIO_RATE / 1000000 - consumed;
    while (due > 0) {
      int n = due > 1024 ? 1024 : static_cast<int>(due);
      d->producer->pull(scratch.data(), n);
      due -= n;
      consumed += n;
    }
  }
}
}  // namespace

void sys_audio_set_default_sink(SysAudioSink sink) { g_defaultSink = sink; }
SysAudioSink sys_audio_default_sink() { return static_cast<SysAudioSink>(g_defaultSink.load()); }

SysAudioDevice* sys_audio_open(SysAudioProducer* producer, SysAudioSink sink) {
  if (!producer) return nullptr;
  if (sink == SYS_AUDIO_SINK_AUTO) sink = sys_audio_default_sink();
  SysAudioDevice* d = new SysAudioDevice;
  d->producer = producer;
  if (sink == SYS_AUDIO_SINK_AUTO || sink == SYS_AUDIO_SINK_SDL) {
    if (openSdl(d)) {
      d->sink = SYS_AUDIO_SINK_SDL;
      return d;
    }
    if (sink == SYS_AUDIO_SINK_SDL) {
      delete d;
      return nullptr;
    }
    sink = SYS_AUDIO_SINK_SILENT;
  }
  d->sink = sink;
  if (sink == SYS_AUDIO_SINK_CAPTURE) {
    std::lock_guard<std::mutex> g(g_captureMutex);
    g_captures.push_back(d);
  } else {
    d->clock = std::thread(silentClock, d);
  }
  return d;
}

void sys_audio_close(SysAudioDevice* d) {
  if (!d) return;
  switch (d->sink) {
    case SYS_AUDIO_SINK_SDL:
      closeSdl(d);
      break;
    case SYS_AUDIO_SINK_CAPTURE: {
      std::lock_guard<std::mutex> g(g_captureMutex);
      for (size_t i = 0; i < g_captures.size(); ++i)
        if (g_captures[i] == d) g_captures.erase(g_captures.begin() + static_cast<long>(i));
      break;
    }
    default: {
      {
        std::lock_guard<std::mutex> g(d->mutex);
        d->stop = true;
      }
      d->wake.notify_all();
      d->clock.join();
      break;
    }
  }
  delete d;
}

SysAudioSink sys_audio_sink(const SysAudioDevice* d) { return d ? d->sink : SYS_AUDIO_SINK_AUTO; }

int sys_audio_capture(int16_t* out, int frames) {
  std::lock_guard<std::mutex> g(g_captureMutex);
  if (g_captures.empty() || frames <= 0) return 0;
  SysAudioDevice* d = g_captures.back();
  if (out) {
    d->producer->pull(out, frames);
  } else {
    std::vector<int16_t> scratch(static_cast<size_t>(frames) * 2);
    d->producer->pull(scratch.data(), frames);
  }
  return frames;
}

void sys_audio_set_focus(bool focused) { g_focused.store(focused); }

bool sys_audio_has_focus() { return g_focused.load(); }
