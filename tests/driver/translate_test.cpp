// SDL events into Event records, key names and fixed-step time.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <map>

#include "driver/driver.h"
#include "platform/sys_audio_device.h"

namespace {
Event key(int type, int sym, int unicode = 0) {
  SDL_Event s;
  std::memset(&s, 0, sizeof s);
  s.type = type;
  s.key.keysym.sym = static_cast<SDLKey>(sym);
  s.key.keysym.unicode = unicode;
  s.key.keysym.mod = KMOD_LCTRL;
  Event e;
  driver_translate(s, &e);
  return e;
}
Event mouse(int type, int button, int x, int y) {
  SDL_Event s;
  std::memset(&s, 0, sizeof s);
  s.type = type;
  s.button.button = button;
  s.button.x = x;
  s.button.y = y;
  Event e;
  driver_translate(s, &e);
  return e;
}
}  // namespace

TEST(Translate, KeysCarryGameCodesSymbolsAndCharacters) {
  Event e = key(SDL_KEYDOWN, SDLK_ESCAPE);
  EXPECT_EQ(e.type(), EVT_KEYDOWN);
  EXPECT_EQ(e.key(), 5);
  EXPECT_EQ(e.sym(), SDLK_ESCAPE);
  EXPECT_EQ(e[EVW_MOD], KMOD_LCTRL);
  e = key(SDL_KEYUP, SDLK_a);
  EXPECT_EQ(e.type(), EVT_KEYUP);
  EXPECT_EQ(e.key(), 38);
  const struct { int sym, code; } table[] = {
      {SDLK_UP, 1},    {SDLK_RIGHT, 2}, {SDLK_DOWN, 3},  {SDLK_LEFT, 4},
      {SDLK_HOME, 9},  {SDLK_TAB, 26},  {SDLK_SPACE, 27}, {SDLK_KP2, 30},
      {SDLK_KP4, 32},  {SDLK_KP6, 34},  {SDLK_KP8, 36},  {SDLK_c, 40},
      {SDLK_d, 41},    {SDLK_e, 42},    {SDLK_f, 43},    {SDLK_m, 50},
      {SDLK_r, 55},    {SDLK_s, 56},    {SDLK_w, 60},    {SDLK_z, 63},
      {SDLK_RETURN, GK_RETURN}, {SDLK_F1, GK_F1}, {SDLK_PLUS, 0}};
  for (auto t : table) EXPECT_EQ(key(SDL_KEYDOWN, t.sym).key(), t.code) << t.sym;
  EXPECT_EQ(key(SDL_KEYDOWN, SDLK_a, 'a')[EVW_CHAR], 'a');
  EXPECT_EQ(key(SDL_KEYUP, SDLK_a, 'a')[EVW_CHAR], 0);
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

TEST(Translate, PointerWheelJoystickAndQuit) {
  Event e = mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 10, 20);
  EXPECT_EQ(e.type(), EVT_DOWN);
  EXPECT_EQ(e.button(), 3);
  EXPECT_EQ(e.x(), 10);
  EXPECT_EQ(e.y(), 20);
  EXPECT_EQ(e[EVW_WIN_X], 10);
  EXPECT_EQ(mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 1).type(), EVT_UP);
  e = mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP, 5, 5);
  EXPECT_EQ(e.type(), EVT_WHEEL);
  EXPECT_LT(e[EVW_WHEEL], 0);
  EXPECT_GT(mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN, 5, 5)[EVW_WHEEL], 0);
  EXPECT_EQ(mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN, 5, 5).type(), EVT_NONE);

  SDL_Event s;
  std::memset(&s, 0, sizeof s);
  s.type = SDL_MOUSEMOTION;
  s.motion.x = 7;
  s.motion.y = 8;
  s.motion.xrel = -3;
  s.motion.yrel = 4;
  s.motion.state = SDL_BUTTON(SDL_BUTTON_RIGHT);
  driver_translate(s, &e);
  EXPECT_EQ(e.type(), EVT_MOTION);
  EXPECT_EQ(e[EVW_DX], -3);
  EXPECT_EQ(e[EVW_DY], 4);
  EXPECT_EQ(e.button(), 4);

  std::memset(&s, 0, sizeof s);
  s.type = SDL_JOYBUTTONDOWN;
  s.jbutton.which = 1;
  s.jbutton.button = 3;
  driver_translate(s, &e);
  EXPECT_EQ(e.type(), EVT_JOYDOWN);
  EXPECT_EQ(e.button(), 3);
  EXPECT_EQ(e[EVW_DEVICE], 1);
  std::memset(&s, 0, sizeof s);
  s.type = SDL_JOYAXISMOTION;
  s.jaxis.axis = 1;
  s.jaxis.value = -32000;
  driver_translate(s, &e);
  EXPECT_EQ(e.type(), EVT_JOYAXIS);
  EXPECT_EQ(e[EVW_AXIS], 1);
  EXPECT_EQ(e[EVW_AXIS_VALUE], -32000);

  std::memset(&s, 0, sizeof s);
  s.type = SDL_QUIT;
  driver_translate(s, &e);
  EXPECT_EQ(e.type(), EVT_QUIT);
  EXPECT_EQ(sizeof(Event), 88u);
}

TEST(Translate, InputFocusOfTheWindowReachesTheSoundLayer) {
  SDL_Event s;
  std::memset(&s, 0, sizeof s);
  s.type = SDL_ACTIVEEVENT;
  Event e;
  for (Uint8 state : {SDL_APPINPUTFOCUS, SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS | SDL_APPACTIVE}) {
    s.active.state = state;
    s.active.gain = 0;
    driver_translate(s, &e);
    EXPECT_EQ(e.type(), EVT_ACTIVE);
    EXPECT_FALSE(sys_audio_has_focus());
    // Mouse focus and iconification alone say nothing about input focus.
    s.active.state = SDL_APPMOUSEFOCUS | SDL_APPACTIVE;
    s.active.gain = 1;
    driver_translate(s, &e);
    EXPECT_FALSE(sys_audio_has_focus());
    s.active.state = state;
    driver_translate(s, &e);
    EXPECT_TRUE(sys_audio_has_focus());
  }
}

TEST(Translate, KeyNamesAreUpperCasedLetters) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
  EXPECT_EQ(key_name(SDLK_LEFT), "LEFT");
  EXPECT_EQ(key_name(SDLK_a), "A");
  EXPECT_EQ(key_name(SDLK_KP8), "[8]");
  EXPECT_EQ(key_name(SDLK_RETURN), "RETURN");
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
