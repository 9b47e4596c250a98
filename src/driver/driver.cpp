// The Driver: SDL start-up, the video mode, event polling, fixed-step time
// and web links.
#include "driver/driver.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/shell_open.h"
#include "platform/steam_api.h"
#include "util/json.h"

Driver* g_driver = nullptr;

Driver::Driver() : data(var::new_dict()) { set_app_name(nullptr); }

Driver::~Driver() {
  for (int pid : opener_pids) shell_reap(pid);
  if (sdl_up) {
    for (void* j : joysticks)
      if (j) SDL_JoystickClose(static_cast<SDL_Joystick*>(j));
    SDL_Quit();
  }
  if (g_driver == this) g_driver = nullptr;
}

void Driver::set_app_name(const char* name) {
  app_name = name ? name : "";
  data_dir = app_name.empty() ? "../data" : "./data";
}

int Driver::init() {
  if (sdl_up) return 0;
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_JOYSTICK) != 0) {
    std::fprintf(stderr, "Driver::init: SDL_Init failed: %s\n",
                 SDL_GetError());
    return 1;
  }
  sdl_up = true;
  // Once the first mode is set SDL answers the window's size instead.
  if (const SDL_VideoInfo* info = SDL_GetVideoInfo()) {
    if (info->current_w > 0 && info->current_h > 0) {
      desktop_w = info->current_w;
      desktop_h = info->current_h;
    }
  }
  SDL_EnableUNICODE(1);
  int n = SDL_NumJoysticks();
  for (int i = 0; i < n; i++) {
    SDL_Joystick* j = SDL_JoystickOpen(i);
    if (!j) std::fprintf(stderr, "Driver::init: joystick %d failed\n", i);
    joysticks.push_back(j);
  }
  if (n > 0) SDL_JoystickEventState(SDL_ENABLE);
  return 0;
}

void Driver::load_data() {
  std::string path = data_path("data.json");
  std::string text;
  if (!driver_read_file(path, &text)) {
    std::fprintf(stderr, "Driver::load_data: cannot read %s\n", path.c_str());
    data = var::new_dict();
    return;
  }
  var v;
  if (json_parse(text.data(), text.size(), v) != 0 || !v.is_dict()) {
    std::fprintf(stderr, "Driver::load_data: %s is not a JSON object\n",
                 path.c_str());
    data = var::new_dict();
    return;
  }
  data = v;
}

// The default window; a screen smaller than it gets a square one.
static void default_window(const Driver& d, int* w, int* h) {
  *w = VIDEO_DEFAULT_W;
  *h = VIDEO_DEFAULT_H;
  if (d.desktop_w > 0 && d.desktop_h > 0 && (d.desktop_w < *w || d.desktop_h < *h))
    *w = *h = VIDEO_SMALL_SIDE;
}

// True when SDL names this size among its full-screen modes.
static bool listed_mode(int w, int h) {
  SDL_Rect** modes = SDL_ListModes(nullptr, SDL_OPENGL | SDL_FULLSCREEN);
  if (!modes || modes == reinterpret_cast<SDL_Rect**>(-1)) return false;
  for (int i = 0; modes[i]; i++)
    if (modes[i]->w == w && modes[i]->h == h) return true;
  return false;
}

// A size the screen can show: a window within the desktop, or a full-screen
// mode that SDL offers.
static bool size_fits(const Driver& d, int w, int h, bool full) {
  if (w < VIDEO_MIN_SIDE || h < VIDEO_MIN_SIDE) return false;
  int max_w = d.desktop_w > 0 ? d.desktop_w : VIDEO_MAX_SIDE;
  int max_h = d.desktop_h > 0 ? d.desktop_h : VIDEO_MAX_SIDE;
  return (w <= max_w && h <= max_h) || (full && listed_mode(w, h));
}

bool Driver::open_window(int w, int h, bool full) {
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, vsync);
  Uint32 flags = SDL_OPENGL | (full ? SDL_FULLSCREEN : 0);
  SDL_Surface* s = (set_mode ? set_mode : SDL_SetVideoMode)(w, h, 0, flags);
  if (!s) return false;
  screen_w = s->w;
  screen_h = s->h;
  return true;
}

int Driver::video_mode(int res, int full, int sync) {
  if (!sdl_up && init() != 0) return VIDEO_FAILED;
  fullscreen = full == 1 ? 1 : 0;
  vsync = sync == 1 ? 1 : 0;
  bool want_full = fullscreen && !web_windowed;
  SDL_WM_SetCaption(caption.c_str(), caption.c_str());
  if (!icon_path.empty()) {
    SDL_Surface* icon = SDL_LoadBMP(data_path(icon_path).c_str());
    if (icon) {
      SDL_WM_SetIcon(icon, nullptr);
      SDL_FreeSurface(icon);
    } else {
      std::fprintf(stderr, "Driver::video_mode: no icon %s\n",
                   icon_path.c_str());
    }
  }

  int dw, dh;
  default_window(*this, &dw, &dh);
  bool automatic = res == -1 || res == 0;
  int w = dw, h = dh;
  if (automatic && want_full && desktop_w > 0 && desktop_h > 0) {
    w = desktop_w;
    h = desktop_h;
  } else if (res > 0) {
    w = (res >> 16) & 0xffff;
    h = res & 0xffff;
  }
  char asked[64];
  std::snprintf(asked, sizeof asked, "%dx%d%s", w, h, want_full ? " full screen" : "");
  bool done = false;
  if (!automatic && res < 0) {
    std::fprintf(stderr, "Driver::video_mode: resolution word %d is not a size; using the default window %dx%d\n",
                 res, dw, dh);
  } else if (!size_fits(*this, w, h, want_full)) {
    std::fprintf(stderr, "Driver::video_mode: %s does not fit the screen (%dx%d); using the default window %dx%d\n",
                 asked, desktop_w, desktop_h, dw, dh);
  } else if (open_window(w, h, want_full)) {
    done = true;
  } else if (automatic && !want_full) {
    std::fprintf(stderr, "Driver::video_mode: the default window %s failed (%s)\n", asked, SDL_GetError());
  } else {
    std::fprintf(stderr, "Driver::video_mode: %s failed (%s); using the default window %dx%d\n", asked,
                 SDL_GetError(), dw, dh);
  }
  int answer = VIDEO_SET;
  if (done) {
    resolution = automatic ? -1 : res;
  } else {
    answer = VIDEO_FALLBACK;
    bool tried_default = automatic && !want_full;
    if (!tried_default && open_window(dw, dh, false)) {
      fullscreen = 0;
      resolution = -1;
      done = true;
    } else if (!tried_default) {
      std::fprintf(stderr, "Driver::video_mode: the default window %dx%d failed (%s)\n", dw, dh, SDL_GetError());
    }
  }
  // Last, whatever SDL offers for full screen.
  SDL_Rect** modes = done ? nullptr : SDL_ListModes(nullptr, SDL_OPENGL | SDL_FULLSCREEN);
  if (modes == reinterpret_cast<SDL_Rect**>(-1)) modes = nullptr;
  for (int i = 0; modes && modes[i] && !done; i++) {
    if (!open_window(modes[i]->w, modes[i]->h, true)) continue;
    std::fprintf(stderr, "Driver::video_mode: using the full-screen mode %dx%d\n", modes[i]->w, modes[i]->h);
    fullscreen = 1;
    resolution = (modes[i]->w << 16) | modes[i]->h;
    done = true;
  }
  if (!done) {
    std::fprintf(stderr, "Driver::video_mode: no video mode can be set\n");
    return VIDEO_FAILED;
  }
  if (iconify_pending) {
    iconify_pending = 0;
    SDL_WM_IconifyWindow();
  }
  return answer;
}

void Driver::swap() {
  if (swap_buffers)
    swap_buffers();
  else if (sdl_up)
    SDL_GL_SwapBuffers();
}

void Driver::key_repeat(bool on) {
  if (!sdl_up) return;
  if (on)
    SDL_EnableKeyRepeat(500, 30);
  else
    SDL_EnableKeyRepeat(0, 0);
}

void Driver::show_cursor(bool show) {
  if (sdl_up) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

// Posts an event of our own type; it comes back through poll().
static void post_event(int type) {
  SDL_Event s;
  std::memset(&s, 0, sizeof s);
  s.type = SDL_USEREVENT;
  s.user.code = type;
  SDL_PushEvent(&s);
}

bool Driver::poll(Event* out) {
  if (!sdl_up) return false;
  SDL_Event s;
  if (!SDL_PollEvent(&s)) return false;
  driver_translate(s, out);
  if (s.type == SDL_VIDEOEXPOSE) exposed = true;
  // Back from a web page: the window returns to full screen.
  if (s.type == SDL_ACTIVEEVENT && s.active.gain &&
      (s.active.state & SDL_APPACTIVE) && web_windowed) {
    web_windowed = 0;
    post_event(EVT_VIDEO);
  }
  return true;
}

void Driver::set_step_rate(int rate) {
  step_rate = rate > 0 ? rate : 1;
  counting = false;
}

uint32_t Driver::now_ms() const {
  if (clock_ms) return clock_ms();
  return sdl_up ? SDL_GetTicks() : 0;
}

int Driver::steps_owed() { return steps_owed_at(now_ms()); }

int Driver::steps_owed_at(uint32_t now) {
  if (!counting) {
    counting = true;
    first_ticks = now;
    steps_done = 0;
  }
  int64_t elapsed = static_cast<uint32_t>(now - first_ticks);
  int64_t target = elapsed * step_rate / 1000;
  int64_t owed = target - steps_done;
  steps_done = target;
  if (owed > step_rate) owed = step_rate;
  return owed > 0 ? static_cast<int>(owed) : 0;
}

uint32_t Driver::ms_to_next_step(uint32_t now) const {
  if (!counting) return 0;
  // Step k is due once elapsed * rate / 1000 reaches k.
  int64_t due = ((steps_done + 1) * 1000 + step_rate - 1) / step_rate;
  int64_t elapsed = static_cast<uint32_t>(now - first_ticks);
  return due > elapsed ? static_cast<uint32_t>(due - elapsed) : 0;
}

void Driver::wait_for_step() {
  uint32_t ms = ms_to_next_step(now_ms());
  if (ms == 0) return;
  if (sleep_ms)
    sleep_ms(ms);
  else if (sdl_up)
    SDL_Delay(ms);
}

// Only web pages: anything else could start a program or open a file.
static bool is_web_address(const char* a) {
  return strncasecmp(a, "http://", 7) == 0 ||
         strncasecmp(a, "https://", 8) == 0;
}

int Driver::weblink(const char* address, int overlay) {
  if (!address) address = "";
  std::fprintf(stderr, "Driver::weblink: %s\n", address);
  if (!is_web_address(address)) {
    std::fprintf(stderr, "Driver::weblink: refused %s\n", address);
    return -1;
  }
  if (overlay == 1 && SteamUser() && SteamUtils() &&
      SteamUtils()->IsOverlayEnabled() && SteamFriends()) {
    SteamFriends()->ActivateGameOverlayToWebPage(address);
    return -1;
  }
  const char* opener = std::getenv("TW_WEBLINK_OPENER");
  if (!opener || !*opener) opener = "xdg-open";
  int pid = shell_open(opener, address);
  if (pid < 0) {
    std::fprintf(stderr, "Driver::weblink: cannot start %s\n", opener);
  } else {
    last_weblink = address;
    std::vector<int> live;
    for (int old : opener_pids)
      if (!shell_reap(old)) live.push_back(old);
    live.push_back(pid);
    opener_pids = live;
  }
  if (sdl_up && screen_w > 0) {
    if (fullscreen && !web_windowed) {
      // The game re-creates the video mode on EVT_VIDEO; video_mode()
      // keeps it windowed and iconifies it.
      web_windowed = 1;
      iconify_pending = 1;
      post_event(EVT_VIDEO);
    } else {
      SDL_WM_IconifyWindow();
    }
  }
  return pid;
}
