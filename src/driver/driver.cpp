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

int Driver::video_mode(int resolution, int full, int sync) {
  if (!sdl_up && init() != 0) return 1;
  fullscreen = full == 1 ? 1 : 0;
  vsync = sync == 1 ? 1 : 0;
  bool want_full = fullscreen && !web_windowed;
  int w = 0, h = 0;
  if (resolution > 0) {
    w = (resolution >> 16) & 0xffff;
    h = resolution & 0xffff;
  }
  if (w <= 0 || h <= 0) {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    int dw = info ? info->current_w : 0, dh = info ? info->current_h : 0;
    if (want_full && dw > 0 && dh > 0) {
      w = dw;
      h = dh;
    } else {
      w = 960;
      h = 640;
      if (dw > 0 && dh > 0 && (dw < w || dh < h)) w = h = 640;
    }
  }
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
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, vsync);
  Uint32 flags = SDL_OPENGL | (want_full ? SDL_FULLSCREEN : 0);
  SDL_Surface* s = SDL_SetVideoMode(w, h, 0, flags);
  if (!s && want_full) {
    std::fprintf(stderr, "Driver::video_mode: %dx%d full screen failed: %s\n",
                 w, h, SDL_GetError());
    flags &= ~SDL_FULLSCREEN;
    s = SDL_SetVideoMode(w, h, 0, flags);
  }
  if (!s) {
    std::fprintf(stderr, "Driver::video_mode: %dx%d failed: %s\n", w, h,
                 SDL_GetError());
    return 1;
  }
  screen_w = s->w;
  screen_h = s->h;
  if (iconify_pending) {
    iconify_pending = 0;
    SDL_WM_IconifyWindow();
  }
  return 0;
}

void Driver::swap() {
  if (sdl_up) SDL_GL_SwapBuffers();
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

bool Driver::has_focus() const {
  if (!sdl_up) return true;
  return (SDL_GetAppState() & (SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS)) != 0;
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

int Driver::steps_owed() {
  return steps_owed_at(sdl_up ? SDL_GetTicks() : 0);
}

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
  return owed > 0 ? static_cast<int>(owed) : 0;
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
