// One HTTP/1.0 exchange with the web service, and the list of live ones.
// A sender fills a WebRequest, starts it and appends it to web_requests;
// web_loop polls the list once per frame, handles each reply and deletes
// the request. Nothing ever waits for a reply.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct Game;
struct HttpConn;

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
  // The value of the first response header of that exact name, at most 255
  // characters; empty when absent or before start.
  std::string header(const char* name) const;
};

// Every live request in creation order. The list owns its requests.
extern std::vector<WebRequest*> web_requests;

// Deletes every live request without handling its reply (a run that ends,
// or a test that plays a process being killed).
void web_requests_clear();

// The request target of an action: rebuilds the player's identity, then
// "/tunnelwick/api.php?" and the escaped fields _vinfo, _version, _uid,
// _name, _token, _udid and _action, each as "&name=value".
std::string web_url(Game* g, const std::string& action);

// Appends "&name=" and the escaped value to a form body.
void web_form_add(std::string* body, const char* name, const std::string& value);

// The sending pattern of every sender: a request to the service for the
// action (path web_url plus suffix), with the body when not empty, started
// and appended to web_requests. Answers the request, which the list owns.
WebRequest* web_send(Game* g, const std::string& action, const std::string& post,
                     const std::string& path_suffix = std::string());
