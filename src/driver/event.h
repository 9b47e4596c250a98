// The input and GUI event record: 22 32-bit words (88 bytes). The driver
// builds one from every SDL event; the game and the widget toolkit pass it
// around by value.
#pragma once

#include <cstdint>
#include <cstring>

// Word 0: the event type.
enum {
  EVT_NONE = 0,
  EVT_QUIT = 1,
  EVT_EXIT = 2,
  EVT_VIDEO = 5,
  EVT_KEYDOWN = 6,
  EVT_KEYUP = 7,
  EVT_DOWN = 8,
  EVT_MOTION = 9,
  EVT_UP = 10,
  EVT_WHEEL = 11,
  EVT_JOYAXIS = 14,
  EVT_JOYDOWN = 15,
  EVT_JOYUP = 16,
  EVT_FOCUS = 17,
  EVT_BLUR = 18,
  EVT_ENTER = 19,
  EVT_LEAVE = 20,
  EVT_CLICK = 21,
  EVT_ACTIVE = 22,
  EVT_LOGIN = 23,
  EVT_LOGOUT = 24,
};

// Word indexes.
enum {
  EVW_TYPE = 0,
  EVW_DEVICE = 1,     // joystick index of joystick events
  EVW_MOD = 2,        // keyboard modifiers (SDL KMOD_* bits) of key events
  EVW_CHAR = 3,       // the typed character (Unicode) of a key-down, 0 when none
  EVW_GAIN = 4,       // EVT_ACTIVE: 1 gained, 0 lost
  EVW_WHEEL = 5,      // EVT_WHEEL: -1 up, +1 down
  EVW_AXIS = 6,       // EVT_JOYAXIS: the axis number
  EVW_AXIS_VALUE = 7, // EVT_JOYAXIS: -32768 to 32767
  EVW_STATE = 8,      // EVT_ACTIVE: SDL_APPMOUSEFOCUS/INPUTFOCUS/ACTIVE bits
  EVW_X = 9,          // pointer position
  EVW_Y = 10,
  EVW_DX = 12,        // pointer motion
  EVW_DY = 13,
  EVW_BUTTON = 15,    // mouse: 1 left, 2 middle, 3 right (motion: held mask 1/2/4);
                      // joystick: the button number
  EVW_KEY = 16,       // the game key code (GK_*)
  EVW_KEY2 = 17,      // free for private event types
  EVW_JOY_ACTION = 18,// the gamepad action of a key event made from a button
  EVW_SYM = 19,       // the platform key symbol (SDLKey)
  EVW_WIN_X = 20,     // pointer position in window pixels, as SDL gave it
  EVW_WIN_Y = 21,
};

// Any Ctrl, Alt or Meta key among the modifiers of EVW_MOD (SDL's
// KMOD_CTRL | KMOD_ALT | KMOD_META).
enum { MOD_CTRL_ALT_META = 0xfc0 };

// Pointer words 9, 10, 12 and 13 hold window pixels when the driver makes
// the event; gfx_event_to_view() turns them into view units, which the
// widget toolkit works in. Words 20 and 21 always keep the window pixels.

// Game key codes (word 16), independent of the keyboard layout's symbols.
enum {
  GK_NONE = 0,
  GK_UP = 1,
  GK_RIGHT = 2,
  GK_DOWN = 3,
  GK_LEFT = 4,
  GK_ESCAPE = 5,
  GK_RETURN = 6,   // Return and keypad Enter
  GK_BACKSPACE = 7,
  GK_DELETE = 8,
  GK_HOME = 9,
  GK_END = 10,
  GK_PAGEUP = 11,
  GK_PAGEDOWN = 12,
  GK_INSERT = 13,
  GK_F1 = 14,      // F1 to F12: 14 to 25
  GK_TAB = 26,
  GK_SPACE = 27,
  GK_KP0 = 28,     // keypad 0 to 9: 28 to 37 (keypad 8 is 36)
  GK_A = 38,       // letters a to z: 38 to 63 (d 41, r 55, w 60, z 63)
  GK_0 = 64,       // digits 0 to 9: 64 to 73
};

struct Event {
  int32_t w[22];

  Event() { std::memset(w, 0, sizeof w); }
  explicit Event(int type) : Event() { w[EVW_TYPE] = type; }

  int32_t& operator[](int i) { return w[i]; }
  int32_t operator[](int i) const { return w[i]; }
  int type() const { return w[EVW_TYPE]; }
  int x() const { return w[EVW_X]; }
  int y() const { return w[EVW_Y]; }
  int key() const { return w[EVW_KEY]; }
  int sym() const { return w[EVW_SYM]; }
  int button() const { return w[EVW_BUTTON]; }

  // A word that holds a 32-bit float (private event types use this).
  float getf(int i) const {
    float f;
    std::memcpy(&f, &w[i], sizeof f);
    return f;
  }
  void setf(int i, float f) { std::memcpy(&w[i], &f, sizeof f); }
};

static_assert(sizeof(Event) == 88, "Event is 22 words");

// The game key code of an SDL key symbol (GK_NONE for keys without one).
int event_game_key(int sdl_sym);
