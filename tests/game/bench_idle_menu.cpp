// Prints the share of one processor core that the game takes while it sits
// on the main menu and on the sector screen, its time from launch to the
// first frame and its peak memory, each beside a plain SDL and OpenGL
// window of the same size that only clears and swaps at 60 Hz with a sleep,
// measured in the same run. Every figure comes from a fresh process of this
// program, so that each launch loads its libraries and driver anew. A
// benchmark: it measures and prints, it does not judge.
#include <SDL/SDL.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "driver/driver.h"
#include "game/game.h"
#include "game/game_main.h"
#include "game/hooks.h"
#include "game/state_ids.h"
#include "gfx/gl.h"
#include "gfx/transition.h"
#include "menus/menus.h"

namespace {

const double kWarmSeconds = 1.0;  // the opening transition and the map's scroll settle
const double kSeconds = 3.0;
const int kRounds = 3;

double seconds(clockid_t id) {
  timespec ts;
  clock_gettime(id, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// ---- one measured process ----

double first_frame = -1, wall_start = -1, cpu_start, wall_end = -1, cpu_end;
int frames;
int win_w, win_h;
bool to_sector;

// Starts the measurement once warm, ends the run once the time is up;
// checked after every frame and every pause between steps, as a screen that
// does not change paints no frames.
void check_time() {
  if (first_frame < 0 || wall_end > 0) return;
  double now = seconds(CLOCK_MONOTONIC);
  if (wall_start < 0) {
    if (now - first_frame < kWarmSeconds) return;
    wall_start = now;
    cpu_start = seconds(CLOCK_PROCESS_CPUTIME_ID);
    frames = 0;
    return;
  }
  if (now - wall_start >= kSeconds) {
    wall_end = now;
    cpu_end = seconds(CLOCK_PROCESS_CPUTIME_ID);
    if (game_current) game_current->quit = 1;
  }
}

void timed_swap() {
  SDL_GL_SwapBuffers();
  if (first_frame < 0) {
    first_frame = seconds(CLOCK_MONOTONIC);
    if (g_driver) win_w = g_driver->screen_w, win_h = g_driver->screen_h;
  }
  frames++;
  check_time();
}

void timed_sleep(uint32_t ms) {
  SDL_Delay(ms);
  check_time();
}

// Once, on the first frame: the sector screen instead of the main menu.
void open_sector(Game* g) {
  if (!to_sector) return;
  to_sector = false;
  game_switch(g, TRANS_NONE, STATE_MENUS_PLAY);
}

void report(int w, int h) {
  double wall = wall_end - wall_start, cpu = cpu_end - cpu_start;
  std::printf("%.6f %.6f %.6f %d %d %d\n", first_frame, cpu, wall, frames, w, h);
}

int run_game(bool sector) {
  char dir[] = "/tmp/tunnelwick-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("APPDATA", dir, 1);
  to_sector = sector;
  game_hooks.register_menu_states = register_menu_states;
  game_hooks.online_frame = open_sector;
  g_driver = new Driver();
  g_driver->set_app_name("bench");
  g_driver->data_dir = TW_DATA_DIR;
  g_driver->swap_buffers = timed_swap;
  g_driver->sleep_ms = timed_sleep;
  game_main(0, nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  if (wall_end <= wall_start) return 1;
  report(win_w, win_h);
  return 0;
}

int run_plain(int w, int h) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  if (!SDL_SetVideoMode(w, h, 0, SDL_OPENGL)) return 1;
  SDL_WM_SetCaption("plain", "plain");
  while (wall_end < 0) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    timed_swap();
    timed_sleep(16);
  }
  SDL_Quit();
  report(w, h);
  return 0;
}

// ---- the parent: one process per figure ----

struct Figures {
  bool ok = false;
  double launch = 0, cpu_share = 0, fps = 0, peak_mb = 0;
  int w = 0, h = 0;
};

Figures measure(const char* mode, int w, int h) {
  Figures f;
  int fd[2];
  if (pipe(fd) != 0) return f;
  std::string ws = std::to_string(w), hs = std::to_string(h);
  double start = seconds(CLOCK_MONOTONIC);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fd[1], 1);
    close(fd[0]);
    close(fd[1]);
    // Its own diagnostics are not figures.
    FILE* null = std::fopen("/dev/null", "w");
    if (null) dup2(fileno(null), 2);
    execl("/proc/self/exe", "bench_idle_menu", mode, ws.c_str(), hs.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fd[1]);
  // The figures are the last line; the sound engine may log before them.
  std::string out;
  char buf[256];
  ssize_t n;
  while ((n = read(fd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(fd[0]);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  size_t nl = out.rfind('\n');
  std::string last = nl == std::string::npos ? out : out.substr(nl + 1);
  int status = 0;
  rusage ru{};
  if (wait4(pid, &status, 0, &ru) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return f;
  double first, cpu, wall;
  int frames;
  if (std::sscanf(last.c_str(), "%lf %lf %lf %d %d %d", &first, &cpu, &wall, &frames, &f.w, &f.h) != 6 || wall <= 0) return f;
  f.ok = true;
  f.launch = first - start;
  f.cpu_share = cpu / wall;
  f.fps = frames / wall;
  f.peak_mb = ru.ru_maxrss / 1024.0;
  return f;
}

// Keeps the lowest of each figure.
void best(Figures* b, const Figures& f) {
  if (!f.ok) return;
  if (!b->ok) {
    *b = f;
    return;
  }
  b->launch = std::min(b->launch, f.launch);
  b->cpu_share = std::min(b->cpu_share, f.cpu_share);
  b->peak_mb = std::min(b->peak_mb, f.peak_mb);
}

void print(const char* what, const Figures& f, const Figures& plain) {
  if (!f.ok || !plain.ok) {
    std::printf("%s: not measured\n", what);
    return;
  }
  std::printf("%-16s %5.1f%% of a core (%.2fx the plain window's %.1f%%), %.0f frames a second\n", what,
              100 * f.cpu_share, f.cpu_share / plain.cpu_share, 100 * plain.cpu_share, f.fps);
}

}  // namespace

int main(int argc, char** argv) {
  if (!getenv("DISPLAY")) {
    std::printf("bench_idle_menu: no DISPLAY, nothing measured\n");
    return 0;
  }
  if (argc == 4) {
    std::string mode = argv[1];
    if (mode == "plain") return run_plain(atoi(argv[2]), atoi(argv[3]));
    return run_game(mode == "sector");
  }
  // Taking turns, each keeping its best: a burst of load on a shared
  // machine then does not fall on one side only.
  Figures menu, plain, sector;
  for (int round = 0; round < kRounds; round++) {
    Figures m = measure("menu", 0, 0);
    if (!m.ok) {
      std::printf("bench_idle_menu: the game did not run\n");
      return 1;
    }
    Figures p = measure("plain", m.w, m.h), s = measure("sector", 0, 0);
    best(&menu, m);
    best(&plain, p);
    best(&sector, s);
  }
  std::printf("window %dx%d; plain window: %.1f%% of a core, launch to first frame %.3f s, peak %.1f MB\n", menu.w,
              menu.h, 100 * plain.cpu_share, plain.launch, plain.peak_mb);
  print("idle main menu:", menu, plain);
  print("sector screen:", sector, plain);
  if (plain.ok)
    std::printf("launch to first frame: %.3f s (%.2fx the plain window's %.3f s); peak memory %.1f MB (%.2fx %.1f MB)\n",
                menu.launch, menu.launch / plain.launch, plain.launch, menu.peak_mb, menu.peak_mb / plain.peak_mb,
                plain.peak_mb);
  return 0;
}
