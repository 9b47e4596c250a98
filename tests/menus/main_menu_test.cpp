// The main menu and the screen frame, through the game's headless entry.
#include <gtest/gtest.h>

#include <string>

#include "driver/audio.h"
#include "driver/driver.h"
#include "game/headless.h"
#include "game/identity.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "menus/menus_community.h"
#include "menus/menus_credits.h"
#include "menus/menus_edit.h"
#include "menus/menus_error.h"
#include "menus/menus_main.h"
#include "online/web_config.h"
#include "menus/menus_play.h"
#include "menus/menus_popup.h"
#include "menus/menus_settings.h"
#include "menus_fixture.h"

using namespace menus_test;

namespace {

const int LCTRL = 0x40, RALT = 0x200, LMETA = 0x400;
const int KEY_D = GK_A + 3;

template <class T>
bool holds(int id) {
  return dynamic_cast<T*>(state_get(id)) != nullptr;
}

// The version line: the label of the last widget added to the root.
Label* version_label(State* s) {
  Widget* w = s->root.children.back();
  while (Box* b = dynamic_cast<Box*>(w)) w = b->content();
  return dynamic_cast<Label*>(w);
}

}  // namespace

// The transition sounds among the samples played since the last look.
static std::vector<std::string> trans_sounds(MenusGame* t) {
  std::vector<std::string> out;
  for (const std::string& s : t->sounds())
    if (s.rfind("trans-", 0) == 0) out.push_back(s);
  return out;
}
using Sounds = std::vector<std::string>;

TEST_F(MenusGame, StartsOnTheMainMenuFadingFromTheBoxArt) {
  transition_init();  // what making the video mode does
  start();
  EXPECT_TRUE(holds<MenusMain>(STATE_MENUS_MAIN));
  EXPECT_TRUE(holds<MenusEdit>(STATE_MENUS_EDIT));
  EXPECT_TRUE(holds<MenusSettings>(STATE_MENUS_SETTINGS));
  EXPECT_TRUE(holds<MenusPlay>(STATE_MENUS_PLAY));
  EXPECT_TRUE(holds<MenusCommunity>(STATE_MENUS_COMMUNITY));
  EXPECT_TRUE(holds<MenusError>(STATE_MENUS_ERROR));
  EXPECT_TRUE(holds<MenusCredits>(STATE_MENUS_CREDITS));
  EXPECT_TRUE(holds<MenusPopup>(STATE_MENUS_POPUP));
  EXPECT_NE(movie(), nullptr);  // the screens registered before stay

  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_TRUE(transition_running());
  EXPECT_EQ(g_transition.type, TRANS_FADE);
  EXPECT_EQ(g_transition.boxart, 0);  // the outgoing picture was the box art
  EXPECT_EQ(g_transition.ticks_since_capture, 0);
  int mus = music_find("mus-menus");
  ASSERT_GT(mus, 0);
  EXPECT_EQ(g_audio.tracks[mus].target, 1.0f);
  EXPECT_EQ(focused(), find_button(&current()->root, "Play"));
}

TEST_F(MenusGame, EachButtonLeadsToItsScreen) {
  start();
  struct Case {
    const char* label;
    int state;
  } cases[] = {
      {"Build", STATE_MENUS_EDIT},
      {"Community Maps", STATE_MENUS_COMMUNITY},
      {"Settings", STATE_MENUS_SETTINGS},
      {"Talvik presents ...", STATE_MENUS_CREDITS},
      {"Play", STATE_MOVIE_INTRO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    settle();
    g->settings_return_state = 0;
    g->return_menu = 0;
    ASSERT_EQ(g->state, STATE_MENUS_MAIN);
    sounds();
    click(c.label);
    EXPECT_EQ(g->state, c.state);
    EXPECT_EQ(trans_sounds(this), Sounds{"trans-zoom"});
    EXPECT_TRUE(transition_running());
    EXPECT_EQ(g_transition.type, TRANS_ZOOM);
    EXPECT_EQ(g_transition.remaining, 15);
    EXPECT_EQ(g->settings_return_state, c.state == STATE_MENUS_SETTINGS ? STATE_MENUS_MAIN : 0);
    EXPECT_EQ(g->return_menu, c.state == STATE_MENUS_CREDITS ? STATE_MENUS_MAIN : 0);
    if (c.state == STATE_MOVIE_INTRO) {
      EXPECT_EQ(movie()->inits, 1);
      break;
    }
    // Every screen behind the menu has a way back, by button or Escape.
    settle();
    // Keys repeat where values are typed or stepped.
    EXPECT_EQ(g->run.key_repeat, c.state == STATE_MENUS_SETTINGS || c.state == STATE_MENUS_COMMUNITY);
    sounds();
    if (c.state == STATE_MENUS_CREDITS) {
      key(GK_ESCAPE);  // any key leaves the credits, zooming
    } else {
      click("Main Menu");
    }
    int back = c.state == STATE_MENUS_CREDITS ? TRANS_ZOOM : TRANS_BZOOM;
    EXPECT_EQ(g->state, STATE_MENUS_MAIN);
    EXPECT_EQ(trans_sounds(this), Sounds{back == TRANS_ZOOM ? "trans-zoom" : "trans-bzoom"});
    EXPECT_EQ(g_transition.type, back);
  }
}

TEST_F(MenusGame, PlayIsSelectedOnEveryEntry) {
  boot();
  MenusMain* menu = static_cast<MenusMain*>(current());
  // Move the focus away and hover another button.
  key(GK_DOWN);
  key(GK_DOWN);
  EXPECT_EQ(focused(), find_button(&menu->root, "Community Maps"));
  click("Settings");
  settle();
  click("Main Menu");
  settle();
  Widget* play = find_button(&menu->root, "Play");
  ASSERT_NE(play, nullptr);
  EXPECT_EQ(focused(), play);
  EXPECT_TRUE(play->hovered);
  // So Return goes straight to the intro.
  key(GK_RETURN);
  EXPECT_EQ(g->state, STATE_MOVIE_INTRO);
}

TEST_F(MenusGame, FanPageOpensInTheBrowserAndTheMenuStays) {
  boot();
  ::testing::internal::CaptureStderr();
  click("Become a Fan");
  std::string log = ::testing::internal::GetCapturedStderr();
  const std::string fan = web_page_url(WEB_PAGE_FAN);
  EXPECT_EQ(g_driver->last_weblink, fan);
  EXPECT_NE(log.find("Driver::weblink: " + fan), std::string::npos) << log;
  EXPECT_EQ(fan.rfind("http://", 0), 0u);
  EXPECT_NE(fan.find("/tunnelwick/like.php"), std::string::npos);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_FALSE(transition_running());
}

TEST_F(MenusGame, QuitSetsTheFlagAndTheFrameStillCompletes) {
  boot();
  int frames = g->run.frames;
  click("Quit");
  EXPECT_EQ(g->quit, 1);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_FALSE(transition_running());
  // The main loop's frame in which the click arrived goes on.
  game_frame(g, 1);
  g->paint();
  EXPECT_EQ(g->run.frames, frames + 1);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
}

TEST_F(MenusGame, CtrlDFlipsTheDebugSettingAndRebuilds) {
  boot();
  ASSERT_EQ(g->settings.debug, -1);
  std::string plain = game_version();
  EXPECT_EQ(version_label(current())->text, plain);

  key(KEY_D);  // no modifier: nothing
  EXPECT_EQ(g->settings.debug, -1);
  EXPECT_FALSE(transition_running());

  // Hover the Quit button, then flip: the new tree has no hover left.
  Widget* quit = find_button(&current()->root, "Quit");
  int x, y;
  centre(quit, &x, &y);
  Event motion(EVT_MOTION);
  motion[EVW_X] = x;
  motion[EVW_Y] = y;
  game_headless_event(motion);
  EXPECT_TRUE(quit->hovered);

  sounds();
  key(KEY_D, LCTRL);
  EXPECT_EQ(g->settings.debug, 1);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_EQ(trans_sounds(this), Sounds{"trans-fade"});
  EXPECT_EQ(g_transition.type, TRANS_FADE);
  EXPECT_EQ(version_label(current())->text, plain + ":DEBUG");
  Widget* new_quit = find_button(&current()->root, "Quit");
  EXPECT_FALSE(new_quit->hovered);
  EXPECT_EQ(focused(), find_button(&current()->root, "Play"));

  settle();
  key(KEY_D, RALT);
  EXPECT_EQ(g->settings.debug, -1);
  EXPECT_EQ(version_label(current())->text, plain);

  // Any value other than 1 counts as off.
  settle();
  g->settings.debug = 7;
  key(KEY_D, LMETA);
  EXPECT_EQ(g->settings.debug, 1);
}

TEST_F(MenusGame, EventsWaitWhileATransitionRuns) {
  start();
  // The entry transition runs: neither keys nor clicks reach the menu.
  key(GK_RETURN);
  click("Quit");
  key(KEY_D, LCTRL);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_EQ(g->quit, 0);
  EXPECT_EQ(g->settings.debug, -1);
  game_headless_run(14);
  click("Quit");
  EXPECT_EQ(g->quit, 0);
  game_headless_run(1);
  click("Quit");
  EXPECT_EQ(g->quit, 1);
}

TEST_F(MenusGame, TwoSwitchesInOneTickKeepTheFirstOutgoingPicture) {
  boot();
  sounds();
  EXPECT_GT(g_transition.ticks_since_capture, 0);
  EXPECT_TRUE(game_switch(g, TRANS_ZOOM, STATE_MENUS_EDIT));
  EXPECT_TRUE(game_switch(g, TRANS_BZOOM, STATE_MENUS_SETTINGS));
  EXPECT_EQ(g_transition.ticks_since_capture, 0);
  EXPECT_EQ(g->state, STATE_MENUS_SETTINGS);
  EXPECT_EQ(g_transition.type, TRANS_BZOOM);
  EXPECT_EQ(trans_sounds(this), (Sounds{"trans-zoom", "trans-bzoom"}));
  // A tick later the outgoing picture is taken again.
  game_headless_run(1);
  EXPECT_TRUE(game_switch(g, TRANS_FADE, STATE_MENUS_MAIN));
  EXPECT_EQ(g_transition.ticks_since_capture, 0);
  EXPECT_EQ(trans_sounds(this), Sounds{"trans-fade"});
  // No transition: nothing captured, no sound, the screen current at once.
  EXPECT_TRUE(game_switch(g, TRANS_NONE, STATE_MENUS_PLAY));
  EXPECT_FALSE(transition_running());
  EXPECT_EQ(trans_sounds(this), Sounds{});
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);
}

TEST_F(MenusGame, TheFirstSwitchAfterANewVideoModeFadesFromTheBoxArt) {
  boot();
  transition_init();  // the video mode was made again (full-screen flip)
  click("Build");
  EXPECT_EQ(g->state, STATE_MENUS_EDIT);
  EXPECT_EQ(g_transition.type, TRANS_FADE);
  EXPECT_EQ(g_transition.boxart, 0);
  settle();
  click("Main Menu");
  EXPECT_EQ(g_transition.type, TRANS_BZOOM);
}

TEST_F(MenusGame, ASwitchToAMissingScreenIsRefused) {
  boot();
  delete state_get(STATE_MOVIE_INTRO);
  state_put(STATE_MOVIE_INTRO, nullptr);
  sounds();
  ::testing::internal::CaptureStderr();
  click("Play");
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("game_switch: no screen for state 21\n"), std::string::npos) << log;
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_FALSE(transition_running());
  EXPECT_GT(g_transition.ticks_since_capture, 0);  // no picture taken
  EXPECT_EQ(trans_sounds(this), Sounds{});
  // The menu is still whole and working.
  click("Build");
  EXPECT_EQ(g->state, STATE_MENUS_EDIT);
}
