// The settings screen in a real window, walked with the keyboard: the
// four tabs, a new resolution that changes the window's size, and Done.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/driver.h"
#include "game/game.h"
#include "game/hooks.h"
#include "game/state.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "menus/menus_settings.h"
#include "menus_fixture.h"
#include "support/game_window.h"

using namespace menus_test;

namespace {

struct SettingsWindow : WindowedGame {
  void install_hooks() override { game_hooks.register_menu_states = register_menu_states; }
  Container& root() { return state_get(g->state)->root; }
  Widget* focused() { return root().get_focus(); }
  void press(int game_key) {
    for (int type : {EVT_KEYDOWN, EVT_KEYUP}) {
      Event e(type);
      e[EVW_KEY] = game_key;
      g->event(e);
    }
  }
  void settle() {
    game_frame(g, 1);
    // A transition lasts at most a few dozen steps; one that never ends fails
    // here instead of holding the suite until its time-out.
    for (int i = 0; i < 600 && transition_running(); i++) game_frame(g, 1);
    ASSERT_FALSE(transition_running());
  }
  // Presses the key until the focus is on w, at most n times.
  bool walk_to(int game_key, Widget* w, int n = 12) {
    for (int i = 0; i < n && focused() != w; i++) press(game_key);
    return focused() == w;
  }
  // Arrows towards the choice of that text in the picker, as a player
  // looking at the screen would press them.
  bool walk_to_choice(const char* picker, const char* text) {
    Widget* target = find_button(root().find(picker), text);
    if (!target) return false;
    float tx, ty;
    target->abs_pos(&tx, &ty);
    for (int i = 0; i < 16 && focused() != target; i++) {
      float fx, fy;
      focused()->abs_pos(&fx, &fy);
      press(fy < ty ? GK_DOWN : fy > ty ? GK_UP : fx < tx ? GK_RIGHT : GK_LEFT);
    }
    return focused() == target;
  }
};

}  // namespace

TEST_F(SettingsWindow, TabsByKeyboardANewResolutionResizesTheWindowThenDone) {
  settle();
  ASSERT_EQ(g->state, STATE_MENUS_MAIN);
  ASSERT_TRUE(walk_to(GK_DOWN, find_button(&root(), "Settings")));
  press(GK_RETURN);
  settle();
  ASSERT_EQ(g->state, STATE_MENUS_SETTINGS);
  EXPECT_EQ(focused(), root().find("tab-0"));
  ASSERT_NE(root().find("keys_up"), nullptr);

  // The tabs in their row: Controls, Options, Audio, Video; each shows its
  // page as soon as it has the focus.
  const char* pages[] = {"name", "music", "vres"};
  const char* tabs[] = {"tab-3", "tab-1", "tab-2"};
  for (int i = 0; i < 3; i++) {
    press(GK_RIGHT);
    EXPECT_EQ(focused(), root().find(tabs[i])) << tabs[i];
    EXPECT_NE(root().find(pages[i]), nullptr) << pages[i];
  }

  SDL_Surface* s = SDL_GetVideoSurface();
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(g->lsettings.vres, -1);
  int old_w = s->w;
  ASSERT_NE(old_w, 640);

  // Down into the resolution choices and along them to 640x640.
  ASSERT_TRUE(walk_to_choice("vres", "640x640"));
  press(GK_RETURN);
  game_frame(g, 1);  // the write-back sets the mode and enters the page again
  s = SDL_GetVideoSurface();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->w, 640);
  EXPECT_EQ(s->h, 640);
  EXPECT_EQ(g_driver->screen_w, 640);
  EXPECT_EQ(g->lsettings.vres, (640 << 16) | 640);
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_SETTINGS);
  EXPECT_EQ(focused(), root().find("tab-2"));
  EXPECT_EQ(find_button(root().find("vres"), "640x640")->selected, 1);

  // A size larger than the screen is refused: the window keeps its size,
  // the setting its value, and the page says so.
  if (g_driver->desktop_w < 1920 || g_driver->desktop_h < 1080) {
    ASSERT_TRUE(walk_to_choice("vres", "1920x1080"));
    ::testing::internal::CaptureStderr();
    press(GK_RETURN);
    game_frame(g, 1);
    ::testing::internal::GetCapturedStderr();
    s = SDL_GetVideoSurface();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, 640);
    EXPECT_EQ(g->lsettings.vres, (640 << 16) | 640);
    EXPECT_NE(find_label(&root(), "That video mode could not be set; the previous one is back."), nullptr);
    settle();
  }

  // Down to the back button, which reads "Main Menu" when the screen was
  // opened from there.
  ASSERT_TRUE(walk_to(GK_DOWN, find_button(&root(), "Main Menu")));
  press(GK_RETURN);
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  std::string file = tmp.read("home/lsettings.dat");
  int32_t vres = 0;
  ASSERT_GE(file.size(), 8u);
  std::memcpy(&vres, file.data() + 4, 4);
  EXPECT_EQ(vres, (640 << 16) | 640);
}
