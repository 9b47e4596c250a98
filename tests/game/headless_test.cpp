// The game core run through its headless entry: start-up, the main loop's
// steps and frames, event dispatch, transitions and shutdown.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/audio.h"
#include "game/game.h"
#include "game/headless.h"
#include "game/hooks.h"
#include "game/levels_db.h"
#include "game/state.h"
#include "gfx/transition.h"
#include "support/recording_audio.h"
#include "support/temp_dir.h"
#include "util/db.h"

namespace {

// A screen that records what the game asks of it.
class FakeState : public State {
 public:
  int inits = 0, deinits = 0, loops = 0;
  bool repeat = false;
  std::vector<Event> events;
  explicit FakeState(Game* g, bool key_repeat = false) : State(g), repeat(key_repeat) {}
  bool wants_key_repeat() const override { return repeat; }
  void init() override { inits++; }
  void deinit() override { deinits++; }
  void loop() override { loops++; }
  void event(Event e) override { events.push_back(e); }
};

FakeState* fake(int id) { return static_cast<FakeState*>(state_get(id)); }

void register_fakes(Game* g) {
  for (int id : {STATE_MENUS_MAIN, STATE_MENUS_SETTINGS, STATE_MENUS_PLAY, STATE_EDIT_TEXT})
    state_put(id, new FakeState(g, id == STATE_MENUS_SETTINGS || id == STATE_EDIT_TEXT));
}

struct Headless : ::testing::Test {
  TempDir root;
  std::string data = root.file("data"), user = root.file("user");
  GameHooks saved = game_hooks;
  RecordingAudio audio;
  Game* g = nullptr;

  void SetUp() override {
    mkdir(data.c_str(), 0700);
    write(data + "/data.json",
          R"({"samples": {"trans-zoom": {"file": "z.wav"}, "trans-fade": {"file": "f.wav"},
              "silence": {"file": "s.wav"}},
              "music": {"mus-play3": {"file": "m3.ogg"}, "mus-menus": {"file": "mm.ogg"}}})");
    DBWrap db;
    db_open(db, data + "/gameinfo.db");
    db_query(db, "create table levels (number integer primary key, name text, title text, sector integer, "
                 "map_x integer, map_y integer, has_lock integer, lock_total integer, has_count integer, "
                 "is_final integer, has_jewels integer, total_carts integer, ach1 text, ach2 text, ach3 text)");
    db_query(db, "insert into levels values (1, 'l1', 'One', 1, 1, 1, 0, 0, 1, 0, 0, 3, '', '', '')");
    game_hooks = GameHooks();
    game_hooks.register_menu_states = register_fakes;
    audio.install();
  }
  void TearDown() override {
    if (g) stop();
    game_hooks = saved;
    audio.uninstall();
  }
  static void write(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }
  void start() {
    ::testing::internal::CaptureStderr();
    g = game_headless_start(data, user);
    log = ::testing::internal::GetCapturedStderr();
  }
  void stop() {
    game_headless_stop();
    g = nullptr;
  }
  static Event key(int type, int sym, int gk, int mod = 0) {
    Event e(type);
    e[EVW_SYM] = sym;
    e[EVW_KEY] = gk;
    e[EVW_MOD] = mod;
    return e;
  }
  std::string log;
};

}  // namespace

TEST_F(Headless, StartsIntoTheMainMenuAndShutsDown) {
  start();
  EXPECT_EQ(log.rfind("Game::init ...\n", 0), 0u) << log;
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_EQ(fake(STATE_MENUS_MAIN)->inits, 1);
  EXPECT_STREQ(g->current_level_id, "1.lev");
  EXPECT_EQ(g->progress.current_level, 1);
  EXPECT_EQ(g->progress.max_sector, 1);
  EXPECT_STREQ(g->progress.levels[1].title, "One");
  EXPECT_EQ(g->settings.music, DEFAULT_MUSIC);
  EXPECT_STREQ(g->settings.id_name, "Anonymous");
  EXPECT_EQ(audio.last(), "trans-zoom");
  EXPECT_NE(game_db(GAME_DB_USER).db, nullptr);

  // The entry transition takes 15 steps; the screen's loop waits for it.
  EXPECT_TRUE(transition_running());
  game_headless_run(14);
  EXPECT_EQ(fake(STATE_MENUS_MAIN)->loops, 0);
  game_headless_run(1);
  EXPECT_FALSE(transition_running());
  game_headless_run(3, 2);
  EXPECT_EQ(fake(STATE_MENUS_MAIN)->loops, 6);
  EXPECT_EQ(g->run.frames, 18);
  EXPECT_EQ(g->run.steps, 21);

  stop();
  TempDir probe;
  FILE* f = fopen((user + "/state.dat").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  fseek(f, 0, SEEK_END);
  EXPECT_EQ(ftell(f), (long)sizeof(Game));
  fclose(f);
  EXPECT_EQ(state_get(STATE_MENUS_MAIN), nullptr);
}

TEST_F(Headless, EventsWaitForTheTransitionAndFollowTheRules) {
  start();
  FakeState* menu = fake(STATE_MENUS_MAIN);
  game_headless_event(key(EVT_KEYDOWN, 'a', GK_A));
  EXPECT_TRUE(menu->events.empty());  // the entry transition runs
  game_headless_run(15);

  ::testing::internal::CaptureStderr();
  game_headless_event(Event(EVT_LOGIN));
  game_headless_event(Event(EVT_LOGOUT));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "EVT_LOGIN\nEVT_LOGIN\n");
  EXPECT_TRUE(menu->events.empty());

  // A bound key carries its action.
  game_headless_event(key(EVT_KEYDOWN, g->settings.keys[ACT_BOMB], GK_NONE));
  ASSERT_EQ(menu->events.size(), 1u);
  EXPECT_EQ(menu->events[0][EVW_JOY_ACTION], ACT_BOMB);

  // A gamepad button: first a key event, then the button itself.
  menu->events.clear();
  Event joy(EVT_JOYDOWN);
  joy[EVW_BUTTON] = g->settings.joys[ACT_ESCAPE] & 0xff;
  game_headless_event(joy);
  ASSERT_EQ(menu->events.size(), 2u);
  EXPECT_EQ(menu->events[0].type(), EVT_KEYDOWN);
  EXPECT_EQ(menu->events[0][EVW_KEY], GK_ESCAPE);
  EXPECT_EQ(menu->events[0][EVW_JOY_ACTION], ACT_ESCAPE);
  EXPECT_EQ(menu->events[0][EVW_SYM], 0);
  EXPECT_EQ(menu->events[1].type(), EVT_JOYDOWN);

  menu->events.clear();
  g->settings.joys[ACT_BOMB] = 0x107;
  Event joyup(EVT_JOYUP);
  joyup[EVW_BUTTON] = 7;
  game_headless_event(joyup);
  ASSERT_EQ(menu->events.size(), 2u);
  EXPECT_EQ(menu->events[0].type(), EVT_KEYUP);
  EXPECT_EQ(menu->events[0][EVW_KEY], GK_SPACE);
  EXPECT_EQ(menu->events[0][EVW_JOY_ACTION], ACT_BOMB);
  joyup[EVW_BUTTON] = 11;  // bound to nothing
  menu->events.clear();
  game_headless_event(joyup);
  EXPECT_EQ(menu->events[0][EVW_JOY_ACTION], 0);

  // The stick becomes direction keys, down once and up on return.
  menu->events.clear();
  Event axis(EVT_JOYAXIS);
  axis[EVW_AXIS] = 1;
  axis[EVW_AXIS_VALUE] = -30000;
  game_headless_event(axis);
  game_headless_event(axis);
  axis[EVW_AXIS_VALUE] = 0;
  game_headless_event(axis);
  std::vector<std::pair<int, int>> keys;
  for (const Event& e : menu->events)
    if (e.type() == EVT_KEYDOWN || e.type() == EVT_KEYUP) keys.push_back({e.type(), e[EVW_KEY]});
  std::vector<std::pair<int, int>> want = {{EVT_KEYDOWN, GK_UP}, {EVT_KEYUP, GK_UP}};
  EXPECT_EQ(keys, want);
}

TEST_F(Headless, IdleCursorAndKeyRepeat) {
  start();
  game_headless_run(299);
  EXPECT_EQ(g->run.cursor_hidden, 0);
  game_headless_run(1);
  EXPECT_EQ(g->run.cursor_hidden, 1);
  Event motion(EVT_MOTION);
  game_headless_event(motion);
  EXPECT_EQ(g->run.cursor_hidden, 0);
  EXPECT_EQ(g->run.idle_steps, 0);

  EXPECT_EQ(g->run.key_repeat, 0);
  g->transition(TRANS_BZOOM, STATE_MENUS_SETTINGS);
  EXPECT_EQ(fake(STATE_MENUS_MAIN)->deinits, 1);
  EXPECT_EQ(fake(STATE_MENUS_SETTINGS)->inits, 1);
  game_headless_run(1);
  EXPECT_EQ(g->run.key_repeat, 1);
  g->transition(TRANS_NONE, STATE_MENUS_PLAY);
  EXPECT_FALSE(transition_running());
  game_headless_run(1);
  EXPECT_EQ(g->run.key_repeat, 0);
  g->transition(TRANS_FADE, STATE_EDIT_TEXT);
  EXPECT_EQ(audio.last(), "trans-fade");
  game_headless_run(1);
  EXPECT_EQ(g->run.key_repeat, 1);
}

TEST_F(Headless, CtrlQSavesAndQuits) {
  start();
  game_headless_run(15);
  g->settings.music = 0;  // the player silenced the music
  game_headless_event(key(EVT_KEYDOWN, 'q', GK_A + 16, 0x40 /* left Ctrl */));
  EXPECT_EQ(g->quit, 1);
  FILE* f = fopen((user + "/settings.dat").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  fclose(f);
  game_headless_run(5);
  EXPECT_EQ(g->run.frames, 15);  // nothing runs once the flag is set
  stop();

  // The next run neither quits nor forgets the silence.
  start();
  EXPECT_EQ(g->quit, 0);
  EXPECT_EQ(g->settings.music, 0);
}

TEST_F(Headless, TheSavedScreenIsEnteredAgain) {
  start();
  game_headless_run(15);
  g->transition(TRANS_ZOOM, STATE_MENUS_SETTINGS);
  g->settings_return_state = STATE_MENUS_MAIN;
  strcpy(g->current_level_id, "1700000000");
  stop();

  start();
  EXPECT_EQ(g->state, STATE_MENUS_SETTINGS);
  EXPECT_EQ(fake(STATE_MENUS_SETTINGS)->inits, 1);
  EXPECT_EQ(fake(STATE_MENUS_MAIN)->inits, 0);
  EXPECT_STREQ(g->current_level_id, "1700000000");
  EXPECT_EQ(g->settings_return_state, STATE_MENUS_MAIN);
  stop();

  // A screen that no longer exists falls back to the main menu.
  game_hooks.register_menu_states = [](Game* game) { state_put(STATE_MENUS_MAIN, new FakeState(game)); };
  start();
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_EQ(fake(STATE_MENUS_MAIN)->inits, 1);
}

TEST_F(Headless, LevelMusicFollowsTheMap) {
  start();
  strcpy(g->level.map.text[LEVEL_TEXT_MUSIC], "mus-play3");
  level_music(g);
  int t = music_find("mus-play3");
  ASSERT_GT(t, 0);
  EXPECT_EQ(g_audio.tracks[t].target, 1.0f);
  game_headless_run(60);
  EXPECT_GT(g_audio.tracks[t].playing_volume, 0.0f);

  strcpy(g->level.map.text[LEVEL_TEXT_MUSIC], "mus-menus");  // not a level track
  level_music(g);
  for (size_t i = 1; i < g_audio.tracks.size(); i++) EXPECT_EQ(g_audio.tracks[i].target, 0.0f);
  g->settings.music = 0;
  game_headless_run(1);
  EXPECT_EQ(g_audio.tracks[t].playing_volume, 0.0f);
}
