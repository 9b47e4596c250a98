// Clipboard text: the X11 CLIPBOARD selection through SDL's window, with
// the program's own text as the fallback.
#include "driver/clipboard.h"

#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <unistd.h>

static std::string g_clip;

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

static bool x11_clipboard(std::string* out) {
  if (!SDL_GetVideoSurface()) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) return false;
  Display* d = info.info.x11.display;
  Window w = info.info.x11.window;
  if (!d || !w) return false;
  info.info.x11.lock_func();
  Atom clip = XInternAtom(d, "CLIPBOARD", False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom prop = XInternAtom(d, "TW_CLIPBOARD", False);
  bool ok = false;
  if (XGetSelectionOwner(d, clip) != None) {
    XConvertSelection(d, clip, utf8, prop, w, CurrentTime);
    XFlush(d);
    XEvent ev;
    // The owner answers at once or not at all; wait at most 200 ms.
    for (int i = 0; i < 40 && !ok; i++) {
      if (XCheckTypedWindowEvent(d, w, SelectionNotify, &ev)) {
        if (ev.xselection.property != None) {
          Atom type;
          int format;
          unsigned long n, rest;
          unsigned char* data = nullptr;
          if (XGetWindowProperty(d, w, prop, 0, 1 << 16, True, AnyPropertyType,
                                 &type, &format, &n, &rest, &data) == Success &&
              data) {
            out->assign(reinterpret_cast<char*>(data), n);
            XFree(data);
            ok = true;
          }
        }
        break;
      }
      usleep(5000);
    }
  }
  info.info.x11.unlock_func();
  return ok;
}
#else
static bool x11_clipboard(std::string*) { return false; }
#endif

std::string clipboard_text() {
  std::string text;
  if (x11_clipboard(&text)) return text;
  return g_clip;
}

void clipboard_set_text(const std::string& text) { g_clip = text; }
