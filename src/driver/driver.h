// The platform driver: SDL start-up and video mode, event translation,
// fixed-step time, the data and per-user directories, and web links.
// There is one Driver for the run (g_driver), created at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/event.h"
#include "util/var.h"

union SDL_Event;
struct SDL_Surface;

// What Driver::video_mode answers.
enum {
  VIDEO_SET = 0,       // the mode asked for
  VIDEO_FAILED = 1,    // no mode at all
  VIDEO_FALLBACK = 2,  // another mode than the one asked for (see resolution)
};
// The default window, and the smaller one for screens that cannot hold it.
enum { VIDEO_DEFAULT_W = 960, VIDEO_DEFAULT_H = 640, VIDEO_SMALL_SIDE = 640 };
// Sizes below this on either side are not offered and not set.
enum { VIDEO_MIN_SIDE = 320 };
// The largest window tried when the screen's size is unknown.
enum { VIDEO_MAX_SIDE = 8192 };

struct Driver {
  // Window size in pixels (0 until a video mode is set).
  int screen_w = 0;
  int screen_h = 0;
  int fullscreen = 0;
  int vsync = 0;
  // The size of the desktop, read once before the first video mode is set
  // (0 when unknown); "automatic" in full screen uses it.
  int desktop_w = 0;
  int desktop_h = 0;
  // The mode set last, in the LocalSettings form: -1 for the default
  // window or the desktop in full screen, else (width << 16) | height.
  int resolution = -1;
  // Sets the SDL video mode; tests put a refusing one here.
  SDL_Surface* (*set_mode)(int w, int h, int bpp, uint32_t flags) = nullptr;
  // Application name: names the per-user directory and moves the data
  // directory to "./data" (else "../data").
  std::string app_name;
  std::string caption = "Tunnelwick";
  std::string icon_path;   // file name in the data directory, e.g. "icon32.bmp"
  std::string data_dir;    // computed by set_app_name; tests may override it
  // Fixed steps per second and the steps counted since the first frame.
  int step_rate = 60;
  uint32_t first_ticks = 0;
  int64_t steps_done = 0;
  bool counting = false;
  // The parsed "data.json" (an empty dict when missing or corrupt).
  var data;
  // Set when data was read ahead by the program's entry for the game's
  // start-up to use instead of reading it again.
  bool data_read_ahead = false;
  // The last address handed to the system opener, and its process id.
  std::string last_weblink;
  // Set while a full-screen window was turned windowed for a web page.
  int web_windowed = 0;
  int iconify_pending = 0;
  // Set when the window system lost the window's picture (it was uncovered,
  // say): the next frame is painted even if nothing in it changed.
  bool exposed = false;
  std::vector<int> opener_pids;
  bool sdl_up = false;
  std::vector<void*> joysticks;  // SDL_Joystick*

  Driver();
  ~Driver();

  void set_app_name(const char* name);
  // Starts SDL (video, timer, joystick), reads the desktop size and opens
  // every joystick. Answers 0 on success.
  int init();
  // Settles the data directory: data_dir when "data.json" can be read there
  // (the working directory's "./data"), else "data" beside the program.
  // When neither has it, logs one line naming the paths tried and answers
  // false.
  bool locate_data();
  // Reads "data.json" from the data directory into data; logs a line and
  // leaves an empty dict when it is missing or corrupt.
  void load_data();

  // Sets (or re-creates) the video mode from the LocalSettings values:
  // resolution -1 or 0 for automatic (the desktop in full screen, else the
  // default window), else (width << 16) | height; fullscreen 1 for full
  // screen; vsync 1 to sync to the display. Sets the caption and the icon
  // first. A size that the screen cannot show, or a mode that SDL refuses,
  // falls back to the default window and then to the modes SDL offers, with
  // one line each. Answers VIDEO_SET, VIDEO_FALLBACK (screen_w, screen_h,
  // fullscreen and resolution tell what was set) or VIDEO_FAILED. After a
  // new mode the renderer, fonts and transition targets must be set up
  // again.
  int video_mode(int resolution, int fullscreen, int vsync);
  void swap();
  // Sets one mode with the GL attributes; false when SDL refuses it.
  bool open_window(int w, int h, bool full);
  // Key repeat on (500 ms delay, 30 ms interval) or off.
  void key_repeat(bool on);
  void show_cursor(bool show);

  // Waits for nothing: takes the next pending SDL event and translates it.
  // Answers false when none is pending. Events with no meaning for the game
  // come back as EVT_NONE.
  bool poll(Event* out);

  // The step rate; counting restarts at the next steps_owed().
  void set_step_rate(int rate);
  // The number of fixed steps owed since the last call (counted from the
  // first call, the first frame). steps_owed_at takes the time in ms. After
  // a stall of more than a second the steps beyond one second's are
  // dropped rather than run all at once.
  int steps_owed();
  int steps_owed_at(uint32_t now_ms);
  // Milliseconds until the next fixed step is due (0 when one is owed).
  uint32_t ms_to_next_step(uint32_t now_ms) const;
  // Gives the processor back until the next fixed step is due.
  void wait_for_step();
  // The clock of the fixed steps: SDL's milliseconds and SDL_Delay unless
  // set; tests put a counting clock here.
  uint32_t (*clock_ms)() = nullptr;
  void (*sleep_ms)(uint32_t ms) = nullptr;
  // Shows the painted frame: SDL's buffer swap unless set (tests put a
  // display of their own here).
  void (*swap_buffers)() = nullptr;
  uint32_t now_ms() const;

  // Opens the address in the system browser and minimises the window (a
  // full-screen window turns windowed first and returns to full screen when
  // it is activated again). Only http:// and https:// addresses are opened;
  // anything else is logged and refused. The overlay flag asks for the Steam
  // overlay, which is never present here. Answers the opener's process id,
  // or -1 when nothing was started. The opener is "xdg-open", or the program
  // that TW_WEBLINK_OPENER names.
  int weblink(const char* address, int overlay);
};

extern Driver* g_driver;

// Translates one SDL event into an Event (EVT_NONE when it has none).
void driver_translate(const SDL_Event& sdl, Event* out);

// The platform's name of the key with a to z upper-cased, at most 255
// characters.
std::string key_name(int sym);

// Files and directories. Data files are read from the driver's data
// directory ("./data" or "../data" without a driver).
const std::string& data_dir();
std::string data_path(const std::string& name);
// The whole file as raw bytes; empty when missing.
std::string data_read(const std::string& name);
// The per-user directory without a trailing separator, created on demand:
// $APPDATA/<app name> when APPDATA is set, else $XDG_DATA_HOME/<app name>
// (~/.local/share/<app name>); "." without an application name.
const char* user_dir();
std::string user_path(const std::string& name);
bool user_file_exists(const std::string& name);
// The whole contents of the file in the per-user directory (empty when
// missing), in spite of the name.
std::string user_file_size(const std::string& name);

// Reads a whole file; answers false when it cannot be opened.
bool driver_read_file(const std::string& path, std::string* out);

// When SDL_STDIO_REDIRECT is a nonzero number, sends the standard output
// and error streams to "stdout.txt" and "stderr.txt" beside the executable.
void driver_stdio_redirect();
