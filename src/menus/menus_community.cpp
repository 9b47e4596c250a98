// Shared-maps browser: asks the service for pages, shows them and acts on what the player picks.
#include "menus/menus_community.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "driver/audio.h"
#include "driver/driver.h"
#include "game/game.h"
#include "online/web_actions.h"
#include "online/web_config.h"
#include "online/web_loop.h"
#include "ui/ui.h"

namespace {

// The entry of the page at the index, or none.
var entry_at(const var& page, int index) {
  if (!page.is_list() || index < 0 || static_cast<size_t>(index) >= page.len()) return var();
  return page[index];
}

}  // namespace

void MenusCommunity::init() {
  // A page whose reply came while the player was away was dropped: a
  // screen that says it is loading must have a request under way.
  if (form == COMMUNITY_LOADING && !web_community_query_open()) needs_query = 1;
  if (needs_query) {
    needs_query = 0;
    form = COMMUNITY_LOADING;
    page = var::new_list();
    web_uquery(game, query);
  }
  music_play("mus-select");
  build_page();
}

void MenusCommunity::build_page() { MenuScreen::init(); }

void MenusCommunity::build() { community_build_page(root, page, query, search_text, static_cast<CommunityForm>(form)); }

var MenusCommunity::call(var args) {
  std::string name = var_str(args[0]);
  if (name == "urefresh") {
    needs_query = 1;
    init();
  } else if (name == "uquery") {
    var p = args[1];
    if (!p.is_list()) {
      // A page the screen cannot read is reported, never half shown.
      std::fprintf(stderr, "community: the page is a %s, not a list\n", p.type_name());
      web_message(game, "The community page could not be read.");
      return var();
    }
    page = community_page_kept(p);
    form = COMMUNITY_SHOWN;
    build_page();
  } else if (name == "ufailed") {
    // Instead of "Loading data ..." for ever; restart, home or a search
    // ask again. Told also while the player is away, for the return.
    form = COMMUNITY_FAILED;
    if (game->state == STATE_MENUS_COMMUNITY) build_page();
  }
  return var();
}

void MenusCommunity::loop() {
  MenuScreen::loop();
  if (Widget* search = root.find("search")) game_text_set(search_text, sizeof search_text, search->get_value_s().c_str());
}

void MenusCommunity::request(const char* new_query) {
  if (new_query) game_text_set(query, sizeof query, new_query);
  needs_query = 1;
  init();
}

void MenusCommunity::action(int code) {
  int index = code & COMMUNITY_ENTRY_MASK;
  if (code == COMMUNITY_ACT_SEARCH) {
    request((std::string("~") + search_text).c_str());
  } else if (code == COMMUNITY_ACT_HOME) {
    request("@home");
  } else if (code == COMMUNITY_ACT_RESTART) {
    request(nullptr);
  } else if (code & COMMUNITY_ACT_ENTRY) {
    entry_action(index);
  } else if (code & COMMUNITY_ACT_ENTRY_PLAY) {
    web_uplay(game, community_text(entry_at(page, index), "id"));
  } else if (code & COMMUNITY_ACT_ENTRY_MORE) {
    request(("+" + community_text(entry_at(page, index), "id")).c_str());
  } else if (code & COMMUNITY_ACT_ENTRY_LEADERBOARD) {
    std::string uid = game_text_terminate(game->settings.uid, sizeof game->settings.uid);
    std::string url = web_scores_url(WEB_PAGE_USCORES, community_text(entry_at(page, index), "id"), uid);
    if (g_driver) g_driver->weblink(url.c_str(), 1);
  }
}

// The action of a button, tab or image. Its texts are copied first: a
// query rebuilds the page, which may free the entry.
void MenusCommunity::entry_action(int index) {
  var e = entry_at(page, index);
  const std::string act = community_text(e, "action");
  const std::string value = community_text(e, "value");
  if (act == "olink" || act == "link") {
    // The driver opens http and https addresses only.
    if (g_driver) g_driver->weblink(value.c_str(), act == "olink" ? 1 : 0);
  } else if (act == "query") {
    request(value.c_str());
  } else if (act == "qlink") {
    web_qlink(game, value);
  } else if (act == "play") {
    web_uplay(game, value);
  }
}
