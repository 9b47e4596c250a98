// The online services through the headless game with the real content and
// a loopback web service: start-up requests, score submissions across a
// service that is down, a killed process and duplicate receipts, community
// pages, shared maps, errors and messages.
#include <gtest/gtest.h>
#include <poll.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "game/game.h"
#include "game/headless.h"
#include "game/hooks.h"
#include "game/level_won.h"
#include "game/levels_db.h"
#include "game/state.h"
#include "game/world.h"
#include "gfx/transition.h"
#include "online/online.h"
#include "online/reliable.h"
#include "online/web_actions.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "support/temp_dir.h"
#include "support/web_service.h"
#include "util/encode.h"
#include "game/paths.h"

namespace {

long g_now = 1700000000;
long fake_clock() { return g_now; }

// The screens the online services talk to, recording what they are told.
class Recorder : public State {
 public:
  std::vector<var> calls;
  explicit Recorder(Game* g) : State(g) {}
  var call(var arg) override {
    calls.push_back(arg);
    return var();
  }
};
Recorder* recorder(int id) { return static_cast<Recorder*>(state_get(id)); }

void register_recorders(Game* g) {
  for (int id : {STATE_MENUS_MAIN, STATE_MENUS_PLAY, STATE_MENUS_COMMUNITY, STATE_MENUS_ERROR, STATE_MENUS_POPUP})
    state_put(id, new Recorder(g));
}

struct Online : ::testing::Test {
  TempDir tmp;
  std::string user = tmp.file("user");
  WebService svc;
  GameHooks saved = game_hooks;
  Game* g = nullptr;

  void SetUp() override {
    setenv("TUNNELWICK_SERVICE", svc.address().c_str(), 1);
    game_hooks = GameHooks();
    game_hooks.register_menu_states = register_recorders;
    online_install_hooks(&game_hooks);
    game_reliable_set_clock(fake_clock);
    g_transition = Transition();
    start();
  }
  void TearDown() override {
    if (g) stop();
    web_requests_clear();
    web_messages_clear();
    game_reliable_set_clock(nullptr);
    unsetenv("TUNNELWICK_SERVICE");
    game_hooks = saved;
  }
  void start() {
    ::testing::internal::CaptureStderr();
    g = game_headless_start(TW_DATA_DIR, user);
    ::testing::internal::GetCapturedStderr();
  }
  void stop() {
    ::testing::internal::CaptureStderr();
    game_headless_stop();
    ::testing::internal::GetCapturedStderr();
    g = nullptr;
  }
  // Runs frames until done() holds, waiting briefly on the loopback socket
  // between them; false after 5 s.
  bool pump(const std::function<bool()>& done) {
    ::testing::internal::CaptureStderr();
    bool ok = false;
    for (int i = 0; i < 5000 && !ok; i++) {
      game_headless_run(1);
      ok = done();
      if (!ok) poll(nullptr, 0, 1);
    }
    ::testing::internal::GetCapturedStderr();
    return ok;
  }
  bool settled() {
    return pump([] { return web_requests.empty(); });
  }
  void go(int state) {
    g->transition(TRANS_FADE, state);
    game_headless_run(20);
  }
  // A campaign level entered and won, as the sector screen and the world
  // do it.
  void win(const char* file) {
    game_text_set(g->current_level_id, sizeof g->current_level_id, file);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(level_load_file(g));
    g->return_menu = STATE_MENUS_PLAY;
    level_start(g);
    game_headless_run(20);
    level_won(g);
    ::testing::internal::GetCapturedStderr();
  }
  size_t count(const std::string& action) { return svc.requests(action).size(); }
};

}  // namespace

TEST_F(Online, StartUpPingsAndCommunityPagesReachOnlyTheirVisit) {
  ASSERT_TRUE(pump([&] { return count("ping") == 1; }));
  WebService::Request ping = svc.requests("ping")[0];
  EXPECT_EQ(ping.method, "GET");
  EXPECT_EQ(ping.target.rfind("/tunnelwick/api.php?&_vinfo=1%2e0%2e16%2dDesktop%2dWin32%2dSteamworks"
                              "&_version=1&_uid=a%3a", 0), 0u) << ping.target;
  EXPECT_NE(ping.target.find("&_name=Anonymous&_token=" + std::string(g->settings.token) + "&_udid="),
            std::string::npos);
  EXPECT_EQ(ping.query["_udid"], g->settings.udid);
  EXPECT_EQ(ping.target.substr(ping.target.size() - 13), "&_action=ping");
  EXPECT_EQ(count("friends"), 0u);  // no Steam user, no friends

  // The identity is rebuilt for each request and escaped byte by byte.
  game_text_set(g->settings.name, sizeof g->settings.name, "Zo\xc3\xab Q");
  go(STATE_MENUS_COMMUNITY);
  web_uquery(g, "a b&c");
  Recorder* browser = recorder(STATE_MENUS_COMMUNITY);
  ASSERT_TRUE(pump([&] { return browser->calls.size() == 1; }));
  WebService::Request q = svc.requests("uquery")[0];
  EXPECT_NE(q.target.find("&_uid=g%3aZo%c3%ab%20Q&_name=Zo%c3%ab%20Q&_token="), std::string::npos) << q.target;
  EXPECT_EQ(q.body, "&q=a%20b%26c");
  EXPECT_EQ(var_str(browser->calls[0][0]), "uquery");
  EXPECT_EQ(var_str(browser->calls[0][1][0]["text"]), "a b&c");

  // Of two pages asked for in one visit only the newer arrives; a page of
  // an earlier visit, or one that comes after the player left, never does.
  svc.set_mode(WebService::HOLD);
  web_uquery(g, "old");
  go(STATE_MENUS_MAIN);
  go(STATE_MENUS_COMMUNITY);
  web_uquery(g, "first");
  web_uquery(g, "second");
  ASSERT_TRUE(pump([&] { return count("uquery") == 4; }));
  svc.set_mode(WebService::SERVE);
  svc.release_held();
  ASSERT_TRUE(settled());
  ASSERT_EQ(browser->calls.size(), 2u);
  EXPECT_EQ(var_str(browser->calls[1][1][0]["text"]), "second");

  svc.set_mode(WebService::HOLD);
  web_uquery(g, "gone");
  ASSERT_TRUE(pump([&] { return count("uquery") == 5; }));
  go(STATE_MENUS_MAIN);
  svc.release_held();
  ASSERT_TRUE(settled());
  EXPECT_EQ(browser->calls.size(), 2u);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
}

TEST_F(Online, ScoresArriveOncePerReceiptAcrossOutagesKillsAndDuplicates) {
  ASSERT_TRUE(settled());

  // (a) The service is down at the win, and back before the next pass.
  svc.set_mode(WebService::DROP);
  win("level01.map");
  ASSERT_TRUE(pump([&] { return count("scores") == 1 && web_requests.empty(); }));
  EXPECT_EQ(game_reliable_pending(), 1);
  svc.set_mode(WebService::SERVE);
  g_now += RELIABLE_RESEND_AGE - 1;
  game_headless_run(5);
  EXPECT_EQ(count("scores"), 1u);
  g_now += 1;
  ASSERT_TRUE(pump([&] { return svc.accepted().size() == 1 && game_reliable_pending() == 0; }));
  EXPECT_EQ(count("scores"), 2u);

  // (b) The process dies between the send and the receipt.
  svc.set_mode(WebService::HOLD);
  win("level02.map");
  ASSERT_TRUE(pump([&] { return count("scores") == 3; }));
  web_requests_clear();
  stop();
  svc.set_mode(WebService::SERVE);
  start();
  game_headless_run(5);  // the entry is younger than a resend period
  EXPECT_EQ(count("scores"), 3u);
  g_now += RELIABLE_RESEND_AGE;
  ASSERT_TRUE(pump([&] { return svc.accepted().size() == 2 && game_reliable_pending() == 0; }));

  // (c) Every receipt comes twice, and once more with the next reply.
  svc.set_duplicate_receipts(true);
  win("level03.map");
  ASSERT_TRUE(pump([&] { return svc.accepted().size() == 3 && web_requests.empty(); }));
  g->return_menu = STATE_MENUS_COMMUNITY;
  game_text_set(g->current_level_id, sizeof g->current_level_id, "m7");
  EXPECT_EQ(game_reliable_pending(), 0);
  web_ping(g);
  ASSERT_TRUE(settled());
  game_hooks.submit_urate(g, 3);
  ASSERT_TRUE(pump([&] { return svc.accepted().size() == 4 && web_requests.empty(); }));
  EXPECT_EQ(game_reliable_pending(), 0);
  g_now += RELIABLE_RESEND_AGE;
  game_headless_run(5);
  EXPECT_TRUE(web_requests.empty());

  // Every resend carried its entry's id and the same fields; the service
  // took each id once.
  std::map<std::string, std::string> body_of;
  for (const WebService::Request& r : svc.requests("scores")) {
    ASSERT_EQ(r.receipt().size(), 32u);
    if (body_of.count(r.receipt())) {
      EXPECT_EQ(body_of[r.receipt()], r.body);
    }
    body_of[r.receipt()] = r.body;
  }
  EXPECT_EQ(body_of.size(), 3u);
  std::set<std::string> taken;
  for (const WebService::Request& r : svc.accepted()) EXPECT_TRUE(taken.insert(r.receipt()).second);
  WebService::Request rate = svc.requests("urate")[0];
  EXPECT_EQ(rate.body.rfind("&lid=m7&sid=", 0), 0u) << rate.body;
  EXPECT_EQ(rate.body.substr(rate.body.size() - 8), "&stars=3");
  WebService::Request score = svc.requests("scores")[0];
  std::string file;
  ASSERT_TRUE(game_read_file(std::string(TW_DATA_DIR) + "/level01.map", &file));
  EXPECT_EQ(score.form["lid"], md5_hex(file));
  EXPECT_EQ(score.body.rfind("&ach=", 0), 0u);
  EXPECT_LT(score.body.find("&deaths="), score.body.find("&lid="));
  EXPECT_LT(score.body.find("&sid="), score.body.find("&tm="));
}

TEST_F(Online, ErrorsAndMessagesReachTheirScreensButNeverInterruptPlay) {
  ASSERT_TRUE(settled());
  game_headless_run(20);
  svc.set_reply("valid_popup", {{"X-Response: OK", "X-Type: popup"}, std::string(300, 'p')});
  web_valid_popup(g);
  ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_POPUP; }));
  EXPECT_EQ(std::string(g->popup_text), std::string(127, 'p'));
  EXPECT_EQ(g->popup_return_state, STATE_MENUS_MAIN);
  go(STATE_MENUS_MAIN);

  // Replies that no service should send change nothing on screen for a
  // background request; the player's own account check says it got none.
  for (WebService::Mode m : {WebService::FAIL500, WebService::GARBAGE, WebService::DROP}) {
    svc.set_mode(m);
    web_ping(g);
    ASSERT_TRUE(settled());
    EXPECT_EQ(g->state, STATE_MENUS_MAIN);
    web_valid_popup(g);
    ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_ERROR; }));
    EXPECT_STREQ(g->error_text, WEB_UNREACHED_TEXT);
    go(STATE_MENUS_MAIN);
  }
  svc.set_mode(WebService::SERVE);

  // An error that comes during a level waits for the level to end.
  svc.set_reply("valid", {{"X-Response: OK", "X-Error: Wrong password", "X-Type: popup"}, "hi"});
  game_text_set(g->current_level_id, sizeof g->current_level_id, "level01.map");
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(level_load_file(g));
  ::testing::internal::GetCapturedStderr();
  g->return_menu = STATE_MENUS_PLAY;
  level_start(g);
  web_valid(g);
  ASSERT_TRUE(settled());
  game_headless_run(5);
  EXPECT_EQ(g->state, STATE_PLAY_INTRO);
  go(STATE_MENUS_PLAY);
  EXPECT_EQ(g->state, STATE_MENUS_ERROR);
  EXPECT_STREQ(g->error_text, "Wrong password");
  EXPECT_EQ(g->error_return_state, STATE_MENUS_PLAY);
}

TEST_F(Online, SharedMapIsCheckedLikeEveryMapFromOutsideAndStarted) {
  ASSERT_TRUE(settled());
  LevelMap m{};
  memset(m.grid, TILE_FLOOR, sizeof m.grid);
  m.grid[10 * MAP_W + 10] = 0x80 | TILE_FLOOR;
  memset(m.text[LEVEL_TEXT_TITLE], 'T', LEVEL_TEXT_SIZE);  // no NUL at all
  m.zoom = 1e30f;
  uLongf len = compressBound(sizeof m);
  std::string packed(len, '\0');
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(&packed[0]), &len, reinterpret_cast<Bytef*>(&m), sizeof m, 6), Z_OK);
  packed.resize(len);
  svc.set_map("m42", packed, 4);
  svc.set_map("bad", "not a zlib stream", 1);

  go(STATE_MENUS_COMMUNITY);
  web_uplay(g, "bad");
  ASSERT_TRUE(settled());
  EXPECT_EQ(g->state, STATE_MENUS_COMMUNITY);
  EXPECT_NE(g->return_menu, STATE_MENUS_COMMUNITY);

  web_uplay(g, "m42");
  ASSERT_TRUE(pump([&] { return g->state == STATE_PLAY_INTRO; }));
  EXPECT_EQ(svc.requests("uplay")[1].body, "&id=m42");
  EXPECT_EQ(g->return_menu, STATE_MENUS_COMMUNITY);
  EXPECT_STREQ(g->current_level_id, "m42");
  EXPECT_STREQ(g->map_id, "m42");
  EXPECT_EQ(g->map_rating, 4);
  EXPECT_EQ(strnlen(g->level.map.text[LEVEL_TEXT_TITLE], LEVEL_TEXT_SIZE), LEVEL_TEXT_SIZE - 1u);
  EXPECT_EQ(g->level.map.grid[10 * MAP_W + 10], TILE_FLOOR);
  EXPECT_EQ(g->level.map.zoom, 1.0f);
}
