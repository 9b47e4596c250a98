// Handles finished requests each frame: receipts, errors, messages, community pages, shared maps.
#include "online/web_loop.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "game/game.h"
#include "game/level_map.h"
#include "game/pack.h"
#include "game/state.h"
#include "game/world.h"
#include "gfx/transition.h"
#include "online/reliable.h"
#include "online/web_request.h"
#include "util/encode.h"
#include "util/http.h"
#include "util/json.h"

namespace {

struct Community {
  long visit = 0;
  bool open = false;      // the browser was current when last looked at
  long newest_query = 0;  // serial of the last page asked for
};
Community g_community;

// Errors and messages that came while the player was busy, and the game's
// own notice, which also waits for a message screen to be left; the
// notice's still, if any, says whether it is true by the time it shows.
struct Deferred {
  bool has_error = false, has_popup = false, has_notice = false;
  std::string error, popup, notice;
  bool (*notice_still)() = nullptr;
};
Deferred g_deferred;

// The request whose page was last handed to the browser.
const WebRequest* g_delivered = nullptr;

bool is_message_screen(int state) { return state == STATE_MENUS_POPUP || state == STATE_MENUS_ERROR; }

void show_error(Game* g, const std::string& text) {
  if (is_message_screen(g->state)) return;
  g->error_return_state = g->state;
  std::memset(g->error_text, 0, sizeof g->error_text);
  std::memcpy(g->error_text, text.data(), std::min(text.size(), sizeof g->error_text - 1));
  g->transition(TRANS_FADE, STATE_MENUS_ERROR);
}

void show_popup(Game* g, const std::string& body) {
  if (is_message_screen(g->state)) return;
  g->popup_return_state = g->state;
  std::memset(g->popup_text, 0, sizeof g->popup_text);
  size_t n = strnlen(body.data(), body.size());
  std::memcpy(g->popup_text, body.data(), std::min(n, sizeof g->popup_text - 1));
  g->transition(TRANS_FADE, STATE_MENUS_POPUP);
}

// Keeps text for later while wait holds (the first text that came is the
// one kept); false when it is to be shown now.
bool defer(bool wait, bool* has, std::string* kept, const std::string& text) {
  if (!wait) return false;
  if (!*has) *kept = text;
  *has = true;
  return true;
}

void show_deferred(Game* g) {
  if (web_screen_busy(g->state)) return;
  if (g_deferred.has_error) {
    g_deferred.has_error = false;
    show_error(g, g_deferred.error);
  }
  if (g_deferred.has_popup) {
    g_deferred.has_popup = false;
    show_popup(g, g_deferred.popup);
  }
  if (g_deferred.has_notice && !is_message_screen(g->state)) {
    g_deferred.has_notice = false;
    if (!g_deferred.notice_still || g_deferred.notice_still()) show_popup(g, g_deferred.notice);
  }
}

// A reply for the community browser is wanted only while the browser is
// current and still in the visit that asked.
bool community_wants(Game* g, const WebRequest* r) {
  if (g->state != STATE_MENUS_COMMUNITY) return false;
  return r->community_visit < 0 || r->community_visit == web_community_visit(g);
}

}  // namespace

bool web_map_whole(const std::string& packed) {
  // One byte more than a map: a stream that fills it inflates to more.
  std::vector<Bytef> out(sizeof(LevelMap) + 1);
  uLongf out_len = out.size();
  uLong in_len = packed.size();
  int rc = uncompress2(out.data(), &out_len, reinterpret_cast<const Bytef*>(packed.data()), &in_len);
  return rc == Z_OK && out_len == sizeof(LevelMap) && in_len == packed.size();
}

int web_stars(const var& v) {
  double stars = v.num();
  if (!(stars > 0)) return 0;  // NaN too
  return stars >= WEB_MAX_STARS ? WEB_MAX_STARS : static_cast<int>(stars);
}

bool web_screen_busy(int state) {
  return state == STATE_PLAY || state == STATE_PLAY_PAUSE || state == STATE_PLAY_INTRO ||
         state == STATE_MOVIE_INTRO || state == STATE_MOVIE_OUTRO;
}

void web_messages_clear() { g_deferred = Deferred(); }

long web_community_visit(Game* g) {
  bool now = g->state == STATE_MENUS_COMMUNITY;
  if (now && !g_community.open) g_community.visit++;
  g_community.open = now;
  return g_community.visit;
}

bool web_community_query_open() {
  for (const WebRequest* r : web_requests)
    if (r->community_visit >= 0 && r->serial == g_community.newest_query) return true;
  return false;
}

void web_community_tag(Game* g, WebRequest* r, bool query) {
  r->community_visit = web_community_visit(g);
  if (query) g_community.newest_query = r->serial;
}

void web_message(Game* g, const std::string& text) {
  if (!defer(web_screen_busy(g->state), &g_deferred.has_error, &g_deferred.error, text)) show_error(g, text);
}

void web_on_popup(Game* g, WebRequest* r) {
  std::string body = r->body();
  if (!defer(web_screen_busy(g->state), &g_deferred.has_popup, &g_deferred.popup, body)) show_popup(g, body);
}

void web_notice(Game* g, const std::string& text, bool (*still)()) {
  bool wait = web_screen_busy(g->state) || is_message_screen(g->state);
  bool first = !g_deferred.has_notice;
  if (defer(wait, &g_deferred.has_notice, &g_deferred.notice, text)) {
    if (first) g_deferred.notice_still = still;  // kept with the text it goes with
  } else if (!still || still()) {
    show_popup(g, text);
  }
}

void web_on_uquery(Game* g, WebRequest* r) {
  std::string body = r->body();
  var page;
  size_t dropped = 0;
  if (json_parse(body.data(), body.size(), page, WEB_PAGE_MAX_ENTRIES, &dropped) != 0) {
    fprintf(stderr, "json error\n");
    return;
  }
  if (dropped) fprintf(stderr, "uquery: %zu entries of the page dropped\n", dropped);
  // Only the newest page asked for, whatever visit asked: the browser
  // waits for it on every return while it is open.
  if (g->state != STATE_MENUS_COMMUNITY) return;
  if (r->community_visit >= 0 && r->serial != g_community.newest_query) return;
  if (State* s = state_get(STATE_MENUS_COMMUNITY)) {
    g_delivered = r;
    s->call(var_list("uquery", page));
  }
}

void web_on_uplay(Game* g, WebRequest* r) {
  std::string id = r->header("X-Query");
  std::string body = r->body();
  var reply;
  bool parsed = json_parse(body.data(), body.size(), reply) == 0;
  if (!parsed) fprintf(stderr, "json error\n");
  if (!community_wants(g, r)) return;
  // Checked before anything of the Game changes, so a bad map leaves the
  // browser as it was; the player, who pressed Play, is told.
  std::string packed = parsed ? base64_decode(var_str(reply["data"])) : std::string();
  if (!parsed || !web_map_whole(packed) || !game_unpack_level(g, packed)) {
    fprintf(stderr, "web_on_uplay: map '%s' cannot be played\n", id.c_str());
    web_message(g, WEB_MAP_UNUSABLE_TEXT);
    return;
  }
  g->return_menu = STATE_MENUS_COMMUNITY;
  game_text_set(g->current_level_id, sizeof g->current_level_id, id.c_str());
  game_text_set(g->map_id, sizeof g->map_id, id.c_str());
  level_start(g);
  g->map_rating = web_stars(reply["u_stars"]);
}

void web_on_urefresh(Game*) {
  if (State* s = state_get(STATE_MENUS_COMMUNITY)) s->call(var_list("urefresh", var()));
}

void web_on_type(Game* g, WebRequest* r) {
  std::string type = r->header("X-Type");
  if (type == "uquery") {
    web_on_uquery(g, r);
  } else if (type == "uplay") {
    web_on_uplay(g, r);
  } else if (type == "urefresh") {
    if (g->state == STATE_MENUS_COMMUNITY) web_on_urefresh(g);
  } else if (type == "popup") {
    web_on_popup(g, r);
  }
}

static int handle_reply(Game* g, WebRequest* r) {
  if (!r->receipt.empty()) game_reliable_request_ended(r->receipt);
  if (r->conn->error) {
    fprintf(stderr, "web_loop %p: failure\n", static_cast<void*>(r));
    return WEB_END_FAILED;
  }
  std::string receipt = r->header("X-Receipt");
  if (!receipt.empty()) game_reliable_remove(receipt);
  if (r->header("X-Response") != "OK") {
    fprintf(stderr, "web_loop %p: invalid response\n", static_cast<void*>(r));
    return WEB_END_FAILED;
  }
  std::string error = r->header("X-Error");
  if (!error.empty()) {
    fprintf(stderr, "web_loop %p: error '%s'\n", static_cast<void*>(r), error.c_str());
    web_message(g, error);
    return WEB_END_SERVICE_ERROR;
  }
  web_on_type(g, r);
  return WEB_END_OK;
}

void web_handle_reply(Game* g, WebRequest* r) {
  g_delivered = nullptr;
  int how = handle_reply(g, r);
  // The browser's page request that failed, or that the browser is still
  // waiting on and got no page from: the browser says so instead of
  // loading for ever, also on the player's return when that came later.
  bool newest = r->community_visit >= 0 && r->serial == g_community.newest_query;
  bool waiting = g->state == STATE_MENUS_COMMUNITY && g_delivered != r;
  if (newest && (how != WEB_END_OK || waiting))
    if (State* s = state_get(STATE_MENUS_COMMUNITY)) s->call(var_list("ufailed", var()));
  g_delivered = nullptr;
  if (r->on_end) r->on_end(g, how);
}

void web_loop(Game* g) {
  web_community_visit(g);
  show_deferred(g);
  for (size_t i = 0; i < web_requests.size();) {
    WebRequest* r = web_requests[i];
    if (!r->conn || !http_poll(r->conn)) {
      i++;
      continue;
    }
    web_handle_reply(g, r);
    // A handler may have changed the list; find the request again.
    auto at = std::find(web_requests.begin(), web_requests.end(), r);
    if (at != web_requests.end()) web_requests.erase(at);
    delete r;
  }
}
