#include "online/web_request.h"

#include "game/game.h"
#include "game/identity.h"
#include "online/web_config.h"
#include "util/encode.h"
#include "util/http.h"

std::vector<WebRequest*> web_requests;

WebRequest::~WebRequest() {
  if (conn) {
    http_release(conn);
    conn = nullptr;
  }
}

void WebRequest::start() {
  if (conn) return;
  conn = http_open(host.c_str(), port, path.c_str(), post.data(), post.size(), static_cast<int>(timeout));
}

std::string WebRequest::body() const {
  if (!conn || !conn->body) return std::string();
  return std::string(conn->body, conn->body_len);
}

std::string WebRequest::header(const char* name) const {
  if (!conn) return std::string();
  return http_header(conn, name);
}

void web_requests_clear() {
  for (WebRequest* r : web_requests) delete r;
  web_requests.clear();
}

std::string web_url(Game* g, const std::string& action) {
  game_login_identity(g);
  const Settings& s = g->settings;
  std::string url = "/tunnelwick/api.php?";
  url += "&_vinfo=" + url_escape(std::string(game_version()));
  url += "&_version=" + url_escape(std::string("1"));
  url += "&_uid=" + url_escape(std::string(s.uid));
  url += "&_name=" + url_escape(std::string(s.id_name));
  url += "&_token=" + url_escape(std::string(s.token));
  url += "&_udid=" + url_escape(std::string(s.udid));
  url += "&_action=" + url_escape(action);
  return url;
}

void web_form_add(std::string* body, const char* name, const std::string& value) {
  *body += '&';
  *body += name;
  *body += '=';
  *body += url_escape(value);
}

WebRequest* web_send(Game* g, const std::string& action, const std::string& post,
                     const std::string& path_suffix) {
  static long serial = 0;
  WebRequest* r = new WebRequest;
  r->serial = ++serial;
  r->host = web_host();
  r->port = web_port();
  r->path = web_url(g, action) + path_suffix;
  r->post = post;
  r->start();
  web_requests.push_back(r);
  return r;
}
