// The settings screen, the error and message screens and the credits,
// walked through the game's headless entry as a player would.
#include <SDL/SDL_keysym.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "driver/audio.h"
#include "driver/driver.h"
#include "game/headless.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "menus/menus_credits.h"
#include "menus/menus_error.h"
#include "menus/menus_settings.h"
#include "menus_fixture.h"
#include "online/online.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "support/web_service.h"
#include "ui/binding_cells.h"

using namespace menus_test;

namespace {

int32_t word_at(const std::string& bytes, size_t offset) {
  int32_t v = 0;
  if (offset + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

struct SettingsScreen : MenusGame {
  void TearDown() override {
    MenusGame::TearDown();
    // A screen may have asked the service for something on its way out.
    web_requests_clear();
    web_messages_clear();
  }
  // From the main menu to the settings screen.
  void open() {
    start();
    settle();
    click("Settings");
    settle();
    ASSERT_EQ(g->state, STATE_MENUS_SETTINGS);
  }
  MenusSettings* screen() { return static_cast<MenusSettings*>(state_get(STATE_MENUS_SETTINGS)); }
  Widget* find(const char* name) { return current()->root.find(name); }
  // A tab takes the pointer press, and with it the focus.
  void tab(int page) {
    char name[16];
    snprintf(name, sizeof name, "tab-%d", page);
    click(find(name));
    ASSERT_EQ(screen()->settings_tab, page);
  }
  void key_sym(int type, int sym, int game_key = GK_NONE) {
    Event e(type);
    e[EVW_SYM] = sym;
    e[EVW_KEY] = game_key;
    game_headless_event(e);
  }
  void frame() { game_headless_run(1); }
};

}  // namespace

TEST_F(SettingsScreen, BindingsAreTakenShownAndSavedOnDone) {
  open();
  EXPECT_EQ(screen()->settings_tab, PAGE_CONTROLS);
  EXPECT_EQ(focused(), find("tab-0"));
  key(GK_DOWN);  // into the page at its first cell
  EXPECT_EQ(focused(), find("keys_up"));
  EXPECT_EQ(find("keys_escape"), nullptr);  // Escape's key is not editable here
  int escape_key = g->settings.keys[ACT_ESCAPE];

  // A keyboard cell takes the next key-down, Escape included, and shows it.
  click(find("keys_bomb"));
  sounds();
  key_sym(EVT_KEYDOWN, SDLK_b);
  key_sym(EVT_KEYUP, SDLK_b);
  WKeyCode* bomb = dynamic_cast<WKeyCode*>(find("keys_bomb"));
  ASSERT_NE(bomb, nullptr);
  EXPECT_EQ(bomb->get_value_i(), SDLK_b);
  EXPECT_EQ(bomb->text, key_name(SDLK_b));
  EXPECT_EQ(sounds(), std::vector<std::string>{"gui-change"});
  key_sym(EVT_KEYDOWN, SDLK_ESCAPE, GK_ESCAPE);
  EXPECT_EQ(g->state, STATE_MENUS_SETTINGS);  // Escape does not leave
  EXPECT_EQ(bomb->get_value_i(), SDLK_ESCAPE);
  key_sym(EVT_KEYDOWN, SDLK_LCTRL);  // reaching for Ctrl+Q binds nothing
  EXPECT_EQ(bomb->get_value_i(), SDLK_ESCAPE);
  key_sym(EVT_KEYDOWN, SDLK_x);

  // The arrows move between cells and never rebind one behind the
  // player's back; a clicked cell takes the next key, an arrow too, so a
  // binding moved off an arrow can be put back.
  Widget* up = find("keys_up");
  click(up);
  key_sym(EVT_KEYDOWN, SDLK_i);
  frame();
  key_sym(EVT_KEYDOWN, SDLK_UP, GK_UP);  // the arrow goes on to the tabs
  EXPECT_EQ(screen()->settings_tab, PAGE_OPTIONS);
  EXPECT_EQ(g->settings.keys[ACT_UP], SDLK_i);
  tab(PAGE_CONTROLS);
  up = find("keys_up");
  click(up);
  key_sym(EVT_KEYDOWN, SDLK_UP, GK_UP);
  EXPECT_EQ(up->get_value_i(), SDLK_UP);
  EXPECT_EQ(focused(), up);
  Widget* minimap = find("keys_minimap");
  click(minimap);
  key_sym(EVT_KEYDOWN, SDLK_m);
  key_sym(EVT_KEYDOWN, SDLK_DOWN, GK_DOWN);  // nothing below: on to the back button
  EXPECT_EQ(minimap->get_value_i(), SDLK_m);
  EXPECT_NE(focused(), minimap);
  click(find("keys_bomb"));

  // A gamepad button: its key event (no symbol) binds no key, the button
  // binds the gamepad cell.
  click(find("keys_minimap"));
  click(find("joys_bomb"));
  Event pad(EVT_JOYDOWN);
  pad[EVW_BUTTON] = 2;
  game_headless_event(pad);
  EXPECT_STREQ(dynamic_cast<WKeyCode*>(find("joys_bomb"))->text, "Button 3");
  EXPECT_EQ(find("keys_minimap")->get_value_i(), SDLK_m);

  // Written back in the next frame, not yet on disk.
  frame();
  EXPECT_EQ(g->settings.keys[ACT_BOMB], SDLK_x);
  EXPECT_EQ(g->settings.joys[ACT_BOMB], 0x102);
  EXPECT_EQ(g->settings.keys[ACT_ESCAPE], escape_key);
  EXPECT_NE(word_at(tmp.read("user/settings.dat"), 1276), 0x102);

  // Damaged bindings show without reading past the key names.
  WKeyCode odd(0, -7);
  EXPECT_STREQ(odd.text, "unknown key");
  WJoyCode big(0x103, 0);
  EXPECT_STREQ(big.text, "Button 4");

  click("Main Menu");
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_EQ(screen()->settings_tab, PAGE_CONTROLS);
  std::string file = tmp.read("user/settings.dat");
  EXPECT_EQ(word_at(file, 1196), SDLK_x);
  EXPECT_EQ(word_at(file, 1276), 0x102);
}

// Each widget writes its value back into its own field of the settings and
// into no other: after one widget is set, the block differs from what it
// was in that field alone.
TEST_F(SettingsScreen, EveryWidgetShowsAndWritesBackItsOwnFieldOnly) {
  open();
  // Neighbouring toggles differ, so that one showing another's field shows;
  // the pages are built after this.
  g->settings.vfenn = g->settings.game_timer = 1;
  g->settings.game_hud = g->settings.game_hints = -1;
  game_text_set(g->settings.name, sizeof g->settings.name, "ann");
  game_text_set(g->settings.passwd, sizeof g->settings.passwd, "pw");
  struct Field {
    int page;
    const char* name;
    size_t offset;
    int32_t value;  // 0: the opposite of the toggle's current value
  };
  const size_t keys = offsetof(Settings, keys), joys = offsetof(Settings, joys);
  const Field fields[] = {
      {PAGE_CONTROLS, "keys_up", keys + 4 * ACT_UP, SDLK_F1},
      {PAGE_CONTROLS, "keys_left", keys + 4 * ACT_LEFT, SDLK_F2},
      {PAGE_CONTROLS, "keys_down", keys + 4 * ACT_DOWN, SDLK_F3},
      {PAGE_CONTROLS, "keys_right", keys + 4 * ACT_RIGHT, SDLK_F4},
      {PAGE_CONTROLS, "keys_battery", keys + 4 * ACT_BATTERY, SDLK_F5},
      {PAGE_CONTROLS, "keys_bomb", keys + 4 * ACT_BOMB, SDLK_F6},
      {PAGE_CONTROLS, "keys_minimap", keys + 4 * ACT_MINIMAP, SDLK_F7},
      {PAGE_CONTROLS, "joys_battery", joys + 4 * ACT_BATTERY, 10},
      {PAGE_CONTROLS, "joys_bomb", joys + 4 * ACT_BOMB, 11},
      {PAGE_CONTROLS, "joys_minimap", joys + 4 * ACT_MINIMAP, 12},
      {PAGE_CONTROLS, "joys_escape", joys + 4 * ACT_ESCAPE, 13},
      {PAGE_AUDIO, "music", offsetof(Settings, music), 17},
      {PAGE_AUDIO, "sfx", offsetof(Settings, sfx), 23},
      {PAGE_OPTIONS, "vfenn", offsetof(Settings, vfenn), 0},
      {PAGE_OPTIONS, "game_hud", offsetof(Settings, game_hud), 0},
      {PAGE_OPTIONS, "game_timer", offsetof(Settings, game_timer), 0},
      {PAGE_OPTIONS, "game_hints", offsetof(Settings, game_hints), 0},
  };
  for (const Field& f : fields) {
    if (screen()->settings_tab != f.page) tab(f.page);
    Widget* w = find(f.name);
    ASSERT_NE(w, nullptr) << f.name;
    Settings want = g->settings;
    int32_t* field = reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&want) + f.offset);
    int32_t value = f.value ? f.value : (*field == 1 ? -1 : 1);
    // A gamepad cell holds the button; its field marks it as one (0x100).
    bool joy = std::strncmp(f.name, "joys_", 5) == 0;
    int32_t stored = joy ? value | 0x100 : value;
    EXPECT_EQ(joy ? w->get_value_i() | 0x100 : w->get_value_i(), *field) << f.name << " shows another field";
    ASSERT_NE(*field, stored) << f.name;
    *field = stored;
    w->set_value_i(value);
    frame();
    EXPECT_EQ(std::memcmp(&g->settings, &want, sizeof want), 0)
        << "after setting " << f.name << ", the settings differ elsewhere than in its field at " << f.offset;
  }
  EXPECT_EQ(find("name")->get_value_s(), "ann");
  EXPECT_EQ(find("passwd")->get_value_s(), "pw");
}

TEST_F(SettingsScreen, VolumesReachTheAudioDriverAtOnce) {
  open();
  tab(PAGE_AUDIO);
  EXPECT_EQ(find("keys_up"), nullptr);
  Container& root = current()->root;
  int sfx = g->settings.sfx, music = g->settings.music;

  root.set_focus(find("sfx"));
  key(GK_LEFT);
  frame();
  EXPECT_EQ(g->settings.sfx, sfx - 5);
  EXPECT_EQ(g_audio.sfx_volume, sfx - 5);
  sounds();

  root.set_focus(find("music"));
  key(GK_LEFT);
  key(GK_LEFT);
  frame();
  EXPECT_EQ(g->settings.music, music - 10);
  frame();  // the fader takes it up in its next step
  int mus = music_find("mus-menus");
  const AudioTrack& t = g_audio.tracks[mus];
  EXPECT_FLOAT_EQ(t.playing_volume, t.fade * t.volume * (music - 10) / 100.0f);
  for (const std::string& s : sounds()) EXPECT_NE(s, "gui-ping");  // keys alone play no ping

  // Releasing the slider pings at the new volume.
  Widget* slider = find("sfx");
  float ax, ay;
  slider->abs_pos(&ax, &ay);
  Event down(EVT_DOWN), up(EVT_UP);
  for (Event* e : {&down, &up}) {
    (*e)[EVW_X] = static_cast<int>(ax + slider->cx + slider->cw / 4);
    (*e)[EVW_Y] = static_cast<int>(ay + slider->h / 2);
    (*e)[EVW_BUTTON] = 1;
    game_headless_event(*e);
  }
  int now = g->settings.sfx;
  EXPECT_NEAR(now, 25, 3);
  ASSERT_EQ(audio.last(), "gui-ping");
  EXPECT_FLOAT_EQ(audio.played.back().volume,
                  g_audio.samples[res_sample_load("gui-ping")].volume * now / 100.0f);
}

TEST_F(SettingsScreen, ResolutionChoicesFromThePlatformList) {
  auto values = [](const std::vector<std::pair<int, int>>& listed) {
    GridPicker p(0, 0, 4);
    settings_resolution_choices(&p, listed);
    return p.values;
  };
  EXPECT_EQ(values({}).size(), 10u);  // "Auto" and the nine fixed sizes
  // Sizes of the fixed list are not repeated, nor sizes under 320 on a side.
  std::vector<int> v = values({{1920, 1080}, {1600, 900}, {200, 600}, {1600, 900}, {1280, 720}, {320, 400},
                               {1280, 1024}, {400, 319}});
  ASSERT_EQ(v.size(), 14u);
  EXPECT_EQ(v[12], (320 << 16) | 400);
  EXPECT_EQ(v[13], (1280 << 16) | 1024);
  EXPECT_EQ(v[0], -1);
  EXPECT_EQ(v[10], (1600 << 16) | 900);
  EXPECT_EQ(v[11], (1600 << 16) | 900);  // listed twice, shown twice
  std::vector<std::pair<int, int>> many;
  for (int i = 0; i < 30; i++) many.push_back({400 + i, 400});
  EXPECT_EQ(values(many).size(), 20u);
  // Without a window SDL lists nothing.
  EXPECT_TRUE(settings_listed_modes().empty());
}

namespace {
// Frames until done() holds, waiting briefly on the loopback socket between
// them; false after 5 s.
bool pump(const std::function<bool()>& done) {
  for (int i = 0; i < 5000; i++) {
    game_headless_run(1);
    if (done()) return true;
    poll(nullptr, 0, 1);
  }
  return false;
}
}  // namespace

TEST_F(SettingsScreen, TheAccountIsCheckedWithTheService) {
  WebService svc;
  setenv("TUNNELWICK_SERVICE", svc.address().c_str(), 1);
  online_install_hooks(&game_hooks);
  open();
  tab(PAGE_OPTIONS);
  EXPECT_EQ(find("name")->tab_target, "passwd");
  auto sent = [&](const char* action) { return svc.requests(action).size(); };
  auto idle = [] { return web_requests.empty(); };

  click("Sign In");  // an empty name checks nothing
  ASSERT_TRUE(pump(idle));
  EXPECT_EQ(sent("valid_popup"), 0u);

  find("name")->set_value_s(std::string(70, 'n'));
  frame();
  EXPECT_EQ(std::string(g->settings.name), std::string(63, 'n'));
  find("name")->set_value_s("miner");
  find("passwd")->set_value_s("secret");
  frame();
  tab(PAGE_AUDIO);  // the name counts from the next page on
  EXPECT_STREQ(g->settings.uid, "g:miner");
  tab(PAGE_OPTIONS);

  // Valid: the service's message.
  svc.set_reply("valid_popup", {{"X-Response: OK", "X-Type: popup"}, "Welcome back, miner."});
  click("Sign In");
  ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_POPUP; }));
  EXPECT_EQ(svc.requests("valid_popup")[0].query["_uid"], "g:miner");
  EXPECT_NE(find_label(&current()->root, "Welcome back, miner."), nullptr);
  settle();
  click("Continue");
  settle();
  ASSERT_EQ(g->state, STATE_MENUS_SETTINGS);
  EXPECT_STREQ(g->settings.passwd, "secret");

  // Invalid: the service's error, and back by its Settings button.
  svc.set_reply("valid_popup", {{"X-Response: OK", "X-Error: Wrong password"}, ""});
  click("Sign In");
  ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_ERROR; }));
  EXPECT_NE(find_label(&current()->root, "Wrong password"), nullptr);
  settle();
  click("Settings");
  settle();
  ASSERT_EQ(g->state, STATE_MENUS_SETTINGS);
  EXPECT_EQ(g->settings_return_state, STATE_MENUS_MAIN);

  // The service down: the error screen says so, and leads back.
  svc.set_mode(WebService::DROP);
  click("Sign In");
  ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_ERROR; }));
  EXPECT_EQ(sent("valid_popup"), 3u);
  EXPECT_STREQ(g->error_text, "The service could not be reached.");
  settle();
  click("Settings");
  settle();
  ASSERT_EQ(g->state, STATE_MENUS_SETTINGS);

  // Done checks the account quietly, whatever the service does (only the
  // log says it failed); with an empty name it only saves.
  size_t checks = 0;
  for (WebService::Mode m : {WebService::DROP, WebService::FAIL500, WebService::GARBAGE, WebService::SERVE}) {
    svc.set_mode(m);
    ::testing::internal::CaptureStderr();
    click("Main Menu");
    ASSERT_TRUE(pump(idle)) << m;
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(sent("valid"), ++checks) << m;
    EXPECT_EQ(g->state, STATE_MENUS_MAIN) << m;
    EXPECT_STREQ(tmp.read("user/settings.dat").data() + offsetof(Settings, uid), "g:miner");  // stored as checked
    settle();
    click("Settings");
    settle();
  }
  svc.set_mode(WebService::SERVE);
  tab(PAGE_OPTIONS);
  find("name")->set_value_s("");
  frame();
  click("Main Menu");
  ASSERT_TRUE(pump(idle));
  EXPECT_EQ(sent("valid"), checks);
  EXPECT_EQ(std::string(tmp.read("user/settings.dat"), 4, 1), std::string(1, '\0'));
  EXPECT_EQ(std::string(tmp.read("user/settings.dat").data() + offsetof(Settings, uid), 2), "a:");
  unsetenv("TUNNELWICK_SERVICE");
  web_requests_clear();
  web_messages_clear();
}

TEST_F(SettingsScreen, ErrorAndMessageScreensReturnWhereTheyCameFrom) {
  start();
  settle();
  // A long service text without its NUL, with a control character.
  std::memset(g->error_text, 'e', sizeof g->error_text);
  g->error_text[3] = '\a';
  g->error_return_state = STATE_MENUS_COMMUNITY;
  game_switch(g, TRANS_FADE, STATE_MENUS_ERROR);
  settle();
  // Shown from its start, a word too long for a line broken inside, and
  // never so tall or wide that the buttons leave the view.
  auto in_view = [this](const char* label) {
    Widget* b = find_button(&current()->root, label);
    if (!b) return false;
    current()->root.measure();
    float x, y;
    b->abs_pos(&x, &y);
    return x >= 0 && y >= 0 && x + b->w <= 640 && y + b->h <= 640;
  };
  std::string shown = "eee " + std::string(251, 'e');
  int font2 = font_load("font2");
  std::string fitted = menus_message_fit(font2, shown, 213, 13);
  ASSERT_GT(std::count(fitted.begin(), fitted.end(), '\n'), 1);
  EXPECT_EQ(fitted.substr(0, 8), "eee\neeee");
  Label* text = find_label(&current()->root, fitted);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->sv(SW_WIDTH), 213);
  EXPECT_NE(find_label(&current()->root, "ERROR!!"), nullptr);
  EXPECT_TRUE(in_view("Settings"));
  EXPECT_TRUE(in_view("Continue"));
  key(GK_ESCAPE);
  EXPECT_EQ(g->state, STATE_MENUS_COMMUNITY);
  EXPECT_EQ(g_transition.type, TRANS_FADE);

  // An error of the settings screen's own request keeps its return target.
  settle();
  g->settings_return_state = STATE_MENUS_PLAY;
  g->error_return_state = STATE_MENUS_SETTINGS;
  game_switch(g, TRANS_FADE, STATE_MENUS_ERROR);
  settle();
  click("Settings");
  EXPECT_EQ(g->state, STATE_MENUS_SETTINGS);
  EXPECT_EQ(g->settings_return_state, STATE_MENUS_PLAY);

  // The message screen: Continue only, below a text of many lines.
  settle();
  std::string lines;
  for (int i = 0; i < 25; i++) lines += "line\n";
  ASSERT_LT(lines.size(), sizeof g->popup_text);
  std::memcpy(g->popup_text, lines.c_str(), lines.size() + 1);
  g->popup_return_state = STATE_MENUS_EDIT;
  game_switch(g, TRANS_FADE, STATE_MENUS_POPUP);
  settle();
  EXPECT_NE(find_label(&current()->root, "MESSAGE"), nullptr);
  EXPECT_EQ(find_button(&current()->root, "Settings"), nullptr);
  EXPECT_TRUE(in_view("Continue"));
  click("Continue");
  EXPECT_EQ(g->state, STATE_MENUS_EDIT);

  // A damaged "state.dat" that re-enters the error screen with itself as
  // the way back: Continue, and Done after Settings, go to the main menu.
  settle();
  g->error_return_state = STATE_MENUS_ERROR;
  g->settings_return_state = STATE_MENUS_ERROR;
  game_switch(g, TRANS_FADE, STATE_MENUS_ERROR);
  stop();
  start();
  settle();
  ASSERT_EQ(g->state, STATE_MENUS_ERROR);
  click("Settings");
  settle();
  click("Main Menu");
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  settle();
  game_switch(g, TRANS_FADE, STATE_MENUS_ERROR);
  settle();
  click("Continue");
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
}

TEST_F(SettingsScreen, CreditsRollAfterTheOutroAndFromTheMenu) {
  EXPECT_EQ(CREDITS_LINE_COUNT, 76);
  start();
  settle();
  g->return_menu = STATE_MENUS_PLAY;  // a campaign won
  game_switch(g, TRANS_FADE, STATE_MOVIE_OUTRO);
  for (int i = 0; i < 600 && g->state != STATE_MENUS_CREDITS; i++) {
    game_headless_run(1);
    if (i == 30) key(GK_SPACE);  // skips the movie
  }
  ASSERT_EQ(g->state, STATE_MENUS_CREDITS);
  EXPECT_EQ(g_audio.tracks[music_find("mus-outro")].target, 1.0f);
  while (transition_running()) game_headless_run(1);
  Widget* column = current()->root.find("credits");
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(column->y, 640);
  game_headless_run(1);
  EXPECT_EQ(current()->root.find("credits")->y, 639);
  game_headless_run(static_cast<int>(column->h) + 100);
  EXPECT_EQ(column->y, static_cast<int>(640 - column->h));
  EXPECT_LT(column->y, -1000);  // the whole column has passed
  Event up(EVT_UP);
  up[EVW_BUTTON] = 1;
  game_headless_event(up);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);

  settle();
  click("Talvik presents ...");
  EXPECT_EQ(g_audio.tracks[music_find("mus-menus")].target, 1.0f);
  key(GK_SPACE);  // still in the transition: nothing
  EXPECT_EQ(g->state, STATE_MENUS_CREDITS);
  settle();
  key(GK_SPACE);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
}
