// One HTTP/1.0 exchange with the web service, and the list of live ones.
// A sender fills a WebRequest, starts it and appends it to web_requests;
// web_loop polls the list once per frame, handles each reply and deletes
// the request. Nothing ever waits for a reply.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "util/http.h"
#include "util/var.h"

struct Game;

// How a request ended: the service answered "OK" without an error; it
// gave no usable answer; it answered with its error text (already on its
// way to the error screen).
enum { WEB_END_OK = 0, WEB_END_FAILED = 1, WEB_END_SERVICE_ERROR = 2 };

class WebRequest {
 public:
  std::string host;       // the service's host (web_host)
  int port = 80;
  std::string path = "/"; // request target: path and query (web_url)
  std::string post;       // form body; empty makes the request a GET
  float timeout = 30.0f;  // idle seconds allowed, handed over whole
  size_t max_response = HTTP_MAX_RESPONSE;  // a longer reply is a failure
  HttpConn* conn = nullptr;

  // What the reply handling needs to know of the request itself: the
  // outbox entry it carries (empty for direct requests), and for a request
  // of the community browser the visit of that screen it belongs to.
  std::string receipt;
  long community_visit = -1;
  long serial = 0;  // counts up with every request of the run
  // Told once, after the reply was handled, how it went (WEB_END_*); a
  // request dropped unanswered (web_requests_clear) is never told.
  std::function<void(Game*, int how)> on_end;

  WebRequest() = default;
  WebRequest(const WebRequest&) = delete;
  WebRequest& operator=(const WebRequest&) = delete;
  virtual ~WebRequest();

  // Opens the connection once; a second call does nothing. Failures show
  // later as the connection's error flag.
  void start();
  // The response bytes after the header block (may hold NUL bytes); empty
  // before start.
  std::string body() const;
  // The value of the first response header of that name (in any letter
  // case), at most 255 characters; empty when absent or before start.
  std::string header(const char* name) const;
};

// Every live request in creation order. The list owns its requests.
extern std::vector<WebRequest*> web_requests;

// Deletes every live request without handling its reply (a run that ends,
// or a test that plays a process being killed).
void web_requests_clear();

// Who a request speaks for: the identity fields of its target.
struct WebIdentity {
  std::string uid, name, token, udid;
};
// The player's identity as it is now (game_login_identity rebuilds it).
WebIdentity web_identity(Game* g);
// The identity as a dict ("uid", "name", "token", "udid"), to be stored
// with a request that is sent later; and back. False when the value is no
// such dict (the fields are then left as they were).
var web_identity_var(const WebIdentity& id);
bool web_identity_from_var(const var& v, WebIdentity* id);

// The request target of an action: "/tunnelwick/api.php?" and the escaped
// fields _vinfo, _version, _uid, _name, _token, _udid and _action, each as
// "&name=value". Without an identity the player's is rebuilt and used.
std::string web_url(const WebIdentity& id, const std::string& action);
std::string web_url(Game* g, const std::string& action);

// Appends "&name=" and the escaped value to a form body.
void web_form_add(std::string* body, const char* name, const std::string& value);

// A request to the service for the action (path web_url plus suffix, under
// the identity when one is given, else the player's own), with the body
// when not empty; not yet started.
WebRequest* web_request_new(Game* g, const std::string& action, const std::string& post,
                            const std::string& path_suffix = std::string(), const WebIdentity* as = nullptr);
// Starts the request and appends it to web_requests, which owns it.
WebRequest* web_request_go(WebRequest* r);
// The sending pattern of every sender: web_request_new, then
// web_request_go. Answers the request, which the list owns.
WebRequest* web_send(Game* g, const std::string& action, const std::string& post,
                     const std::string& path_suffix = std::string());
