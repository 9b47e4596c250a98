// Drives each HTTP request a step per poll: connect, send, read, and judge the reply complete.
#include "util/http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "util/error.h"

namespace {

// Bounds the work of one poll, so a fast server cannot stall a frame.
constexpr int kMaxReadsPerPoll = 16;
constexpr size_t kReadChunk = 64 * 1024;

void fail(HttpConn* c) {
  c->error = 1;
  if (c->sock != -1) {
    close(c->sock);
    c->sock = -1;
  }
}

// Where the header block ends: the offset just after the first empty line
// (LF LF or CRLF CRLF), or npos when none has come.
size_t header_end(const std::string& r) {
  size_t line = 0;
  while (line < r.size()) {
    size_t nl = r.find('\n', line);
    if (nl == std::string::npos) return std::string::npos;
    if (nl == line || (nl == line + 1 && r[line] == '\r')) return nl + 1;
    line = nl + 1;
  }
  return std::string::npos;
}

void finish(HttpConn* c) {
  c->state = HTTP_DONE;
  if (c->sock != -1) {
    close(c->sock);
    c->sock = -1;
  }
  size_t end = header_end(c->response);
  if (end == std::string::npos) end = c->response.size();
  c->body = c->response.data() + end;
  c->body_len = c->response.size() - end;
}

// The value of the first line of the header block (which ends at end) whose
// name, compared in any letter case as header names are, is name: the
// offsets of its first and one past its last character (blanks after the
// colon and the carriage return left out). False when no line names it.
bool find_header(const std::string& r, size_t end, const char* name, size_t* from, size_t* to) {
  size_t nlen = std::strlen(name);
  for (size_t line = 0; line < end;) {
    size_t nl = r.find('\n', line);
    size_t stop = (nl == std::string::npos || nl > end) ? end : nl;
    if (stop - line > nlen && strncasecmp(r.data() + line, name, nlen) == 0 && r[line + nlen] == ':') {
      size_t v = line + nlen + 1;
      while (v < stop && (r[v] == ' ' || r[v] == '\t')) ++v;
      size_t vend = stop;
      if (vend > v && r[vend - 1] == '\r') --vend;
      *from = v;
      *to = vend;
      return true;
    }
    line = stop + 1;
  }
  return false;
}

// The value of the Content-Length header, or -1 when there is none or it is
// not a number; a value beyond the largest allowed reply is cut there.
long long content_length(const std::string& r, size_t end) {
  size_t v, stop;
  if (!find_header(r, end, "Content-Length", &v, &stop)) return -1;
  if (v == stop || r[v] < '0' || r[v] > '9') return -1;
  long long n = 0;
  for (; v < stop && r[v] >= '0' && r[v] <= '9'; ++v) {
    n = n * 10 + (r[v] - '0');
    if (n > static_cast<long long>(HTTP_MAX_RESPONSE)) return n;
  }
  return n;
}

// The server closed the connection: the reply is whole only when it holds a
// status line and at least the body its Content-Length announced.
void finish_closed(HttpConn* c) {
  finish(c);
  const std::string& r = c->response;
  const char* why = nullptr;
  if (r.empty()) {
    why = "empty reply";
  } else if (r.compare(0, 5, "HTTP/") != 0) {
    why = "no status line";
  } else {
    size_t end = header_end(r);
    long long want = end == std::string::npos ? -1 : content_length(r, end);
    if (want >= 0 && static_cast<unsigned long long>(want) > c->body_len) why = "reply shorter than its Content-Length";
  }
  if (why) {
    tk_error("ConnectionError: http_poll: %s from %s:%d", why, c->host.c_str(), c->port);
    c->error = 1;
  }
}

void progress(HttpConn* c) { c->deadline_ms = tk_monotonic_ms() + static_cast<int64_t>(c->timeout) * 1000; }

// Answers true when the step moved the request on.
bool step(HttpConn* c) {
  pollfd p{c->sock, static_cast<short>(c->state == HTTP_RECEIVING ? POLLIN : POLLOUT), 0};
  if (poll(&p, 1, 0) <= 0) return false;
  switch (c->state) {
    case HTTP_CONNECTING: {
      int err = 0;
      socklen_t len = sizeof err;
      if (getsockopt(c->sock, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
      if (err) {
        tk_error("ConnectionError: http_poll: connect to %s:%d: %s", c->host.c_str(), c->port,
                 std::strerror(err));
        fail(c);
        return false;
      }
      c->state = HTTP_SENDING;
      return true;
    }
    case HTTP_SENDING: {
      // No SIGPIPE when the peer has gone: the error flag tells instead.
      ssize_t n = send(c->sock, c->request.data() + c->sent, c->request.size() - c->sent, MSG_NOSIGNAL);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return false;
        tk_error("ConnectionError: http_poll: send to %s:%d: %s", c->host.c_str(), c->port,
                 std::strerror(errno));
        fail(c);
        return false;
      }
      c->sent += static_cast<size_t>(n);
      if (c->sent == c->request.size()) c->state = HTTP_RECEIVING;
      return true;
    }
    case HTTP_RECEIVING: {
      char buf[kReadChunk];
      ssize_t n = recv(c->sock, buf, sizeof buf, 0);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return false;
        tk_error("ConnectionError: http_poll: recv from %s:%d: %s", c->host.c_str(), c->port,
                 std::strerror(errno));
        fail(c);
        return false;
      }
      if (n == 0) {
        finish_closed(c);
        return true;
      }
      if (c->response.size() + static_cast<size_t>(n) > c->max_response) {
        tk_error("ConnectionError: http_poll: response from %s:%d beyond %zu bytes", c->host.c_str(),
                 c->port, c->max_response);
        fail(c);
        return false;
      }
      c->response.append(buf, static_cast<size_t>(n));
      return true;
    }
    default:
      return false;
  }
}

// While the host's address is being looked up: asks the cache again and,
// once the address is known, starts the non-blocking connect. Answers true
// when the request moved on (connecting, or failed).
bool resolve_and_connect(HttpConn* c) {
  uint32_t addr;
  switch (tk_gethostbyname(c->host.c_str(), &addr)) {
    case HOST_PENDING:
      return false;
    case HOST_UNKNOWN:
      tk_error("ConnectionError: http_open: unknown host '%s'", c->host.c_str());
      fail(c);
      return true;
    case HOST_FOUND:
      break;
  }
  c->state = HTTP_CONNECTING;
  c->sock = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (c->sock < 0) {
    c->sock = -1;
    tk_error("ConnectionError: http_open: socket: %s", std::strerror(errno));
    fail(c);
    return true;
  }
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(c->port));
  sa.sin_addr.s_addr = addr;
  if (connect(c->sock, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 && errno != EINPROGRESS) {
    tk_error("ConnectionError: http_open: connect to %s:%d: %s", c->host.c_str(), c->port, std::strerror(errno));
    fail(c);
  }
  return true;
}

}  // namespace

HttpConn* http_open(const char* host, int port, const char* path, const void* body,
                    size_t body_len, int timeout, size_t max_response) {
  HttpConn* c = new HttpConn;
  c->max_response = max_response;
  c->host = host ? host : "";
  c->port = port;
  c->path = path ? path : "";
  c->timeout = timeout;
  progress(c);

  // A line break in either would let the caller's text write headers of
  // its own into the request.
  if (c->host.find_first_of("\r\n") != std::string::npos ||
      c->path.find_first_of("\r\n") != std::string::npos) {
    tk_error("ValueError: http_open: line break in host or path refused");
    fail(c);
    return c;
  }

  char head[128];
  if (body_len == 0 || !body) {
    c->request = "GET " + c->path + " HTTP/1.0\nHost: " + c->host + ":" + std::to_string(port) + "\n\n";
  } else {
    std::snprintf(head, sizeof head,
                  ":%d\nContent-Type: application/x-www-form-urlencoded\nContent-Length: %zu\n\n", port,
                  body_len);
    c->request = "POST " + c->path + " HTTP/1.0\nHost: " + c->host + head;
    c->request.append(static_cast<const char*>(body), body_len);
  }

  c->state = HTTP_RESOLVING;
  resolve_and_connect(c);
  return c;
}

int http_poll(HttpConn* c) {
  if (!c) return 1;
  if (c->state == HTTP_DONE) return 1;
  if (c->error) {
    finish(c);
    return 1;
  }
  bool moved = c->state == HTTP_RESOLVING && resolve_and_connect(c);
  for (int i = 0; c->state != HTTP_RESOLVING && i < kMaxReadsPerPoll && c->state != HTTP_DONE && !c->error; ++i) {
    if (!step(c)) break;
    moved = true;
  }
  if (c->error || c->state == HTTP_DONE) {
    finish(c);
    return 1;
  }
  if (moved) {
    progress(c);
  } else if (tk_monotonic_ms() >= c->deadline_ms) {
    std::fprintf(stderr, "timeout :: state = %d\n", c->state);
    fail(c);
    finish(c);
    return 1;
  }
  return 0;
}

void http_header(const HttpConn* c, const char* name, char out[256]) {
  std::memset(out, 0, 256);
  if (!c || !name) return;
  const std::string& r = c->response;
  size_t end = header_end(r);
  if (end == std::string::npos) end = r.size();
  size_t v, vend;
  if (!find_header(r, end, name, &v, &vend)) return;
  std::memcpy(out, r.data() + v, vend - v > 255 ? 255 : vend - v);
}

std::string http_header(const HttpConn* c, const char* name) {
  char out[256];
  http_header(c, name, out);
  return out;
}

HttpConn* http_conn_replay(const std::string& response) {
  HttpConn* c = new HttpConn;
  c->host = "replay";
  c->response = response;
  finish_closed(c);
  return c;
}

void http_release(HttpConn* c) {
  if (!c) return;
  if (c->sock != -1) close(c->sock);
  delete c;
}
