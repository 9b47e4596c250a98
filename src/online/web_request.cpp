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
  web_form_add(&url, "_vinfo", game_version());
  web_form_add(&url, "_version", "1");
  web_form_add(&url, "_uid", s.uid);
  web_form_add(&url, "_name", s.id_name);
  web_form_add(&url, "_token", s.token);
  web_form_add(&url, "_udid", s.udid);
  web_form_add(&url, "_action", action);
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
