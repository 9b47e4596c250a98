// The direct requests to the web service. Each sender starts one request
// and returns at once; web_loop handles the reply in a later frame. None of
// them reports anything to its caller.
#pragma once
#include <string>

struct Game;
class WebRequest;

// At start-up: "ping", then "friends" with the Steam friends list (no
// request without friends).
void web_ping(Game* g);
void web_friends(Game* g);
// The community browser: a page for the query text (reply: the page goes to
// the browser's call), a shared map to play (reply: the map is started),
// and a page entry's link.
void web_uquery(Game* g, const std::string& query);
void web_uplay(Game* g, const std::string& map_id);
void web_qlink(Game* g, const std::string& text);
// Map sharing: the map id, title and intro (each up to its first NUL), and
// the packed map, which travels base64-encoded. Answers the request, whose
// on_end the editor sets to learn whether the share was taken.
WebRequest* web_ushare(Game* g, const std::string& map_id, const std::string& title, const std::string& intro,
                const std::string& packed);
// The account check of the settings screen: on leaving it, and on its
// check button (the service answers with an error or a message). Only the
// check button's request, which the player waits for, shows
// WEB_UNREACHED_TEXT on the error screen when it gets no usable answer (no
// service, refused, timed out, malformed); the check on leaving fails with
// web_loop's log line alone, as every other request does.
constexpr char WEB_UNREACHED_TEXT[] = "The service could not be reached.";
void web_valid(Game* g);
void web_valid_popup(Game* g);
