// Where the web service lives: one host and port for the whole program,
// and the addresses of the service's pages that the screens open.
#pragma once
#include <string>

// The host the game was built for. It is a placeholder: players and tests
// that run a service of their own point TUNNELWICK_SERVICE at it, as "host"
// or "host:port".
extern const char* const WEB_DEFAULT_HOST;
enum { WEB_DEFAULT_PORT = 80 };

// Pages of the service's site.
extern const char* const WEB_PAGE_FAN;       // "/tunnelwick/like.php"
extern const char* const WEB_PAGE_TUTORIAL;  // "/tunnelwick/tutorial.php"
extern const char* const WEB_PAGE_SCORES;    // a campaign level's leaderboard
extern const char* const WEB_PAGE_USCORES;   // a shared map's leaderboard
extern const char* const WEB_PAGE_SIGNUP;    // "/forums/login/new.php"

// The service's host and port, read from TUNNELWICK_SERVICE on every call
// (an unusable port there keeps the default port).
std::string web_host();
int web_port();
// "http://host" (with ":port" unless it is 80) followed by path.
std::string web_page_url(const char* path);
// A leaderboard address: "%s?lid=%s&uid=%s" of web_page_url(page) and the
// escaped level id and user id.
std::string web_scores_url(const char* page, const std::string& lid, const std::string& uid);
