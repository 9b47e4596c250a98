// The online services through the headless game with the real content and
// a loopback web service: start-up requests, score submissions across a
// service that is down, a killed process and duplicate receipts, community
// pages, shared maps, errors and messages.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <regex>
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
#include "support/web_pump.h"
#include "support/web_service.h"
#include "util/db.h"
#include "util/encode.h"
#include "util/hostcache.h"
#include "util/http.h"
#include "game/paths.h"
#include "game/save_files.h"
#include "support/gated_resolver.h"

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
    g_now = 1700000000;
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
  // Runs frames until done() holds; what the game said goes to log.
  bool pump(const std::function<bool()>& done, std::string* log = nullptr) {
    ::testing::internal::CaptureStderr();
    bool ok = pump_until([] { game_headless_run(1); }, done);
    std::string said = ::testing::internal::GetCapturedStderr();
    if (log) *log = said;
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
  // do it; or, with the community as the menu, a shared map named id. The
  // run's time and deaths differ, so that a signature mixing them up fails.
  // A level entered from menu and played a while.
  void play(const char* file, int menu = STATE_MENUS_PLAY) {
    game_text_set(g->current_level_id, sizeof g->current_level_id, file);
    ASSERT_TRUE(level_load_file(g));
    g->return_menu = menu;
    level_start(g);
    game_headless_run(20);
  }
  void win(const char* file, int menu = STATE_MENUS_PLAY, const char* id = nullptr, int deaths = 0) {
    ::testing::internal::CaptureStderr();
    play(file, menu);
    if (id) game_text_set(g->current_level_id, sizeof g->current_level_id, id);
    RunStats& s = g->level.stats;
    s.time_cs = 4321;
    s.deaths = deaths;
    s.carts = 2;  // not every cartridge, every jewel
    s.total_carts = 3;
    s.jewels = s.total_jewels = 2;
    level_won(g);
    ::testing::internal::GetCapturedStderr();
  }
  size_t count(const std::string& action) { return svc.requests(action).size(); }
  // Runs until the service has seen n requests of that action and none is open.
  bool sent(const std::string& action, size_t n) {
    return pump([&] { return count(action) == n && web_requests.empty(); });
  }
  // A resend pass, run for a few frames without waiting for its replies.
  void pass() {
    g_now += RELIABLE_RESEND_AGE;
    ::testing::internal::CaptureStderr();
    game_headless_run(5);
    ::testing::internal::GetCapturedStderr();
  }
  // Runs until the outbox is empty and no request is open.
  bool delivered() {
    return pump([] { return game_reliable_pending() == 0 && web_requests.empty(); });
  }
  // A resend pass, run until the outbox is empty.
  bool resend_all() {
    g_now += RELIABLE_RESEND_AGE;
    return delivered();
  }
  // A statement on the outbox's database, opened beside the game's.
  var outbox(const std::string& sql) {
    DBWrap db;
    return db_open(db, tmp.file("user/reliable.db")) ? db_query(db, sql) : var();
  }
  // The player's stars for the community map "m7".
  void rate(int stars) {
    g->return_menu = STATE_MENUS_COMMUNITY;
    game_text_set(g->current_level_id, sizeof g->current_level_id, "m7");
    game_hooks.submit_urate(g, stars);
  }
};

std::string zpack(const std::string& raw) {
  uLongf len = compressBound(raw.size());
  std::string packed(len, '\0');
  compress2(reinterpret_cast<Bytef*>(&packed[0]), &len, reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 6);
  packed.resize(len);
  return packed;
}

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

  // A page request that fails, or whose reply brings no page, tells the
  // browser so; a refresh reaches the browser only while it is current.
  auto said = [&] {
    std::string names;
    for (const var& c : browser->calls) names += var_str(c[0]) + " ";
    browser->calls.clear();
    return names;
  };
  said();
  svc.set_mode(WebService::SERVE);
  svc.set_reply("ping", {{"X-Response: OK", "X-Type: urefresh"}, ""});
  web_ping(g);
  ASSERT_TRUE(settled());
  EXPECT_EQ(said(), "");
  go(STATE_MENUS_COMMUNITY);
  web_ping(g);
  ASSERT_TRUE(settled());
  EXPECT_EQ(said(), "urefresh ");
  svc.set_reply("uquery", {{"X-Response: OK", "X-Type: urefresh"}, ""});
  web_uquery(g, "r");
  ASSERT_TRUE(settled());
  EXPECT_EQ(said(), "urefresh ufailed ");
  svc.clear_reply("uquery");
  svc.set_mode(WebService::FAIL500);
  web_uquery(g, "f");
  ASSERT_TRUE(settled());
  EXPECT_EQ(said(), "ufailed ");
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
  svc.set_duplicate_receipts(false);

  // A shared map's run names the achievements it earned, in their order.
  win("level01.map", STATE_MENUS_COMMUNITY, "m9");
  win("level02.map", STATE_MENUS_COMMUNITY, "m10", 1);
  ASSERT_TRUE(pump([&] { return svc.accepted().size() == 6 && web_requests.empty(); }));
  EXPECT_TRUE(svc.rejected().empty());
  ASSERT_EQ(count("uscores"), 2u);
  EXPECT_EQ(svc.requests("uscores")[0].form["lid"], "m9");
  EXPECT_EQ(svc.requests("uscores")[0].form["ach"], "nodeaths,jewels");
  EXPECT_EQ(svc.requests("uscores")[1].form["ach"], "jewels");
  EXPECT_EQ(svc.requests("uscores")[1].form["deaths"], "1");

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
  EXPECT_EQ(score.form["tm"], "4321");
  EXPECT_EQ(score.form["deaths"], "0");
  EXPECT_EQ(score.form["ach"], "nodeaths,jewels");
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
  // A message screen is never covered by another.
  svc.set_reply("valid", {{"X-Response: OK", "X-Error: Hidden"}, ""});
  web_valid(g);
  ASSERT_TRUE(settled());
  game_headless_run(5);
  EXPECT_EQ(g->state, STATE_MENUS_POPUP);
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
  svc.set_reply("valid_popup", {{"X-Response: OK", "X-Error: Later"}, ""});
  web_valid_popup(g);
  ASSERT_TRUE(settled());
  EXPECT_EQ(g->state, STATE_PLAY_INTRO);
  go(STATE_MENUS_PLAY);
  EXPECT_EQ(g->state, STATE_MENUS_ERROR);
  EXPECT_STREQ(g->error_text, "Wrong password");  // the first that came
  EXPECT_EQ(g->error_return_state, STATE_MENUS_PLAY);
  go(STATE_MENUS_PLAY);  // said once only
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);

  // So does a message; the first that came is the one shown, once.
  level_start(g);
  for (const char* text : {"one", "two"}) {
    svc.set_reply("ping", {{"X-Response: OK", "X-Type: popup"}, text});
    web_ping(g);
    ASSERT_TRUE(settled());
  }
  EXPECT_EQ(g->state, STATE_PLAY_INTRO);
  go(STATE_MENUS_PLAY);
  EXPECT_EQ(g->state, STATE_MENUS_POPUP);
  EXPECT_STREQ(g->popup_text, "one");
  go(STATE_MENUS_PLAY);
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);
}

// A shared map is played only when it is one whole packed map: every
// other shape tells the player and changes nothing; the service's rating
// is kept within the stars there are.
TEST_F(Online, SharedMapIsPlayedOnlyWhenWholeAndTheRatingIsKeptInRange) {
  ASSERT_TRUE(settled());
  LevelMap m{};
  memset(m.grid, TILE_FLOOR, sizeof m.grid);
  m.grid[10 * MAP_W + 10] = 0x80 | TILE_FLOOR;
  memset(m.text[LEVEL_TEXT_TITLE], 'T', LEVEL_TEXT_SIZE);  // no NUL at all
  m.zoom = 1e30f;
  std::string raw(reinterpret_cast<const char*>(&m), sizeof m);
  std::string whole = zpack(raw);
  auto data = [](const std::string& packed) { return "{\"data\":\"" + base64_encode(packed) + "\",\"u_stars\":1}"; };
  const std::pair<const char*, std::string> bad[] = {
      {"not base64", "{\"data\":\"**not base64**\",\"u_stars\":1}"},
      {"not zlib", data("not a zlib stream")},
      {"truncated", data(whole.substr(0, whole.size() / 2))},
      {"zip bomb", data(zpack(std::string(8 << 20, '\0')))},
      {"no data", "{\"u_stars\":1}"},
      {"not JSON", "{\"data\":"},
      {"0 bytes", data(zpack(std::string()))},
      {"10 bytes", data(zpack(raw.substr(0, 10)))},
      {"100 bytes too many", data(zpack(raw + std::string(100, '\1')))},
      {"bytes after the stream", data(whole + "xx")},
  };
  go(STATE_MENUS_COMMUNITY);
  g->return_menu = STATE_MENUS_PLAY;
  game_text_set(g->current_level_id, sizeof g->current_level_id, "level01.map");
  for (const auto& shape : bad) {
    svc.set_reply("uplay", {{"X-Response: OK", "X-Type: uplay", "X-Query: m42"}, shape.second});
    web_uplay(g, "m42");
    ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_ERROR; })) << shape.first;
    EXPECT_STREQ(g->error_text, WEB_MAP_UNUSABLE_TEXT) << shape.first;
    EXPECT_EQ(g->return_menu, STATE_MENUS_PLAY) << shape.first;
    EXPECT_STREQ(g->current_level_id, "level01.map") << shape.first;
    go(STATE_MENUS_COMMUNITY);
  }

  const std::pair<const char*, int> ratings[] = {{"4", 4}, {"3.7", 3}, {"1e300", WEB_MAX_STARS}, {"-1e300", 0},
                                                 {"\"nan\"", 0}, {"\"inf\"", WEB_MAX_STARS}};
  for (const auto& rating : ratings) {
    svc.set_reply("uplay", {{"X-Response: OK", "X-Type: uplay", "X-Query: m42"},
                            "{\"data\":\"" + base64_encode(whole) + "\",\"u_stars\":" + rating.first + "}"});
    web_uplay(g, "m42");
    ASSERT_TRUE(pump([&] { return g->state == STATE_PLAY_INTRO; })) << rating.first;
    EXPECT_EQ(g->map_rating, rating.second) << rating.first;
    go(STATE_MENUS_COMMUNITY);
  }
  EXPECT_EQ(svc.requests("uplay").back().body, "&id=m42");
  EXPECT_EQ(g->return_menu, STATE_MENUS_COMMUNITY);
  EXPECT_STREQ(g->current_level_id, "m42");
  EXPECT_STREQ(g->map_id, "m42");
  EXPECT_EQ(strnlen(g->level.map.text[LEVEL_TEXT_TITLE], LEVEL_TEXT_SIZE), LEVEL_TEXT_SIZE - 1u);
  EXPECT_EQ(g->level.map.grid[10 * MAP_W + 10], TILE_FLOOR);
  EXPECT_EQ(g->level.map.zoom, 1.0f);

  // A map goes up with its texts cut at their ends and its bytes in base64.
  web_ushare(g, "m5", std::string("Title\0old", 9), std::string("Intro\0old", 9), whole);
  ASSERT_TRUE(settled());
  WebService::Request up = svc.requests("ushare").at(0);
  EXPECT_EQ(up.form["id"], "m5");
  EXPECT_EQ(up.form["title"], "Title");
  EXPECT_EQ(up.form["intro"], "Intro");
  EXPECT_EQ(up.form["data"], base64_encode(whole));
}

// Only a reply that names this entry in X-Receipt removes it; every other
// shape of reply leaves it for the next pass, which delivers it.
TEST_F(Online, AnEntryStaysUntilAReplyCarriesItsReceipt) {
  ASSERT_TRUE(settled());
  const std::pair<const char*, std::function<void()>> shapes[] = {
      {"500", [&] { svc.set_mode(WebService::FAIL500); }},
      {"garbage", [&] { svc.set_mode(WebService::GARBAGE); }},
      {"connection dropped", [&] { svc.set_mode(WebService::DROP); }},
      {"empty reply", [&] { svc.set_mode(WebService::EMPTY); }},
      {"cut in the receipt", [&] { svc.set_mode(WebService::CUT); }},
      {"receipt for another id", [&] { svc.set_mode(WebService::OTHER_RECEIPT); }},
      {"no receipt", [&] { svc.set_omit_receipts(true); }},
      {"receipt in a reply too long", [&] { svc.set_reply("urate", {{"X-Response: OK"}, std::string(1 << 20, 'x')}); }},
  };
  size_t n = 0;
  for (const auto& shape : shapes) {
    shape.second();
    rate(3);
    n++;
    ASSERT_TRUE(sent("urate", 2 * n - 1)) << shape.first;
    EXPECT_EQ(game_reliable_pending(), 1) << shape.first;
    svc.set_mode(WebService::SERVE);
    svc.set_omit_receipts(false);
    svc.clear_reply("urate");
    ASSERT_TRUE(resend_all()) << shape.first;
    EXPECT_EQ(count("urate"), 2 * n) << shape.first;
  }
  std::set<std::string> taken;
  for (const WebService::Request& r : svc.accepted()) EXPECT_TRUE(taken.insert(r.receipt()).second);
  EXPECT_EQ(taken.size(), n);
}

// An entry the service took whose delete fails is said once, never sent
// again, and deleted by a later pass once the database lets it; one whose
// insert fails is sent all the same, and again until its receipt comes,
// and the player hears of it once a run, after play, on their own screen.
TEST_F(Online, DatabaseFailuresNeitherLoseNorRepeatAnEntry) {
  ASSERT_TRUE(settled());
  outbox("create trigger keep before delete on events begin select raise(abort, 'kept'); end");
  rate(3);
  std::string log;
  ASSERT_TRUE(pump([&] { return svc.accepted().size() == 1 && web_requests.empty(); }, &log));
  EXPECT_NE(log.find("kept"), std::string::npos) << log;  // the database's reason
  EXPECT_EQ(game_reliable_pending(), 1);
  pass();
  EXPECT_TRUE(web_requests.empty());
  outbox("drop trigger keep");
  ASSERT_TRUE(resend_all());
  EXPECT_EQ(count("urate"), 1u);

  outbox("create trigger refuse before insert on events begin select raise(abort, 'full'); end");
  svc.set_mode(WebService::DROP);
  g_now += RELIABLE_RESEND_AGE / 2;
  win("level01.map");
  ASSERT_TRUE(pump([&] { return count("scores") == 1 && g->state == STATE_MENUS_POPUP && web_requests.empty(); }));
  EXPECT_STREQ(g->popup_text, RELIABLE_UNSTORED_TEXT);
  EXPECT_EQ(g->popup_return_state, STATE_PLAY_WIN);
  EXPECT_EQ(game_reliable_pending(), 1);
  g_now -= RELIABLE_RESEND_AGE / 2;
  pass();  // a pass while the held entry is younger than a resend period
  EXPECT_EQ(count("scores"), 1u);
  svc.set_mode(WebService::SERVE);
  ASSERT_TRUE(resend_all());
  EXPECT_EQ(svc.accepted().size(), 2u);
  // Taken again by quit: stored then; sent at once by the next run when its stamp is lost.
  go(STATE_MENUS_MAIN);
  svc.set_mode(WebService::DROP);
  rate(5);
  ASSERT_TRUE(sent("urate", 2));
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  outbox("drop trigger refuse");
  stop();
  EXPECT_EQ(outbox("select n from events").len(), 1u);
  outbox("update events set ts = null");
  svc.set_mode(WebService::SERVE);
  start();
  ASSERT_TRUE(delivered());
  EXPECT_EQ(svc.accepted().size(), 3u);
  // Held during play but taken before play ends: no notice after it.
  outbox("create trigger refuse before insert on events begin select raise(abort, 'full'); end");
  ::testing::internal::CaptureStderr();
  play("level01.map");
  rate(4);
  ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(delivered());
  go(STATE_MENUS_MAIN);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  // An outbox file of no use is put aside under the first free name, the
  // very file, nothing kept earlier replaced: the next run's entries are stored anew.
  const std::string db = tmp.file("user/reliable.db");
  const std::function<void()> unusable[] = {[&] { outbox("create table events (a, b)"); },
                                            [&] { mkdir(db.c_str(), 0700); },
                                            [&] { ASSERT_EQ(symlink("/dev/zero", db.c_str()), 0); }};
  std::vector<ino_t> kept;
  for (const auto& make : unusable) {
    stop();
    ASSERT_EQ(std::remove(db.c_str()), 0);
    make();
    struct stat st;
    ASSERT_EQ(lstat(db.c_str(), &st), 0);
    kept.push_back(st.st_ino);
    start();
    for (size_t i = 0; i < kept.size(); i++) {
      std::string name = db + ".bad" + (i ? "." + std::to_string(i) : "");
      EXPECT_TRUE(lstat(name.c_str(), &st) == 0 && st.st_ino == kept[i]) << name;
    }
    rate(2);
    EXPECT_EQ(outbox("select n from events").len(), 1u);
    ASSERT_TRUE(delivered());
  }
  // Values that do not read back as stored: the pass ends, each row with an id carried out once, by (ts, n) from below
  // every integer, then by rowid past rows without an id; a frame removes at most the bound of those taking no slot.
  stop();
  outbox("with recursive i(k) as (select 1 union all select k + 1 from i where k < 49) insert into events (ts,n,name) "
         "select iif(k % 2, k, 'x'), iif(k > 9, 'echo' || k, null), iif(k > 9, 'echo', 'web') from i");
  for (const char* row : {"-5,'neg'", "0,'plain'", "x'31','a'", "4102444800.0000005,'b'", "'soon','c'", "0,7",
                          "99999999999999999999,'d'", "1e300,'e'", "-1e300,'f'", "0,x'67'", "null,'h'", "1.5,x'69'"})
    outbox(std::string("insert into events (ts,n,name,data) values (") + row + ",'web','{\"action\":\"urate\"}')");
  alarm(60);  // a pass that never ends fails here, not at the suite's time-out
  start();
  long echoes = 40, most = 0;
  EXPECT_TRUE(pump([&] {
    long left = outbox("select n from events where name = 'echo'").len();
    most = std::max(most, echoes - left), echoes = left;
    return game_reliable_pending() == 9 && web_requests.empty(); }, &log));  // left: the rows without an id
  alarm(0);
  std::string ids, odd = "neg,7,plain,", even;
  const std::regex said("_do: ([^,]*),|without an id");  // an entry carried out, a row passed over
  for (std::sregex_iterator m(log.begin(), log.end(), said), end; m != end; ++m)
    ids += (*m)[1].matched ? (*m)[1].str() + "," : "-";
  for (int k = 10; k < 50; k++) (k % 2 ? odd : even) += "echo" + std::to_string(k) + ",";
  EXPECT_EQ(ids, odd + "---------" + even + "a,b,c,d,e,f,g,h,i,");
  EXPECT_EQ(most, RELIABLE_MAX_UNSLOTTED);
}

// A pass sends the oldest due entries first, those held in memory among
// the stored ones, never one in flight nor one whose receipt came while it
// waited; however many are due, only a few are in flight at once, and a
// reply to one is cut at a receipt's size.
TEST_F(Online, APassSendsTheOldestFirstAndKeepsFewInFlight) {
  ASSERT_TRUE(settled());
  const size_t entries = 3 * RELIABLE_MAX_IN_FLIGHT, slots = RELIABLE_MAX_IN_FLIGHT;
  // A fixed device id: the same ids, so the same order of entries sharing a stamp, each run.
  game_text_set(g->settings.udid, sizeof g->settings.udid, "0a0b0c0d0e0f-1700000000");
  svc.set_mode(WebService::HOLD);
  rate(1);
  ASSERT_TRUE(pump([&] { return count("urate") == 1; }));
  pass();  // while the entry is in flight
  EXPECT_EQ(web_requests.size(), 1u);
  std::set<std::pair<long, std::string>> by_age{{g_now, svc.requests("urate")[0].receipt()}};
  svc.set_mode(WebService::DROP);
  outbox("create trigger refuse before insert on events when new.data glob '*\"stars\":\"[25]\"*' "
         "begin select raise(abort, 'full'); end");
  for (size_t i = 1; i < entries; i++) {
    g_now += i % 2;  // younger than the held entry, in pairs that share a stamp
    rate(1 + i % 5);
    ASSERT_TRUE(pump([&] { return count("urate") == i + 1 && web_requests.size() == 1; }));
    by_age.insert({i == 2 ? 2 * g_now : g_now, svc.requests("urate").back().receipt()});
  }
  ASSERT_EQ(outbox("select n from events").len(), entries - 5);  // the rest held in memory
  outbox("update events set ts = null where n = '" + svc.requests("urate")[2].receipt() + "'");  // goes after all
  const size_t from = count("urate");

  svc.set_mode(WebService::HOLD);
  pass();
  pass();  // while every slot is taken
  std::vector<std::string> live, oldest;
  for (WebRequest* r : web_requests) live.push_back(r->receipt);
  for (const auto& e : by_age) oldest.push_back(e.second);
  EXPECT_EQ(live, std::vector<std::string>(oldest.begin(), oldest.begin() + slots));
  std::string taken = oldest[slots];  // the next to go
  game_reliable_remove(taken);

  svc.set_reply("urate", {{"X-Response: OK"}, std::string(1 << 20, 'x')});
  svc.set_mode(WebService::SERVE);
  svc.release_held();
  size_t most = 0, biggest = 0;
  std::set<std::string> sent_now(live.begin(), live.end());
  std::string log;
  ASSERT_TRUE(pump([&] {
    size_t open = 0;
    for (WebRequest* r : web_requests) {
      if (r->receipt.empty()) continue;
      open++;
      biggest = std::max(biggest, r->conn->response.size());
    }
    most = std::max(most, open);
    std::vector<WebService::Request> all = svc.requests("urate");
    for (size_t i = from; i < all.size(); i++) sent_now.insert(all[i].receipt());
    return sent_now.size() == entries - 1 && web_requests.empty();
  }, &log));
  // The whole pass in (ts, n) order; of the first few, those still in flight were passed over.
  std::vector<std::string> order, in_order;
  for (size_t at = 0; (at = log.find("_game_reliable_do: ", at)) != std::string::npos; at += 19)
    order.push_back(log.substr(at + 19, 32));
  for (const std::string& id : oldest)
    if (std::find(order.begin(), order.end(), id) != order.end()) in_order.push_back(id);
  EXPECT_EQ(order, in_order);
  EXPECT_EQ(sent_now.count(taken), 0u);
  EXPECT_LE(most, slots);
  EXPECT_LE(biggest, RELIABLE_MAX_REPLY);
  EXPECT_EQ(game_reliable_pending(), static_cast<int>(entries - 1));

  svc.clear_reply("urate");
  ASSERT_TRUE(resend_all());
  EXPECT_EQ(svc.accepted().size(), entries - 1);
}

// An entry goes out under the identity it was signed for, whatever the
// player's account is by then; the device id that anonymous entries are
// signed for is on the disk from the moment it is made. One stamped while
// the clock was set forward is due at once after it is set back.
TEST_F(Online, AnEntryIsDeliveredUnderTheIdentityItWasSignedFor) {
  ASSERT_TRUE(settled());
  Settings on_disk{};
  std::string file = tmp.read("user/settings.dat");
  ASSERT_EQ(file.size(), sizeof on_disk);
  memcpy(&on_disk, file.data(), sizeof on_disk);
  EXPECT_STREQ(on_disk.udid, g->settings.udid);
  std::string anonymous = std::string("a:") + g->settings.udid;

  svc.set_mode(WebService::DROP);
  win("level01.map");
  ASSERT_TRUE(sent("scores", 1));
  g_now += 30 * 86400;
  rate(3);
  ASSERT_TRUE(sent("urate", 1));
  g_now -= 30 * 86400;
  game_text_set(g->settings.name, sizeof g->settings.name, "walker");
  svc.set_mode(WebService::SERVE);
  ASSERT_TRUE(resend_all());
  rate(4);  // made after the change: the account's
  ASSERT_TRUE(delivered());
  EXPECT_TRUE(svc.rejected().empty());
  ASSERT_EQ(svc.accepted().size(), 3u);
  EXPECT_EQ(svc.accepted()[0].query["_uid"], anonymous);
  EXPECT_EQ(svc.accepted()[1].query["_uid"], anonymous);
  EXPECT_EQ(svc.accepted()[2].query["_uid"], "g:walker");
}

// While the name server does not answer the game runs on, the request
// waits for the address and ends at its time-out; once the name server
// answers, its address serves.
TEST_F(Online, ANameServerThatNeverAnswersHoldsNothingUp) {
  ASSERT_TRUE(settled());
  HostCache& cache = tk_host_cache();
  HostCache::Resolver saved = cache.resolver();
  cache.set_resolver(gated_resolver::resolve);
  gated_resolver::close();
  setenv("TUNNELWICK_SERVICE", ("service.test:" + std::to_string(svc.port())).c_str(), 1);
  go(STATE_MENUS_MAIN);
  web_valid_popup(g);
  web_ping(g);
  game_headless_run(30);
  ASSERT_EQ(web_requests.size(), 2u);
  for (WebRequest* r : web_requests) EXPECT_EQ(r->conn->state, HTTP_RESOLVING);
  web_requests[0]->conn->deadline_ms = tk_monotonic_ms() - 1;
  ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_ERROR; }));
  EXPECT_STREQ(g->error_text, WEB_UNREACHED_TEXT);
  EXPECT_EQ(web_requests.size(), 1u);
  gated_resolver::let_answer();
  EXPECT_TRUE(pump([&] { return count("ping") == 2 && web_requests.empty(); }));
  web_ping(g);
  EXPECT_TRUE(pump([&] { return count("ping") == 3 && web_requests.empty(); }));
  EXPECT_EQ(gated_resolver::questions(), 1);
  cache.set_resolver(saved);
  cache.clear();
}

// Header names are read in any letter case: receipts, the reply's state,
// errors, kinds and the map id of a shared map.
TEST_F(Online, RepliesAreReadWhateverTheLetterCaseOfTheirHeaderNames) {
  ASSERT_TRUE(settled());
  LevelMap m{};
  svc.set_map("m1", zpack(std::string(reinterpret_cast<const char*>(&m), sizeof m)), 2);
  svc.set_reply("valid_popup", {{"X-Response: OK", "X-Type: popup"}, "hi"});
  svc.set_reply("valid", {{"X-Response: OK", "X-Error: Nope"}, ""});
  for (WebService::HeaderCase c : {WebService::LOWER, WebService::UPPER, WebService::MIXED}) {
    svc.set_header_case(c);
    rate(2);
    ASSERT_TRUE(delivered()) << c;
    go(STATE_MENUS_MAIN);
    web_valid_popup(g);
    ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_POPUP; })) << c;
    go(STATE_MENUS_MAIN);
    web_valid(g);
    ASSERT_TRUE(pump([&] { return g->state == STATE_MENUS_ERROR; })) << c;
    EXPECT_STREQ(g->error_text, "Nope");
    go(STATE_MENUS_COMMUNITY);
    web_uplay(g, "m1");
    ASSERT_TRUE(pump([&] { return g->state == STATE_PLAY_INTRO; })) << c;
    EXPECT_STREQ(g->map_id, "m1");
  }
}
