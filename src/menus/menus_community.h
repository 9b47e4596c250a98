// The browser of shared maps (STATE_MENUS_COMMUNITY). The web service
// composes every page; the screen lays it out (community_page.h) and acts
// on what the player picks: search, home, restart, play a map, "More",
// leaderboards, and the actions of the page's buttons, tabs and images.
// Pages arrive some frames after they are asked for, through call. The
// page, the query and the search text are kept across visits.
#pragma once

#include "menus/community_page.h"
#include "menus/menu_screen.h"
#include "util/var.h"

class MenusCommunity : public MenuScreen {
 public:
  char query[COMMUNITY_QUERY_SIZE] = "@default";  // what the next request asks
  char search_text[COMMUNITY_SEARCH_SIZE] = {};
  var page = var::new_list();                     // the page shown (its kept part)
  int needs_query = 1;                            // the next init sends query
  int form = COMMUNITY_LOADING;                   // CommunityForm of page

  explicit MenusCommunity(Game* g) : MenuScreen(g, nullptr) {}
  bool wants_key_repeat() const override { return true; }

  // Sends the query when one is due (also when the page never came and
  // no request for it is open), starts the music and builds the page.
  void init() override;
  // ["uquery", page]: shows the page; ["urefresh", none]: asks again;
  // ["ufailed", none]: the request of the page shown ended without one.
  var call(var args) override;
  // The root's loop, then the search box's text into search_text.
  void loop() override;
  // Rebuilds the whole tree from page.
  void build_page();

 protected:
  void build() override;
  void action(int code) override;

 private:
  void request(const char* new_query);
  void entry_action(int index);
};
