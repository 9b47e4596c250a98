// Menu test fixture: runs the headless game offline; finds, clicks and keys screen widgets.
#include "menus_fixture.h"


#include <cstdlib>
#include <vector>

#include "driver/audio.h"
#include "game/headless.h"
#include "gfx/transition.h"
#include "menus/menus.h"

namespace menus_test {

void centre(Widget* w, int* x, int* y) {
  float ax, ay;
  w->abs_pos(&ax, &ay);
  *x = static_cast<int>(ax + w->w / 2);
  *y = static_cast<int>(ay + w->h / 2);
}

// The menu screens, with a stub in place of the intro movie.
static void register_menus_and_stub(Game* g) {
  register_menu_states(g);
  delete state_get(STATE_MOVIE_INTRO);
  state_put(STATE_MOVIE_INTRO, new StubScreen(g));
}

void MenusGame::SetUp() {
  game_hooks = GameHooks();
  game_hooks.register_menu_states = register_menus_and_stub;
  audio.install();
  g_transition = Transition();
  // Web pages go to a program that does nothing.
  setenv("TW_WEBLINK_OPENER", "true", 1);
  // Requests of the screens go to a loopback port where nothing listens,
  // never out to the network.
  setenv("TUNNELWICK_SERVICE", "127.0.0.1:1", 1);
}

void MenusGame::TearDown() {
  if (g) stop();
  game_hooks = saved_hooks;
  audio.uninstall();
  unsetenv("TW_WEBLINK_OPENER");
  unsetenv("TUNNELWICK_SERVICE");
}

void MenusGame::start() {
  ::testing::internal::CaptureStderr();
  g = game_headless_start(TW_DATA_DIR, tmp.path() + "/user");
  ::testing::internal::GetCapturedStderr();
}

void MenusGame::stop() {
  ::testing::internal::CaptureStderr();
  game_headless_stop();
  ::testing::internal::GetCapturedStderr();
  g = nullptr;
}

void MenusGame::boot() {
  start();
  settle();
  ASSERT_EQ(g->state, STATE_MENUS_MAIN);
}

void MenusGame::settle() { game_headless_run(15); }

State* MenusGame::current() { return state_get(g->state); }

StubScreen* MenusGame::movie() { return static_cast<StubScreen*>(state_get(STATE_MOVIE_INTRO)); }

void MenusGame::click(Widget* w) {
  ASSERT_NE(w, nullptr);
  int x, y;
  centre(w, &x, &y);
  for (int type : {EVT_MOTION, EVT_DOWN, EVT_UP}) {
    Event e(type);
    e[EVW_X] = x;
    e[EVW_Y] = y;
    e[EVW_BUTTON] = type == EVT_MOTION ? 0 : 1;
    game_headless_event(e);
  }
}

void MenusGame::click(const std::string& label) {
  Widget* b = find_button(&current()->root, label);
  ASSERT_NE(b, nullptr) << label;
  click(b);
}

void MenusGame::key(int game_key, int mod) {
  Event down(EVT_KEYDOWN);
  down[EVW_KEY] = game_key;
  down[EVW_MOD] = mod;
  game_headless_event(down);
  Event up = down;
  up[EVW_TYPE] = EVT_KEYUP;
  game_headless_event(up);
}

void MenusGame::action(int type, int act) {
  Event e(type);
  e[EVW_SYM] = g->settings.keys[act];
  e[EVW_KEY] = event_game_key(e[EVW_SYM]);
  game_headless_event(e);
}

std::vector<std::string> MenusGame::sounds() { return audio.take(); }

Widget* MenusGame::focused() { return current()->root.get_focus(); }

}  // namespace menus_test
