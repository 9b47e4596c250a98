// The community browser against the loopback web service, through the
// game's headless entry: the pages it asks for, the layout of what comes
// back, the entry actions, a shared map played and won, and pages the
// screen must not trust.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "driver/driver.h"
#include "game/headless.h"
#include "game/level_map.h"
#include "game/pack.h"
#include "menus/menus.h"
#include "menus/menus_community.h"
#include "menus_fixture.h"
#include "online/online.h"
#include "online/web_config.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "support/web_pump.h"
#include "support/web_service.h"
#include "util/json.h"
#include "gfx/text.h"

using namespace menus_test;

namespace {

// The dialog frame's rounded ends take this much of each side.
const float kFrameEnd = 8;

// Where the label draws its widest line, in view units: [*x0, *x1).
void text_extent(Label* l, float* x0, float* x1) {
  float lx, ly;
  l->abs_pos(&lx, &ly);
  float lw = 0;
  float wrap = l->shas(SW_WIDTH) ? l->cw : 0;
  for (const std::string& line : text_wrap(l->font, l->text, wrap)) lw = std::max(lw, text_width(l->font, line));
  int align = l->style.get_or(SW_ALIGN, -1);
  *x0 = lx + l->cx + (align == 0 ? (l->cw - lw) / 2 : align > 0 ? l->cw - lw : 0);
  *x1 = *x0 + lw;
}

int count_labels(Widget* w, const std::string& text) {
  int n = 0;
  if (Label* l = dynamic_cast<Label*>(w)) n += l->text == text;
  if (Container* c = dynamic_cast<Container*>(w))
    for (Widget* child : c->children) n += count_labels(child, text);
  return n;
}

// Every text of the tree lies within [left, right) and clear of the
// rounded ends of every frame around it.
void expect_texts_within(Widget* w, float left, float right) {
  if (w->style.get_or(SW_FRAME_IMG, 0)) {
    float fx, fy;
    w->abs_pos(&fx, &fy);
    left = std::max(left, fx + w->style.get_or(SW_MARGIN + 3, 0) + kFrameEnd);
    right = std::min(right, fx + w->w - w->style.get_or(SW_MARGIN + 1, 0) - kFrameEnd);
  }
  if (Label* l = dynamic_cast<Label*>(w)) {
    float x0, x1;
    text_extent(l, &x0, &x1);
    EXPECT_GE(x0, left - 0.5f) << l->text;
    EXPECT_LE(x1, right + 0.5f) << l->text;
  }
  if (Container* c = dynamic_cast<Container*>(w))
    for (Widget* child : c->children) expect_texts_within(child, left, right);
}

struct Community : MenusGame {
  WebService svc;

  void SetUp() override {
    MenusGame::SetUp();
    setenv("TUNNELWICK_SERVICE", svc.address().c_str(), 1);
    game_hooks.register_menu_states = register_menu_states;
    online_install_hooks(&game_hooks);
  }
  void TearDown() override {
    MenusGame::TearDown();
    web_requests_clear();
    web_messages_clear();
  }
  // Frames until done() holds, waiting briefly on the loopback socket.
  bool pump(const std::function<bool()>& done) { return pump_until([] { game_headless_run(1); }, done); }
  bool replied() {
    return pump([] { return web_requests.empty(); });
  }
  MenusCommunity* screen() { return static_cast<MenusCommunity*>(state_get(STATE_MENUS_COMMUNITY)); }
  std::vector<std::string> queries() {
    std::vector<std::string> q;
    for (const WebService::Request& r : svc.requests("uquery")) q.push_back(r.form.at("q"));
    return q;
  }
  void serve(const std::string& json) { svc.set_reply("uquery", {{"X-Response: OK", "X-Type: uquery"}, json}); }
  // Shows the page as if the service had sent it.
  void show(const std::string& json) {
    var page;
    ASSERT_EQ(json_parse(json.data(), json.size(), page), 0);
    screen()->call(var_list("uquery", page));
  }
  void type(const std::string& text) {
    for (char c : text) {
      Event e(EVT_KEYDOWN);
      e[EVW_CHAR] = c;
      game_headless_event(e);
    }
  }
  Table* entries() { return static_cast<Table*>(current()->root.find("home")->parent->children[0]); }
  // The rows of the entries table, in order.
  std::vector<Widget*> rows() { return entries()->children; }
  // The page laid out keeps the list's width, and every text in it is
  // whole within the list and clear of the ends of its frame.
  void expect_readable() {
    game_headless_run(1);
    Table* t = entries();
    EXPECT_EQ(t->w, COMMUNITY_LIST_W);
    float x, y;
    t->abs_pos(&x, &y);
    expect_texts_within(t, x, x + COMMUNITY_LIST_W);
  }
};

}  // namespace

TEST_F(Community, AsksForPagesAndActsOnTheirEntries) {
  boot();
  click("Community Maps");
  ASSERT_TRUE(replied());
  settle();
  EXPECT_EQ(queries(), std::vector<std::string>{"@default"});
  EXPECT_NE(find_label(&current()->root, "@default"), nullptr);  // the service's title
  EXPECT_EQ(find_button(&current()->root, "Back to Home"), nullptr);
  EXPECT_EQ(focused(), current()->root.find("home"));

  // A search from the box, with Return and with the button: at most 31
  // characters of it.
  select(current()->root.find("search"));
  type(std::string(40, 'a'));
  game_headless_run(1);
  key(GK_RETURN);
  ASSERT_TRUE(replied());
  click("Search");
  ASSERT_TRUE(replied());
  std::string search = "~" + std::string(31, 'a');
  EXPECT_EQ(queries(), (std::vector<std::string>{"@default", search, search}));
  EXPECT_NE(find_button(&current()->root, "Back to Home"), nullptr);
  click(current()->root.find("home"));
  ASSERT_TRUE(replied());
  click(current()->root.find("home")->parent->children[2]);  // restart
  ASSERT_TRUE(replied());
  EXPECT_EQ(queries().back(), "@home");
  EXPECT_EQ(queries().size(), 5u);

  // The entries' own actions; only http and https links leave the game.
  serve(R"([{"type":"button","text":"Far","action":"query","value":")" + std::string(300, 'q') + R"("},
            {"type":"level","title":"Moat","uname":"ann","id":"m 1","stars":3},
            {"type":"button","text":"Web","action":"olink","value":"http://example.org/x"},
            {"type":"button","text":"File","action":"link","value":"file:///etc/passwd"},
            {"type":"button","text":"Ask","action":"qlink","value":"k&1"}])");
  click(current()->root.find("home"));
  ASSERT_TRUE(replied());
  click("Web");
  EXPECT_EQ(g_driver->last_weblink, "http://example.org/x");
  ::testing::internal::CaptureStderr();
  click("File");
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(g_driver->last_weblink, "http://example.org/x");
  click("Ask");
  ASSERT_TRUE(replied());
  ASSERT_EQ(svc.requests("qlink").size(), 1u);
  EXPECT_EQ(svc.requests("qlink")[0].form.at("q"), "k&1");
  click("Leaderboard");
  EXPECT_EQ(g_driver->last_weblink, web_scores_url(WEB_PAGE_USCORES, "m 1", g->settings.uid));
  EXPECT_NE(g_driver->last_weblink.find("lid=m%201&"), std::string::npos);
  click("More");
  ASSERT_TRUE(replied());
  EXPECT_EQ(queries().back(), "+m 1");
  click("Far");
  ASSERT_TRUE(replied());
  EXPECT_EQ(queries().back(), std::string(255, 'q'));

  // Escape leaves, also from the search box.
  select(current()->root.find("search"));
  key(GK_ESCAPE);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);

  // A page that comes after the player left is not shown; coming back
  // finds no request open and asks again.
  settle();
  click("Community Maps");
  settle();
  svc.set_mode(WebService::HOLD);
  size_t asked = queries().size() + 1;
  click(current()->root.find("home"));
  ASSERT_TRUE(pump([&] { return queries().size() == asked; }));
  key(GK_ESCAPE);
  settle();
  svc.set_mode(WebService::SERVE);
  svc.release_held();
  ASSERT_TRUE(replied());
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  click("Community Maps");
  settle();
  ASSERT_TRUE(replied());
  EXPECT_EQ(queries().size(), asked + 1);
  EXPECT_NE(find_button(&current()->root, "Web"), nullptr);  // the service's page

  // Coming back while the request is still open asks nothing more and
  // shows how that request ends.
  svc.set_mode(WebService::HOLD);
  click(current()->root.find("home")->parent->children[2]);  // restart
  ASSERT_TRUE(pump([&] { return queries().size() == asked + 2; }));
  key(GK_ESCAPE);
  settle();
  click("Community Maps");
  settle();
  game_headless_run(5);
  EXPECT_EQ(queries().size(), asked + 2);
  EXPECT_NE(find_label(&current()->root, "Loading data ..."), nullptr);
  svc.set_mode(WebService::DROP);
  svc.set_reply("uquery", {{"X-Response: busy"}, ""});
  ::testing::internal::CaptureStderr();
  svc.release_held();
  ASSERT_TRUE(replied());
  ::testing::internal::GetCapturedStderr();
  EXPECT_NE(find_label(&current()->root, COMMUNITY_FAILED_TEXT), nullptr);

  // A request that gets no page says so instead of loading for ever; the
  // restart icon asks again.
  Widget* restart = current()->root.find("home")->parent->children[2];
  for (WebService::Mode mode : {WebService::DROP, WebService::SERVE}) {
    svc.set_mode(mode);
    if (mode == WebService::SERVE) serve("not a page");
    ::testing::internal::CaptureStderr();
    click(restart);
    ASSERT_TRUE(replied());
    ::testing::internal::GetCapturedStderr();
    restart = current()->root.find("home")->parent->children[2];
    EXPECT_NE(find_label(&current()->root, COMMUNITY_FAILED_TEXT), nullptr);
  }
  serve(R"([{"type":"title","text":"back"}])");
  click(restart);
  ASSERT_TRUE(replied());
  EXPECT_EQ(find_label(&current()->root, COMMUNITY_FAILED_TEXT), nullptr);
  EXPECT_NE(find_label(&current()->root, "back"), nullptr);
}

TEST_F(Community, LaysOutEveryEntryTypeAndDistrustsThePage) {
  boot();
  click("Community Maps");
  ASSERT_TRUE(replied());
  settle();
  const std::string tab = R"({"type":"tab","text":"T","width":60,"action":"query","value":"t"})";
  // Tabs, then a text: one boxed row of three tabs, then the paragraph; the
  // button after them is the fourth entry and carries its own index.
  show("[" + tab + "," + tab + "," + tab + R"(,{"type":"button","text":"B","action":"query","value":"b"}])");
  std::vector<Widget*> r = rows();
  ASSERT_EQ(r.size(), 3u);  // tabs, button, the closing line
  ASSERT_NE(dynamic_cast<Box*>(r[0]), nullptr);
  EXPECT_EQ(static_cast<Table*>(static_cast<Box*>(r[0])->content())->children.size(), 3u);
  EXPECT_EQ(find_button(&current()->root, "B")->click_code, COMMUNITY_ACT_ENTRY + 3);
  // Tabs at the end; a break between tab rows; a level as the fourth entry.
  show("[" + tab + R"(,{"type":"break"},)" + tab + "," + tab + "]");
  r = rows();
  ASSERT_EQ(r.size(), 4u);  // tab row, break, tab row, line
  EXPECT_NE(dynamic_cast<Box*>(r[0]), nullptr);
  EXPECT_EQ(dynamic_cast<Box*>(r[2]), nullptr);  // the last row of tabs stands bare
  EXPECT_EQ(static_cast<Table*>(r[2])->children.size(), 2u);
  show(R"([{"type":"title","text":"A"},{"type":"text","text":"B"},{"type":"stars","value":2},
           {"type":"level","title":"L","u_stars":0.9,"stars":4}])");
  EXPECT_EQ(find_button(&current()->root, "Leaderboard")->click_code, COMMUNITY_ACT_ENTRY_LEADERBOARD + 3);
  EXPECT_EQ(find_button(&current()->root, "More")->click_code, COMMUNITY_ACT_ENTRY_MORE + 3);
  Table* play = static_cast<Table*>(find_button(&current()->root, "L"));
  Stars* rating = static_cast<Stars*>(static_cast<Box*>(play->children[2])->content());
  EXPECT_EQ(rating->value, 4.0f);  // 0.9 of the player's own counts as none
  // A long page scrolls with the wheel although the home icon at its top
  // keeps the focus.
  std::string lines = "[";
  for (int i = 0; i < 40; i++) lines += R"({"type":"text","text":"line"},)";
  show(lines + R"({"type":"break"}])");
  ScrollBox* list = static_cast<ScrollBox*>(current()->root.find("home")->parent->parent);
  Event wheel(EVT_WHEEL);
  menus_test::centre(list, &wheel[EVW_X], &wheel[EVW_Y]);
  wheel[EVW_WHEEL] = 1;
  for (int i = 0; i < 3; i++) {
    game_headless_event(wheel);
    game_headless_run(1);
  }
  EXPECT_EQ(list->scroll_y, 3 * SCROLL_WHEEL_STEP);
  EXPECT_EQ(focused(), current()->root.find("home"));
  // Every entry is readable within the list: ordinary texts whole (the
  // heading, tab, map title, author, paragraph and button of a name), long
  // ones cut or wrapped, none over a frame's ends or past the list.
  for (const std::string& t : {std::string("Peer Anderson"), std::string(COMMUNITY_TEXT_MAX, 'W'),
                               std::string("W\xc3\xa9ll ") + std::string(300, 'm') + " tunnel"}) {
    SCOPED_TRACE(t.substr(0, 20));
    std::string q = R"(",")";
    show(R"([{"type":"title","text":")" + t + R"("},{"type":"tab","width":150,"text":")" + t +
         R"("},{"type":"level","id":"1","stars":3,"title":")" + t + q + R"(uname":")" + t +
         R"("},{"type":"text","text":")" + t + R"("},{"type":"button","text":")" + t +
         R"("},{"type":"stars","value":3},{"type":"u_stars","value":4}])");
    expect_readable();
    if (t.size() < 20) {
      EXPECT_EQ(count_labels(&current()->root, t), 6);
    }
  }
  // The ratings are named, the player's own apart from the map's.
  Widget* map_rating = find_label(&current()->root, COMMUNITY_RATING_TEXT);
  Widget* own_rating = find_label(&current()->root, COMMUNITY_OWN_RATING_TEXT);
  ASSERT_NE(map_rating, nullptr);
  ASSERT_NE(own_rating, nullptr);
  // A row of tabs keeps apart from the heading above it.
  show(R"([{"type":"title","text":"Maps"},{"type":"tab","text":"New","width":100},{"type":"break"}])");
  game_headless_run(1);
  float hx, hy, tx, ty;
  find_label(&current()->root, "Maps")->abs_pos(&hx, &hy);
  find_button(&current()->root, "New")->abs_pos(&tx, &ty);
  EXPECT_GE(ty, hy + find_label(&current()->root, "Maps")->h + 4);
  // An empty page is a page without entries, not one still loading.
  show("[]");
  EXPECT_EQ(rows().size(), 1u);  // the closing line
  EXPECT_EQ(find_label(&current()->root, "Loading data ..."), nullptr);
  EXPECT_EQ(find_button(&current()->root, "Back to Home"), nullptr);

  // Hostile pages: huge texts are cut, odd numbers tamed, unknown images
  // and types build nothing but keep their index.
  std::string junk;
  for (int i = 0; i < 10000; i++) junk += ",1";
  ::testing::internal::CaptureStderr();
  show(R"([{"type":"text","text":")" + std::string(100000, 'x') + R"(","junk":[0)" + junk + R"(]},
           {"type":"tab","text":{"a":1},"width":1e300},{"type":"image","src":"no-such-image"},
           {"type":7},{"type":"button","text":"Z"}])");
  EXPECT_EQ(find_label(&current()->root, std::string(COMMUNITY_TEXT_MAX, 'x')) != nullptr, true);
  // Only what the screen reads is kept of the page.
  EXPECT_EQ(json_dump(screen()->page[0]), R"({"text":")" + std::string(COMMUNITY_TEXT_MAX, 'x') + R"(","type":"text"})");
  EXPECT_EQ(find_button(&current()->root, "Z")->click_code, COMMUNITY_ACT_ENTRY + 4);
  std::string many = "[";
  for (int i = 0; i < 70000; i++) many += R"({"type":"x"},)";
  many += R"({"type":"button","text":"last"}])";
  show(many);
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(find_button(&current()->root, "last"), nullptr);
  EXPECT_EQ(screen()->page.len(), static_cast<size_t>(COMMUNITY_MAX_ENTRIES));
  EXPECT_NE(log.find("community: " + std::to_string(70001 - COMMUNITY_MAX_ENTRIES) + " entries of the page dropped"),
            std::string::npos);
  // A page that is no list is reported on the error screen.
  show(R"({"type":"title"})");
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_ERROR);
}

TEST_F(Community, ASharedMapIsPlayedWonScoredOnceAndLeadsBack) {
  start();
  // A corridor with the exit two cells right of the player.
  std::memset(static_cast<void*>(&g->level), 0, sizeof(Level));
  LevelMap& m = g->level.map;
  for (int x = 58; x <= 64; x++)
    for (int y = 59; y <= 61; y++) m.grid[y * MAP_W + x] = y == 60 && x >= 60 && x <= 62 ? 2 : 1;
  m.grid[60 * MAP_W + 60] = 32;  // player
  m.grid[60 * MAP_W + 62] = 40;  // exit
  std::strcpy(m.text[LEVEL_TEXT_TITLE], "Corridor");
  svc.set_map("c1", game_pack_level(g), 2);
  serve(R"([{"type":"level","title":"Corridor","uname":"bo","id":"c1","stars":2}])");
  settle();
  click("Community Maps");
  ASSERT_TRUE(replied());
  settle();
  click(find_button(&current()->root, "Corridor"));
  ASSERT_TRUE(pump([&] { return g->state == STATE_PLAY_INTRO; }));
  EXPECT_EQ(g->return_menu, STATE_MENUS_COMMUNITY);
  settle();
  action(EVT_KEYDOWN, ACT_RIGHT);
  ASSERT_TRUE(pump([&] { return g->state == STATE_PLAY; }));
  settle();
  action(EVT_KEYDOWN, ACT_RIGHT);
  ASSERT_TRUE(pump([&] { return g->state == STATE_PLAY_WIN; }));
  action(EVT_KEYUP, ACT_RIGHT);
  ASSERT_TRUE(pump([&] { return svc.accepted().size() == 1; }));
  EXPECT_EQ(svc.accepted()[0].action(), "uscores");
  settle();
  key(GK_RETURN);  // "Continue"
  settle();
  ASSERT_TRUE(replied());
  EXPECT_EQ(g->state, STATE_MENUS_COMMUNITY);
  EXPECT_NE(find_button(&current()->root, "Corridor"), nullptr);  // the page kept
  EXPECT_EQ(svc.requests("uscores").size(), 1u);
}
