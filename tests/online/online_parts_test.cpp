// The outbox, the submissions' signature, the social document and the
// service address, without a running game.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "game/game.h"
#include "game/paths.h"
#include "online/reliable.h"
#include "online/social.h"
#include "online/submit.h"
#include "online/web_config.h"
#include "online/web_request.h"
#include "support/temp_dir.h"
#include "util/db.h"
#include "util/encode.h"
#include "util/json.h"

namespace {

long g_now = 1700000000;
long fake_clock() { return g_now; }

struct Parts : ::testing::Test {
  TempDir tmp;
  void SetUp() override {
    game_set_dirs(tmp.path(), tmp.path());
    game_reliable_set_clock(fake_clock);
    ::testing::internal::CaptureStderr();
    game_reliable_init(nullptr);
  }
  void TearDown() override {
    ::testing::internal::GetCapturedStderr();
    game_reliable_set_clock(nullptr);
    game_set_dirs("", "");
  }
  var rows(const std::string& dir = "") {
    DBWrap db;
    db_open(db, tmp.file(dir + "reliable.db"));
    return db_query(db, "select * from events");
  }
};

}  // namespace

// Without a running game nothing is sent, so every "web" entry stays.
TEST_F(Parts, OutboxCountsItsEntriesAndKeepsWhatItCouldNotStore) {
  var payload = var_dict("action", "scores", "post", var_dict("a", "1"));
  std::string a = game_reliable_add("web", payload);
  std::string b = game_reliable_add("web", payload);
  EXPECT_NE(a, b);  // same second, same payload
  EXPECT_EQ(a.size(), 32u);
  // Another run in the same second counts from the start again, and still
  // makes an id no stored entry has.
  game_set_dirs(tmp.path(), tmp.file("elsewhere"));
  game_reliable_init(nullptr);
  game_set_dirs(tmp.path(), tmp.path());
  game_reliable_init(nullptr);
  std::string again = game_reliable_add("web", payload);
  EXPECT_NE(again, a);
  EXPECT_NE(again, b);
  EXPECT_EQ(game_reliable_pending(), 3);
  game_reliable_remove(again);
  game_reliable_add("echo", var_dict("x", 1));  // logged and removed at once
  game_reliable_add("other", var());
  EXPECT_EQ(game_reliable_pending(), 2);
  // Receipts for unknown or already removed ids change no count.
  game_reliable_remove("0123");
  game_reliable_remove(a);
  game_reliable_remove(a);
  EXPECT_EQ(game_reliable_pending(), 1);
  EXPECT_EQ(var_str(rows()[0]["n"]), b);
  EXPECT_EQ(json_dump(json_load(rows()[0]["data"].str())), json_dump(payload));

  // An entry whose insert fails stays for the run and is stored later.
  {
    DBWrap db;
    db_open(db, tmp.file("reliable.db"));
    db_query(db, "drop table events");
  }
  std::string c = game_reliable_add("web", payload);
  std::string d = game_reliable_add("web", payload);
  EXPECT_EQ(game_reliable_pending(), 2);
  game_reliable_remove(d);  // a receipt for an entry held in memory
  EXPECT_EQ(game_reliable_pending(), 1);
  game_reliable_loop();
  EXPECT_EQ(game_reliable_pending(), 1);
  ASSERT_EQ(rows().len(), 1u);
  EXPECT_EQ(var_str(rows()[0]["n"]), c);
  EXPECT_EQ(rows()[0]["ts"].lnum(), g_now);
  // So does one whose database could not be opened: the next pass opens it.
  game_set_dirs(tmp.path(), tmp.file("later"));
  game_reliable_init(nullptr);
  std::string e = game_reliable_add("web", payload);
  ASSERT_EQ(mkdir(tmp.file("later").c_str(), 0700), 0);
  game_reliable_loop();
  EXPECT_EQ(var_str(rows("later/")[0L]["n"]), e);
}

TEST_F(Parts, RatingIsSignedWithTheUidMapAndStars) {
  Game* g = new Game();
  memset(static_cast<void*>(g), 0, sizeof *g);
  game_text_set(g->settings.udid, sizeof g->settings.udid, "x");  // anonymous: uid a:x
  game_text_set(g->current_level_id, sizeof g->current_level_id, "12");
  submit_urate(g, 3);
  delete g;
  ASSERT_EQ(rows().len(), 1u);
  var payload = json_load(rows()[0]["data"].str());
  var post = payload["post"];
  EXPECT_EQ(var_str(post["sid"]), md5_hex(std::string("573126hjkwqZPLmnbvcXT|a:x|12|3")));
  EXPECT_EQ(var_str(payload["identity"]["uid"]), "a:x");  // what it is delivered under
  // The anonymous token mixes in the word the service shares with the game.
  EXPECT_EQ(var_str(payload["identity"]["token"]), md5_hex("a:x|" + md5_hex(std::string("tapir"))));
  EXPECT_EQ(var_str(post["stars"]), "3");
  EXPECT_EQ(var_str(post["lid"]), "12");

  // An identity stored with an entry comes back field for field; one that
  // lacks a field, or holds one that is no text, is none.
  const WebIdentity as{"u", "n", "t", "d"};
  WebIdentity back;
  ASSERT_TRUE(web_identity_from_var(web_identity_var(as), &back));
  EXPECT_EQ(std::vector<std::string>({back.uid, back.name, back.token, back.udid}),
            std::vector<std::string>({"u", "n", "t", "d"}));
  for (const char* key : {"uid", "name", "token", "udid"}) {
    var v = web_identity_var(as);
    v.set(key, 1);
    EXPECT_FALSE(web_identity_from_var(v, &back)) << key;
  }
}

TEST_F(Parts, SocialDocumentFollowsTheSignedInUser) {
  std::string nobody = tmp.file(md5_hex(std::string()) + "-social.json");
  tmp.write(md5_hex(std::string()) + "-social.json", "{\"keep\":1}");
  social_get();  // no Steam user: nobody signs in
  EXPECT_EQ(social_uuid(), "");
  EXPECT_EQ(social_name(), "");
  social_shutdown();
  EXPECT_EQ(tmp.read(md5_hex(std::string()) + "-social.json"), "{\"keep\":1}");

  std::string file_b = md5_hex(std::string("s:00b")) + "-social.json";
  tmp.write(file_b, "[1,2]");
  social_login("s", "00a", "Ann");
  EXPECT_EQ(social_uuid(), "s:00a");
  social_holder->operator[]("leaderboard").set("best", 7);
  social_login("s", "00a", "Ann");  // the same user: nothing happens
  social_login("s", "00b", nullptr);
  EXPECT_EQ(social_name(), "guest");
  EXPECT_TRUE((*social_holder)["leaderboard"].is_dict());
  var a = json_load(tmp.read(md5_hex(std::string("s:00a")) + "-social.json"));
  EXPECT_EQ(var_str(a["user"]["name"]), "Ann");
  EXPECT_EQ(a["leaderboard"]["best"].lnum(), 7);
  tmp.write(file_b, "{\"user\":{\"uuid\":\"evil\"},\"extra\":\"x\"}");
  social_user_load();
  EXPECT_EQ(social_uuid(), "s:00b");
  EXPECT_EQ(var_str((*social_holder)["extra"]), "x");
  social_shutdown();
  EXPECT_EQ(social_holder, nullptr);
  EXPECT_EQ(var_str(json_load(tmp.read(file_b))["user"]["network_id"]), "00b");

  // A document that cannot be written says why and answers false.
  social_login("s", "00c", "Cy");
  game_set_dirs(tmp.path(), tmp.file("gone"));
  ::testing::internal::GetCapturedStderr();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(social_doc_store());
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("No such file or directory"), std::string::npos);
  ::testing::internal::CaptureStderr();
  social_shutdown();
}

TEST(WebConfig, ServiceHostAndPortComeFromTheEnvironment) {
  unsetenv("TUNNELWICK_SERVICE");
  EXPECT_EQ(web_host(), WEB_DEFAULT_HOST);
  EXPECT_EQ(web_port(), 80);
  EXPECT_EQ(web_page_url(WEB_PAGE_FAN), std::string("http://") + WEB_DEFAULT_HOST + "/tunnelwick/like.php");
  setenv("TUNNELWICK_SERVICE", "127.0.0.1:8080", 1);
  EXPECT_EQ(web_host(), "127.0.0.1");
  EXPECT_EQ(web_port(), 8080);
  EXPECT_EQ(web_scores_url(WEB_PAGE_USCORES, "m 1", "a:b"),
            "http://127.0.0.1:8080/tunnelwick/uscores.php?lid=m%201&uid=a%3ab");
  setenv("TUNNELWICK_SERVICE", "games.test", 1);
  EXPECT_EQ(web_host(), "games.test");
  EXPECT_EQ(web_port(), 80);
  // A port that is none is said once, and the default port serves.
  setenv("TUNNELWICK_SERVICE", "games.test:http", 1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(web_port(), 80);
  EXPECT_EQ(web_host(), "games.test");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "TUNNELWICK_SERVICE: 'http' is no port; using 80\n");
  unsetenv("TUNNELWICK_SERVICE");
}
