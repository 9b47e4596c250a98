// Starts one request to the service, reads its reply and headers, and keeps the list of live ones.
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
  conn = http_open(host.c_str(), port, path.c_str(), post.data(), post.size(), static_cast<int>(timeout),
                   max_response);
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

WebIdentity web_identity(Game* g) {
  game_login_identity(g);
  const Settings& s = g->settings;
  return WebIdentity{s.uid, s.id_name, s.token, s.udid};
}

var web_identity_var(const WebIdentity& id) {
  return var_dict("uid", id.uid, "name", id.name, "token", id.token, "udid", id.udid);
}

bool web_identity_from_var(const var& v, WebIdentity* id) {
  if (!v.is_dict()) return false;
  for (const char* key : {"uid", "name", "token", "udid"})
    if (!v[key].is_string()) return false;
  *id = WebIdentity{var_str(v["uid"]), var_str(v["name"]), var_str(v["token"]), var_str(v["udid"])};
  return true;
}

std::string web_url(const WebIdentity& id, const std::string& action) {
  std::string url = "/tunnelwick/api.php?";
  web_form_add(&url, "_vinfo", game_version());
  web_form_add(&url, "_version", "1");
  web_form_add(&url, "_uid", id.uid);
  web_form_add(&url, "_name", id.name);
  web_form_add(&url, "_token", id.token);
  web_form_add(&url, "_udid", id.udid);
  web_form_add(&url, "_action", action);
  return url;
}

std::string web_url(Game* g, const std::string& action) { return web_url(web_identity(g), action); }

void web_form_add(std::string* body, const char* name, const std::string& value) {
  *body += '&';
  *body += name;
  *body += '=';
  *body += url_escape(value);
}

WebRequest* web_request_new(Game* g, const std::string& action, const std::string& post,
                            const std::string& path_suffix, const WebIdentity* as) {
  static long serial = 0;
  WebRequest* r = new WebRequest;
  r->serial = ++serial;
  r->host = web_host();
  r->port = web_port();
  r->path = (as ? web_url(*as, action) : web_url(g, action)) + path_suffix;
  r->post = post;
  return r;
}

WebRequest* web_request_go(WebRequest* r) {
  r->start();
  web_requests.push_back(r);
  return r;
}

WebRequest* web_send(Game* g, const std::string& action, const std::string& post,
                     const std::string& path_suffix) {
  return web_request_go(web_request_new(g, action, post, path_suffix));
}
