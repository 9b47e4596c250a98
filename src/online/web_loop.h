// The replies of the web service. web_loop runs once per frame: it polls
// every live request, and for each one that ended it acknowledges outbox
// receipts, shows the service's errors and messages, hands typed replies to
// their handlers, and deletes the request.
//
// The service steers the client through reply headers only:
//   X-Receipt   an outbox entry it took (deleted, whatever else the reply says)
//   X-Response  must be "OK" for anything more to happen
//   X-Error     a text for the error screen
//   X-Type      "uquery", "uplay", "urefresh" or "popup"; others are ignored
//   X-Query     with "uplay": the map's id
#pragma once
#include <string>

#include "util/var.h"

// A community page holds at most this many entries; a reply's later entries
// are read for their syntax only, never built (a page holds tens).
constexpr size_t WEB_PAGE_MAX_ENTRIES = 500;

struct Game;
class WebRequest;

// Said on the error screen when a shared map that the player asked to play
// cannot be played.
constexpr char WEB_MAP_UNUSABLE_TEXT[] = "This shared map could not be loaded.";
enum { WEB_MAX_STARS = 5 };

// True when packed is one whole zlib stream that inflates to exactly one
// packed LevelMap, with nothing after it: the only shared map that is played.
bool web_map_whole(const std::string& packed);
// A star rating of the service as the game keeps it: 0 to WEB_MAX_STARS,
// 0 for anything that is no positive number.
int web_stars(const var& v);

void web_loop(Game* g);

// Handles one ended request as web_loop does (everything but polling and
// deleting it).
void web_handle_reply(Game* g, WebRequest* r);
void web_on_type(Game* g, WebRequest* r);
void web_on_uquery(Game* g, WebRequest* r);
void web_on_uplay(Game* g, WebRequest* r);
void web_on_urefresh(Game* g);
void web_on_popup(Game* g, WebRequest* r);
// A text of the service for the error screen.
void web_message(Game* g, const std::string& text);
// A text of the game's own for the popup screen, which goes back to the
// screen that was current. It waits as the service's messages do, and
// also while the error or the popup screen is current, rather than being
// dropped. With still, the notice is shown only if still() holds when it
// would appear; otherwise it is dropped without a word.
void web_notice(Game* g, const std::string& text, bool (*still)() = nullptr);

// The current visit of the community browser: it counts up each time the
// screen becomes current again after another screen was. Requests of the
// browser carry the visit they were sent in; replies of an earlier visit are
// dropped.
long web_community_visit(Game* g);

// True while the player is in a level or a movie: errors and messages of
// the service wait until it ends.
bool web_screen_busy(int state);
// Drops the errors, messages and notices waiting to be shown.
void web_messages_clear();

// True while the community browser's newest page request is unanswered.
bool web_community_query_open();

// Marks a request of the community browser with the current visit; a query
// also becomes the newest, whose page is the only one delivered.
void web_community_tag(Game* g, WebRequest* r, bool query);
