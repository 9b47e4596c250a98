// The settings screen in a real window, walked with the keyboard: the
// four tabs, a new resolution that changes the window's size, a refused
// mode undone, and Done.
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
  // Enters the choice of that text, or the widget itself without one.
  void choose(const char* picker, const char* text) {
    ASSERT_TRUE(text ? walk_to_choice(picker, text) : walk_to(GK_DOWN, root().find(picker)));
    ::testing::internal::CaptureStderr();
    press(GK_RETURN);
    game_frame(g, 1);  // the write-back makes the mode and enters the page again
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(transition_running());
  }
  float back_x() {
    float x, y;
    root().measure();
    root().find(SETTINGS_BACK_NAME)->abs_pos(&x, &y);
    return x;
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
  game_frame(g, 1);  // the stored mode is not made again
  EXPECT_FALSE(transition_running());
  // Full screen too: a refused mode's fallback, the default window, then
  // differs from the old mode in size and in full screen.
  choose("vfull", "Fullscreen");
  settle();
  EXPECT_EQ(find_button(root().find("vfull"), "Fullscreen")->selected, 1);
  game_frame(g, 1);
  EXPECT_FALSE(transition_running());
  auto shows_old_mode = [&] {
    s = SDL_GetVideoSurface();
    return s && s->w == 640 && s->h == 640 && (s->flags & SDL_FULLSCREEN) && g->lsettings.vres == (640 << 16 | 640) &&
           g->lsettings.vfull == 1;
  };
  ASSERT_TRUE(shows_old_mode());
  const char* note = "That video mode could not be set; the previous one is back.";

  // A size larger than the screen is refused: the window keeps its size,
  // the setting its value, and the page says so.
  if (g_driver->desktop_w < 1920 || g_driver->desktop_h < 1080) {
    const float page_back_x = back_x();
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
    EXPECT_TRUE(transition_running() && shows_old_mode());
    EXPECT_EQ(static_cast<MenusSettings*>(state_get(STATE_MENUS_SETTINGS))->settings_tab, PAGE_VIDEO);
    EXPECT_EQ(find_button(root().find("vres"), "640x640")->selected, 1);
    settle();
    EXPECT_EQ(g->state, STATE_MENUS_SETTINGS);
    EXPECT_EQ(back_x(), page_back_x);  // the note wraps inside the page
  }

  // Vertical sync makes the mode again; refused (no X server refuses one,
  // so a stand-in for SDL does), it is undone the same way.
  static int refused_sync = -1;
  const int sync = -g->lsettings.vsync;
  for (bool refuse : {false, true}) {
    refused_sync = refuse ? sync != 1 : -1;
    g_driver->set_mode = [](int w, int h, int bpp, uint32_t flags) {
      return g_driver->vsync == refused_sync ? nullptr : SDL_SetVideoMode(w, h, bpp, flags);
    };
    choose("vsync", nullptr);
    g_driver->set_mode = nullptr;
    EXPECT_EQ(g->lsettings.vsync, sync) << refuse;
    EXPECT_EQ(g_driver->vsync, sync == 1) << refuse;
    EXPECT_EQ(root().find("vsync")->get_value_i(), sync) << refuse;
    EXPECT_TRUE(shows_old_mode()) << refuse;
    EXPECT_EQ(find_label(&root(), note) != nullptr, refuse);
    settle();
  }
  // Full screen is 1 and a window -1, as every start reads them.
  choose("vfull", "Windowed");
  EXPECT_EQ(g->lsettings.vfull, -1);
  settle();

  // Down to the back button, which reads "Main Menu" when the screen was
  // opened from there.
  ASSERT_TRUE(walk_to(GK_DOWN, find_button(&root(), "Main Menu")));
  press(GK_RETURN);
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  std::string file = tmp.read("home/lsettings.dat");
  int32_t vres = 0;
  ASSERT_GE(file.size(), 16u);
  std::memcpy(&vres, file.data() + 4, 4);
  EXPECT_EQ(vres, (640 << 16) | 640);
  std::memcpy(&vres, file.data() + 12, 4);
  EXPECT_EQ(vres, sync);
}
