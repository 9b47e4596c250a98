// SDL events into Event records, key names and fixed-step time.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "platform/sys_audio_device.h"

namespace {
Event translate(const SDL_Event& s) {
  Event e;
  e[EVW_KEY2] = 99;  // a stale word the translation must clear
  driver_translate(s, &e);
  return e;
}
SDL_Event sdl(int type) {
  SDL_Event s;
  std::memset(&s, 0, sizeof s);
  s.type = static_cast<Uint8>(type);
  return s;
}
SDL_Event sdl_key(int type, int sym, int unicode, int mod) {
  SDL_Event s = sdl(type);
  s.key.keysym.sym = static_cast<SDLKey>(sym);
  s.key.keysym.unicode = static_cast<Uint16>(unicode);
  s.key.keysym.mod = static_cast<SDLMod>(mod);
  return s;
}
SDL_Event sdl_button(bool down, int button, int x, int y) {
  SDL_Event s = sdl(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
  s.button.button = static_cast<Uint8>(button);
  s.button.x = static_cast<Uint16>(x);
  s.button.y = static_cast<Uint16>(y);
  return s;
}
Event key(int type, int sym, int unicode = 0) { return translate(sdl_key(type, sym, unicode, KMOD_LCTRL)); }
std::map<int, int> with(std::map<int, int> words, const std::map<int, int>& more) {
  words.insert(more.begin(), more.end());
  return words;
}
}  // namespace

// Every SDL event fills exactly its own words, each from its own field, and
// leaves every other word zero.
TEST(Translate, EachEventFillsItsWordsAndNoOthers) {
  struct Case {
    const char* what;
    SDL_Event s;
    std::map<int, int> want;
  };
  std::vector<Case> cases = {
      {"key down", sdl_key(SDL_KEYDOWN, SDLK_ESCAPE, 27, KMOD_LCTRL),
       {{EVW_TYPE, EVT_KEYDOWN}, {EVW_SYM, SDLK_ESCAPE}, {EVW_KEY, GK_ESCAPE}, {EVW_MOD, KMOD_LCTRL}, {EVW_CHAR, 27}}},
      {"letter down", sdl_key(SDL_KEYDOWN, SDLK_a, 'a', 0),
       {{EVW_TYPE, EVT_KEYDOWN}, {EVW_SYM, SDLK_a}, {EVW_KEY, GK_A}, {EVW_CHAR, 'a'}}},
      // A release types nothing.
      {"key up", sdl_key(SDL_KEYUP, SDLK_a, 'a', KMOD_RSHIFT),
       {{EVW_TYPE, EVT_KEYUP}, {EVW_SYM, SDLK_a}, {EVW_KEY, GK_A}, {EVW_MOD, KMOD_RSHIFT}}},
      {"quit", sdl(SDL_QUIT), {{EVW_TYPE, EVT_QUIT}}},
      {"unknown", sdl(SDL_SYSWMEVENT), {}},
  };
  const std::map<int, int> at = {{EVW_X, 10}, {EVW_Y, 20}, {EVW_WIN_X, 10}, {EVW_WIN_Y, 20}};
  for (bool down : {true, false}) {
    for (int button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT})
      cases.push_back({"button", sdl_button(down, button, 10, 20),
                       with(at, {{EVW_TYPE, down ? EVT_DOWN : EVT_UP}, {EVW_BUTTON, button == SDL_BUTTON_LEFT ? 1 : 3}})});
    // The wheel sends a press and a release per notch: the press alone counts.
    for (int notch : {-1, 1})
      cases.push_back({"wheel", sdl_button(down, notch < 0 ? SDL_BUTTON_WHEELUP : SDL_BUTTON_WHEELDOWN, 10, 20),
                       down ? with(at, {{EVW_TYPE, EVT_WHEEL}, {EVW_WHEEL, notch}}) : at});
    SDL_Event s = sdl(down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP);
    s.jbutton.which = 2;
    s.jbutton.button = 3;
    cases.push_back({"joystick button", s, {{EVW_TYPE, down ? EVT_JOYDOWN : EVT_JOYUP},
                                            {EVW_DEVICE, 2}, {EVW_BUTTON, 3}}});
  }
  SDL_Event s = sdl(SDL_MOUSEMOTION);
  s.motion.x = 7;
  s.motion.y = 8;
  s.motion.xrel = -3;
  s.motion.yrel = 4;
  s.motion.state = SDL_BUTTON(SDL_BUTTON_RIGHT) | SDL_BUTTON(SDL_BUTTON_LEFT) |
                   SDL_BUTTON(SDL_BUTTON_WHEELDOWN);
  cases.push_back({"motion", s, {{EVW_TYPE, EVT_MOTION}, {EVW_X, 7}, {EVW_Y, 8},
                                 {EVW_WIN_X, 7}, {EVW_WIN_Y, 8}, {EVW_DX, -3},
                                 {EVW_DY, 4}, {EVW_BUTTON, 5}}});
  s = sdl(SDL_JOYAXISMOTION);
  s.jaxis.which = 2;
  s.jaxis.axis = 1;
  s.jaxis.value = -32000;
  cases.push_back({"joystick axis", s, {{EVW_TYPE, EVT_JOYAXIS}, {EVW_DEVICE, 2},
                                        {EVW_AXIS, 1}, {EVW_AXIS_VALUE, -32000}}});
  s = sdl(SDL_ACTIVEEVENT);
  s.active.gain = 1;
  s.active.state = SDL_APPMOUSEFOCUS | SDL_APPACTIVE;
  cases.push_back({"active", s, {{EVW_TYPE, EVT_ACTIVE}, {EVW_GAIN, 1},
                                 {EVW_STATE, SDL_APPMOUSEFOCUS | SDL_APPACTIVE}}});
  s = sdl(SDL_USEREVENT);
  s.user.code = EVT_LOGIN;
  cases.push_back({"posted", s, {{EVW_TYPE, EVT_LOGIN}}});
  for (const Case& c : cases) {
    Event e = translate(c.s);
    for (int w = 0; w < 22; w++) {
      auto it = c.want.find(w);
      EXPECT_EQ(e[w], it == c.want.end() ? 0 : it->second) << c.what << ", word " << w;
    }
  }
}

// The whole table: every SDL key symbol maps to its game key, and every
// symbol not listed here maps to none.
TEST(Translate, TheKeyTableAsAWhole) {
  std::map<int, int> want = {
      {SDLK_UP, 1},        {SDLK_RIGHT, 2},    {SDLK_DOWN, 3},      {SDLK_LEFT, 4},
      {SDLK_ESCAPE, 5},    {SDLK_RETURN, 6},   {SDLK_KP_ENTER, 6},  {SDLK_BACKSPACE, 7},
      {SDLK_DELETE, 8},    {SDLK_HOME, 9},     {SDLK_END, 10},      {SDLK_PAGEUP, 11},
      {SDLK_PAGEDOWN, 12}, {SDLK_INSERT, 13},  {SDLK_TAB, 26},      {SDLK_SPACE, 27},
  };
  for (int i = 0; i < 12; i++) want[SDLK_F1 + i] = 14 + i;
  for (int i = 0; i < 10; i++) want[SDLK_KP0 + i] = 28 + i;
  for (int i = 0; i < 26; i++) want[SDLK_a + i] = 38 + i;
  for (int i = 0; i < 10; i++) want[SDLK_0 + i] = 64 + i;
  ASSERT_EQ(want.size(), 16u + 12 + 10 + 26 + 10);
  for (int sym = 0; sym < SDLK_LAST; sym++) {
    auto it = want.find(sym);
    EXPECT_EQ(event_game_key(sym), it == want.end() ? GK_NONE : it->second) << "symbol " << sym;
  }
  // What the driver makes of a key press is the same table.
  EXPECT_EQ(key(SDL_KEYDOWN, SDLK_KP_ENTER).key(), GK_RETURN);
  EXPECT_EQ(key(SDL_KEYDOWN, SDLK_7).key(), GK_0 + 7);
}

// Only input focus, gained or lost, reaches the sound layer: mouse focus
// and iconification alone say nothing about it.
TEST(Translate, InputFocusOfTheWindowReachesTheSoundLayer) {
  auto focus_after = [](int state, int gain) {
    SDL_Event s = sdl(SDL_ACTIVEEVENT);
    s.active.state = static_cast<Uint8>(state);
    s.active.gain = static_cast<Uint8>(gain);
    EXPECT_EQ(translate(s).type(), EVT_ACTIVE);
    return sys_audio_has_focus();
  };
  for (int state : {SDL_APPINPUTFOCUS, SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS | SDL_APPACTIVE}) {
    EXPECT_FALSE(focus_after(state, 0));
    EXPECT_FALSE(focus_after(SDL_APPMOUSEFOCUS | SDL_APPACTIVE, 1));
    EXPECT_TRUE(focus_after(state, 1));
  }
}

// Every key's name is SDL's with its letters upper-cased, whole.
TEST(Translate, KeyNamesAreUpperCasedLetters) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
  EXPECT_EQ(key_name(SDLK_LEFT), "LEFT");
  EXPECT_EQ(key_name(SDLK_KP8), "[8]");
  for (int sym = 0; sym < SDLK_LAST; sym++) {
    std::string sdl_name = SDL_GetKeyName(static_cast<SDLKey>(sym));
    std::string name = key_name(sym);
    ASSERT_EQ(name.size(), sdl_name.size()) << sym;
    for (size_t i = 0; i < name.size(); i++)
      EXPECT_EQ(name[i], std::toupper(static_cast<unsigned char>(sdl_name[i]))) << sdl_name;
  }
  SDL_Quit();
}

TEST(Time, StepsOwedCountFromTheFirstFrame) {
  Driver d;
  d.set_step_rate(60);
  EXPECT_EQ(d.steps_owed_at(1000), 0);
  EXPECT_EQ(d.steps_owed_at(2000), 60);
  EXPECT_EQ(d.steps_owed_at(2016), 0);
  EXPECT_EQ(d.steps_owed_at(2017), 1);
  EXPECT_EQ(d.steps_owed_at(2017), 0);
  EXPECT_EQ(d.ms_to_next_step(2017), 17u);
  EXPECT_EQ(d.ms_to_next_step(2040), 0u);
  EXPECT_EQ(d.steps_owed_at(60000), 60);  // a long stall: one second's steps
  d.set_step_rate(10);  // a new rate counts afresh
  EXPECT_EQ(d.steps_owed_at(5000), 0);
  EXPECT_EQ(d.steps_owed_at(5350), 3);
}
