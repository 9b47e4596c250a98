// The community browser in a real window against the loopback web service:
// a page drawn, a search typed into the box and sent; leaving while a page
// is on its way and coming back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "menus/community_page.h"
#include "menus/menus.h"
#include "online/online.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "support/web_pump.h"
#include "support/web_service.h"
#include "window_input.h"

namespace {

struct CommunityWindow : WindowInput {
  WebService svc;
  void install_hooks() override {
    setenv("TUNNELWICK_SERVICE", svc.address().c_str(), 1);
    game_hooks.register_menu_states = register_menu_states;
    online_install_hooks(&game_hooks);
  }
  void TearDown() override {
    WindowInput::TearDown();
    web_requests_clear();
    web_messages_clear();
    unsetenv("TUNNELWICK_SERVICE");
  }
  // Frames until every request has its reply, waiting briefly on the
  // loopback socket.
  bool replied() {
    return pump_until([this] { frames(1); }, [] { return web_requests.empty(); });
  }
};

}  // namespace

TEST_F(CommunityWindow, APageIsDrawnAndASearchTypedAndSent) {
  frames(20);
  click(menus_test::find_button(&root(), "Community Maps"));
  ASSERT_TRUE(replied());
  frames(20);
  ASSERT_EQ(g->state, STATE_MENUS_COMMUNITY);
  ASSERT_NE(find_label(&root(), "@default"), nullptr);

  click(root().find("search"));
  for (char c : std::string("moat")) tap(SDLK_a + (c - 'a'), c);
  tap(SDLK_RETURN);
  ASSERT_TRUE(replied());
  frames(5);
  ASSERT_EQ(svc.requests("uquery").back().form.at("q"), "~moat");

  // The service's answer is on the screen: without its text the picture
  // differs where the layout put it.
  Label* title = find_label(&root(), "~moat");
  ASSERT_NE(title, nullptr);
  float x, y;
  title->abs_pos(&x, &y);
  float w = title->w, h = title->h;
  Picture page = settled_picture(g);
  title->text = "";
  Picture blank = settled_picture(g);
  EXPECT_GT(changed(page, blank, x, y, w, h), 20);
  EXPECT_EQ(changed(page, blank, g_view.x0, y + h + 2, g_view.w, 640 - y - h - 2), 0);
}

// The screen never says it is loading while nothing loads: the failure of a
// request that ended while the player was away is shown on return, and a
// page dropped while away is asked for again.
TEST_F(CommunityWindow, LeavingWhileAPageLoadsNeverLeavesItLoading) {
  frames(20);
  click(menus_test::find_button(&root(), "Community Maps"));
  ASSERT_TRUE(replied());
  frames(20);
  for (bool fails : {true, false}) {
    size_t asked = svc.requests("uquery").size();
    svc.set_mode(WebService::HOLD);
    click(root().find("home")->parent->children[2]);  // restart
    pump_until([this] { frames(1); }, [&] { return svc.requests("uquery").size() != asked; });
    tap(SDLK_ESCAPE);
    frames(20);
    ASSERT_EQ(g->state, STATE_MENUS_MAIN);
    svc.set_mode(WebService::SERVE);
    if (fails) svc.set_reply("uquery", {{"X-Response: busy"}, ""});
    ::testing::internal::CaptureStderr();
    svc.release_held();
    ASSERT_TRUE(replied());
    ::testing::internal::GetCapturedStderr();
    svc.set_reply("uquery", {{"X-Response: OK", "X-Type: uquery"}, R"([{"type":"title","text":"again"}])"});
    click(menus_test::find_button(&root(), "Community Maps"));
    ASSERT_TRUE(replied());
    frames(20);
    EXPECT_EQ(svc.requests("uquery").size(), asked + (fails ? 1 : 2));
    EXPECT_EQ(find_label(&root(), COMMUNITY_FAILED_TEXT) != nullptr, fails);
    EXPECT_EQ(find_label(&root(), "again") != nullptr, !fails);
    EXPECT_EQ(find_label(&root(), "Loading data ..."), nullptr);
  }
}
