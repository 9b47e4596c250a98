// Picks the service's host and port (the environment may override) and builds its page addresses.
#include "online/web_config.h"

#include <cstdio>
#include <cstdlib>

#include "util/encode.h"

const char* const WEB_DEFAULT_HOST = "tunnelwick.example.org";
const char* const WEB_PAGE_FAN = "/tunnelwick/like.php";
const char* const WEB_PAGE_TUTORIAL = "/tunnelwick/tutorial.php";
const char* const WEB_PAGE_SCORES = "/tunnelwick/scores.php";
const char* const WEB_PAGE_USCORES = "/tunnelwick/uscores.php";
const char* const WEB_PAGE_SIGNUP = "/forums/login/new.php";

namespace {

struct Service {
  std::string host = WEB_DEFAULT_HOST;
  int port = WEB_DEFAULT_PORT;
};

Service service() {
  Service s;
  const char* env = std::getenv("TUNNELWICK_SERVICE");
  if (!env || !*env) return s;
  std::string v = env;
  size_t colon = v.rfind(':');
  if (colon != std::string::npos) {
    std::string digits = v.substr(colon + 1);
    char* end = nullptr;
    long port = std::strtol(digits.c_str(), &end, 10);
    if (!digits.empty() && *end == '\0' && port > 0 && port < 65536) {
      s.port = static_cast<int>(port);
    } else {
      // Said once per value: the address is looked up for every request.
      static std::string warned;
      if (warned != env) {
        warned = env;
        std::fprintf(stderr, "TUNNELWICK_SERVICE: '%s' is no port; using %d\n", digits.c_str(), s.port);
      }
    }
    v.resize(colon);
  }
  if (!v.empty()) s.host = v;
  return s;
}

}  // namespace

std::string web_host() { return service().host; }
int web_port() { return service().port; }

std::string web_page_url(const char* path) {
  Service s = service();
  std::string url = "http://" + s.host;
  if (s.port != WEB_DEFAULT_PORT) url += ":" + std::to_string(s.port);
  return url + path;
}

std::string web_scores_url(const char* page, const std::string& lid, const std::string& uid) {
  return web_page_url(page) + "?lid=" + url_escape(lid) + "&uid=" + url_escape(uid);
}
