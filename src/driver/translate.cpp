// SDL events into Event records, and key names.
#include <SDL/SDL.h>

#include <cctype>

#include "driver/driver.h"
#include "platform/sys_audio_device.h"

static_assert(MOD_CTRL_ALT_META == (KMOD_CTRL | KMOD_ALT | KMOD_META),
              "MOD_CTRL_ALT_META is SDL's Ctrl, Alt and Meta bits");

int event_game_key(int sym) {
  switch (sym) {
    case SDLK_UP: return GK_UP;
    case SDLK_RIGHT: return GK_RIGHT;
    case SDLK_DOWN: return GK_DOWN;
    case SDLK_LEFT: return GK_LEFT;
    case SDLK_ESCAPE: return GK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return GK_RETURN;
    case SDLK_BACKSPACE: return GK_BACKSPACE;
    case SDLK_DELETE: return GK_DELETE;
    case SDLK_HOME: return GK_HOME;
    case SDLK_END: return GK_END;
    case SDLK_PAGEUP: return GK_PAGEUP;
    case SDLK_PAGEDOWN: return GK_PAGEDOWN;
    case SDLK_INSERT: return GK_INSERT;
    case SDLK_TAB: return GK_TAB;
    case SDLK_SPACE: return GK_SPACE;
    default: break;
  }
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return GK_F1 + (sym - SDLK_F1);
  if (sym >= SDLK_KP0 && sym <= SDLK_KP9) return GK_KP0 + (sym - SDLK_KP0);
  if (sym >= SDLK_a && sym <= SDLK_z) return GK_A + (sym - SDLK_a);
  if (sym >= SDLK_0 && sym <= SDLK_9) return GK_0 + (sym - SDLK_0);
  return GK_NONE;
}

void driver_translate(const SDL_Event& s, Event* out) {
  Event& e = *out;
  e = Event();
  switch (s.type) {
    case SDL_QUIT:
      e[EVW_TYPE] = EVT_QUIT;
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      e[EVW_TYPE] = s.type == SDL_KEYDOWN ? EVT_KEYDOWN : EVT_KEYUP;
      e[EVW_SYM] = s.key.keysym.sym;
      e[EVW_KEY] = event_game_key(s.key.keysym.sym);
      e[EVW_MOD] = s.key.keysym.mod;
      if (s.type == SDL_KEYDOWN) e[EVW_CHAR] = s.key.keysym.unicode;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      e[EVW_X] = e[EVW_WIN_X] = s.button.x;
      e[EVW_Y] = e[EVW_WIN_Y] = s.button.y;
      if (s.button.button == SDL_BUTTON_WHEELUP ||
          s.button.button == SDL_BUTTON_WHEELDOWN) {
        // The wheel sends a press and a release per notch; one event is
        // enough.
        if (s.type == SDL_MOUSEBUTTONDOWN) {
          e[EVW_TYPE] = EVT_WHEEL;
          e[EVW_WHEEL] = s.button.button == SDL_BUTTON_WHEELUP ? -1 : 1;
        }
        break;
      }
      e[EVW_TYPE] = s.type == SDL_MOUSEBUTTONDOWN ? EVT_DOWN : EVT_UP;
      e[EVW_BUTTON] = s.button.button;
      break;
    case SDL_MOUSEMOTION:
      e[EVW_TYPE] = EVT_MOTION;
      e[EVW_X] = e[EVW_WIN_X] = s.motion.x;
      e[EVW_Y] = e[EVW_WIN_Y] = s.motion.y;
      e[EVW_DX] = s.motion.xrel;
      e[EVW_DY] = s.motion.yrel;
      e[EVW_BUTTON] = s.motion.state & 7;  // 1 left, 2 middle, 4 right
      break;
    case SDL_JOYAXISMOTION:
      e[EVW_TYPE] = EVT_JOYAXIS;
      e[EVW_DEVICE] = s.jaxis.which;
      e[EVW_AXIS] = s.jaxis.axis;
      e[EVW_AXIS_VALUE] = s.jaxis.value;
      break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      e[EVW_TYPE] = s.type == SDL_JOYBUTTONDOWN ? EVT_JOYDOWN : EVT_JOYUP;
      e[EVW_DEVICE] = s.jbutton.which;
      e[EVW_BUTTON] = s.jbutton.button;
      break;
    case SDL_ACTIVEEVENT:
      e[EVW_TYPE] = EVT_ACTIVE;
      e[EVW_GAIN] = s.active.gain;
      e[EVW_STATE] = s.active.state;
      // The sound layer mutes buffers without global focus by this.
      if (s.active.state & SDL_APPINPUTFOCUS) sys_audio_set_focus(s.active.gain != 0);
      break;
    case SDL_USEREVENT:
      // Events the driver posts to itself carry their type in the code.
      e[EVW_TYPE] = s.user.code;
      break;
    default:
      break;
  }
}

std::string key_name(int sym) {
  const char* n = SDL_GetKeyName(static_cast<SDLKey>(sym));
  std::string out = n ? n : "";
  if (out.size() > 255) out.resize(255);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}
