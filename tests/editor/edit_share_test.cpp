// Sharing against the loopback web service: a map proven by a won
// play-test goes up once, without the player's file path, and counts as
// shared only when the service took it.
#include <stdlib.h>
#include <zlib.h>

#include <cstring>
#include <functional>

#include "editor/edit_main.h"
#include "editor/edit_share.h"
#include "editor/editor.h"
#include "gfx/transition.h"
#include "editor_fixture.h"
#include "game/headless.h"
#include "game/levels_db.h"
#include "game/settings.h"
#include "online/online.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "support/web_pump.h"
#include "support/web_service.h"
#include "util/encode.h"

namespace editor_test {
namespace {

const int PLAYER = 32, EXIT = 40, FLOOR = 2;

struct EditShareTest : EditorGame {
  WebService svc;

  void SetUp() override {
    EditorGame::SetUp();
    setenv("TUNNELWICK_SERVICE", svc.address().c_str(), 1);
    online_install_hooks(&game_hooks);
    boot();
  }
  void TearDown() override {
    EditorGame::TearDown();
    web_requests_clear();
    web_messages_clear();
    unsetenv("TUNNELWICK_SERVICE");
  }
  // Runs frames until every request has ended; false after 5 s.
  bool settle_web() {
    return pump_until([] { game_headless_run(1); }, [] { return web_requests.empty(); });
  }
  Widget* share_button() { return find_by_code(&current()->root, SHARE_ACT_SHARE); }
  void open_share() {
    key(GK_ESCAPE);
    settle();
    ASSERT_EQ(g->state, STATE_EDIT_MENU);
    click("Share");
    settle();
    ASSERT_EQ(g->state, STATE_EDIT_SHARE);
  }
};

TEST_F(EditShareTest, AProvenMapGoesUpOnceAndEditsHideShareAgain) {
  new_map_in_editor();
  // A player beside the exit, played and won with the mouse and keys.
  g->level.map.current_tile = PLAYER;
  click_cell(64, 66);
  g->level.map.current_tile = EXIT;
  click_cell(65, 66);
  open_share();
  EXPECT_EQ(share_button(), nullptr);
  click("Play / Test");
  settle();
  ASSERT_EQ(g->state, STATE_PLAY_INTRO);
  action(EVT_KEYDOWN, ACT_UP);
  action(EVT_KEYUP, ACT_UP);
  settle();
  ASSERT_EQ(g->state, STATE_PLAY);
  action(EVT_KEYDOWN, ACT_RIGHT);
  for (int i = 0; i < 300 && g->state == STATE_PLAY; i++) game_headless_run(1);
  action(EVT_KEYUP, ACT_RIGHT);
  settle();
  ASSERT_EQ(g->state, STATE_PLAY_WIN);
  g->transition(TRANS_NONE, STATE_EDIT_MAIN);
  edit_text_to_slot(g->level.map.text[LEVEL_TEXT_PATH], "/home/someone/secret.map");
  open_share();

  Widget* share = share_button();
  ASSERT_NE(share, nullptr);
  click(share);
  settle();
  EXPECT_EQ(g->state, STATE_EDIT_MENU);
  ASSERT_TRUE(settle_web());
  ASSERT_EQ(svc.requests("ushare").size(), 1u);
  std::string data = base64_decode(WebService::Request::field(svc.requests("ushare")[0].form, "data"));
  LevelMap sent;
  uLongf len = sizeof sent;
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&sent), &len, reinterpret_cast<const Bytef*>(data.data()),
                       data.size()),
            Z_OK);
  EXPECT_EQ(len, sizeof sent);
  EXPECT_EQ(sent.text[LEVEL_TEXT_PATH][0], 0);
  EXPECT_EQ(sent.share_changes, g->level.map.changes);
  EXPECT_EQ(std::memcmp(sent.grid, g->level.map.grid, sizeof sent.grid), 0);
  // Taken by the service: the stored map is marked, the path kept at home.
  ASSERT_TRUE(levels_load(g, game_db(GAME_DB_USER)));
  EXPECT_EQ(g->level.map.share_changes, g->level.map.changes);
  EXPECT_STREQ(g->level.map.text[LEVEL_TEXT_PATH], "/home/someone/secret.map");

  // One more cell drawn: Share is gone, the re-share warning shows.
  click("Edit Map");
  settle();
  g->level.map.current_tile = FLOOR + 2;
  click_cell(40, 40);
  open_share();
  EXPECT_EQ(share_button(), nullptr);
  EXPECT_NE(find_label(&current()->root,
                       "Warning!  Re-sharing this map will reset all scores and ratings.  Only re-share a map if "
                       "you REALLY need to."),
            nullptr);
}

TEST_F(EditShareTest, AFailedUploadLeavesTheMapUnsharedAndSaysSo) {
  new_map_in_editor();
  LevelMap& m = g->level.map;
  m.win_changes = m.changes;  // proven
  open_share();
  svc.set_mode(WebService::DROP);
  click(share_button());
  settle();
  ASSERT_TRUE(settle_web());
  settle();
  EXPECT_EQ(g->state, STATE_MENUS_ERROR);
  EXPECT_STREQ(g->error_text, "Error sharing map.");
  EXPECT_EQ(g->level.map.share_changes, 0);
  ASSERT_TRUE(levels_load(g, game_db(GAME_DB_USER)));
  EXPECT_EQ(g->level.map.share_changes, 0);
}

}  // namespace
}  // namespace editor_test
