// Clocks, frame figures, the plain-window reference and a game in a
// temporary directory, shared by the benchmarks.
#pragma once

#include <SDL/SDL.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "driver/driver.h"
#include "game/game.h"
#include "gfx/gl.h"

namespace bench {

inline double seconds(clockid_t id) {
  timespec ts;
  clock_gettime(id, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}
inline double wall() { return seconds(CLOCK_MONOTONIC); }
inline double cpu() { return seconds(CLOCK_PROCESS_CPUTIME_ID); }

// Wall and processor times of many frames, printed as median and 90th
// percentile.
struct Figures {
  std::vector<double> wall_ms, cpu_ms;
  void add(double w, double c) {
    wall_ms.push_back(w * 1000);
    cpu_ms.push_back(c * 1000);
  }
  static double pct(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
  }
  void print(const char* what) const {
    std::printf("%-44s wall %6.2f ms (p90 %6.2f), cpu %6.2f ms (p90 %6.2f)\n", what, pct(wall_ms, 0.5),
                pct(wall_ms, 0.9), pct(cpu_ms, 0.5), pct(cpu_ms, 0.9));
  }
};

// The honest reference: a plain SDL and OpenGL window of that size that
// clears and swaps at 60 Hz, sleeping in between, for that long.
inline void plain_window(int w, int h, double run_seconds) {
  SDL_Init(SDL_INIT_VIDEO);
  SDL_SetVideoMode(w, h, 0, SDL_OPENGL);
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  Figures frame;
  double w0 = wall(), c0 = cpu(), next = w0;
  int frames = 0;
  while (wall() - w0 < run_seconds) {
    double fw = wall(), fc = cpu();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    frame.add(wall() - fw, cpu() - fc);
    frames++;
    next += 1.0 / 60;
    double rest = next - wall();
    if (rest > 0) SDL_Delay(static_cast<uint32_t>(rest * 1000));
  }
  std::printf("plain window %dx%d: %.1f%% of one core at %.0f frames a second\n", w, h,
              100 * (cpu() - c0) / (wall() - w0), frames / (wall() - w0));
  frame.print("plain window, clear and swap:");
  SDL_Quit();
}

// The game started as the program starts it, with its per-user files in a
// temporary directory that goes with it; the caller sets the hooks first.
struct TempGame {
  char dir[32] = "/tmp/tunnelwick-bench-XXXXXX";
  bool made = mkdtemp(dir) && setenv("APPDATA", dir, 1) == 0;
  Game* g = nullptr;
  void start() {
    g_driver = new Driver();
    g_driver->set_app_name("bench");
    g_driver->data_dir = TW_DATA_DIR;
    g = new Game();
    g->init();
  }
  ~TempGame() {
    if (g) {
      g->deinit();
      delete g;
    }
    std::error_code ec;
    if (made) std::filesystem::remove_all(dir, ec);
  }
};

}  // namespace bench
