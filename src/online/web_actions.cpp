// Starts each direct request to the service; the player's own account check reports when no answer came.
#include "online/web_actions.h"

#include <cstdio>
#include <cstring>

#include "online/web_loop.h"
#include "online/web_request.h"
#include "platform/steam_glue.h"
#include "util/encode.h"

namespace {

std::string until_nul(const std::string& s) { return s.substr(0, strnlen(s.data(), s.size())); }

// The player pressed "Sign In" and waits for its answer: a check that got
// none says so instead of leaving the screen silent. The check made on
// leaving the settings screen is not awaited, so its failure is only logged.
void tell_unreached(Game* g, int how) {
  if (how == WEB_END_FAILED) web_message(g, WEB_UNREACHED_TEXT);
}

}  // namespace

void web_ping(Game* g) { web_send(g, "ping", std::string()); }

void web_friends(Game* g) {
  std::vector<std::string> friends = steam_friends();
  fprintf(stderr, "player has %d friends\n", static_cast<int>(friends.size()));
  if (friends.empty()) return;
  std::string list;
  for (size_t i = 0; i < friends.size(); i++) list += (i ? "\t" : "") + friends[i];
  std::string body;
  web_form_add(&body, "data", list);
  web_send(g, "friends", body);
}

void web_uquery(Game* g, const std::string& query) {
  std::string body;
  web_form_add(&body, "q", query);
  web_community_tag(g, web_send(g, "uquery", body), true);
}

void web_uplay(Game* g, const std::string& map_id) {
  std::string body;
  web_form_add(&body, "id", map_id);
  web_community_tag(g, web_send(g, "uplay", body), false);
}

void web_qlink(Game* g, const std::string& text) {
  std::string body;
  web_form_add(&body, "q", text);
  web_send(g, "qlink", body);
}

WebRequest* web_ushare(Game* g, const std::string& map_id, const std::string& title, const std::string& intro,
                const std::string& packed) {
  std::string body;
  web_form_add(&body, "id", map_id);
  web_form_add(&body, "title", until_nul(title));
  web_form_add(&body, "intro", until_nul(intro));
  web_form_add(&body, "data", base64_encode(packed));
  return web_send(g, "ushare", body);
}

void web_valid(Game* g) { web_send(g, "valid", std::string()); }
void web_valid_popup(Game* g) { web_send(g, "valid_popup", std::string())->on_end = tell_unreached; }
