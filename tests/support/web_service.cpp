// A loopback web service for tests: answers the game's actions, misbehaves on cue, logs requests.
#include "support/web_service.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <set>

#include "util/encode.h"

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string url_decode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); i++) {
    int hi, lo;
    if (s[i] == '%' && i + 2 < s.size() && (hi = hex_digit(s[i + 1])) >= 0 && (lo = hex_digit(s[i + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::map<std::string, std::string> parse_fields(const std::string& s) {
  std::map<std::string, std::string> m;
  size_t pos = 0;
  while (pos <= s.size()) {
    size_t amp = s.find('&', pos);
    if (amp == std::string::npos) amp = s.size();
    std::string part = s.substr(pos, amp - pos);
    size_t eq = part.find('=');
    if (!part.empty()) {
      if (eq == std::string::npos)
        m[url_decode(part)] = "";
      else
        m.emplace(url_decode(part.substr(0, eq)), url_decode(part.substr(eq + 1)));
    }
    pos = amp + 1;
  }
  return m;
}

std::string json_quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void send_all(int fd, const std::string& data) {
  size_t off = 0;
  while (off < data.size()) {
    ssize_t n = send(fd, data.data() + off, data.size() - off, MSG_NOSIGNAL);
    if (n <= 0) return;
    off += static_cast<size_t>(n);
  }
}

bool is_submission(const std::string& action) {
  return action == "scores" || action == "uscores" || action == "urate";
}

// The signature the game makes for a submission from the user id it is
// sent under; the service holds the same secrets.
std::string expected_sid(const WebService::Request& r) {
  auto f = [&](const char* k) { return WebService::Request::field(r.form, k); };
  std::string uid = WebService::Request::field(r.query, "_uid");
  std::string action = r.action();
  if (action == "urate") return md5_hex("573126hjkwqZPLmnbvcXT|" + uid + "|" + f("lid") + "|" + f("stars"));
  std::string secret = action == "scores" ? "q3wmz7tkx2vb9pr4ld8hs6fy1ncg" : "7302wertyKPLmzqaBVXcvbn64";
  return md5_hex(secret + "|" + uid + "|" + f("lid") + "|" + f("ltitle") + "|" + f("tm") + "|" + f("deaths") + "|" +
                 f("ach"));
}

std::string cased(const std::string& name, WebService::HeaderCase c) {
  std::string out = name;
  for (size_t i = 0; i < out.size(); i++) {
    bool up = c == WebService::UPPER || (c == WebService::MIXED && i % 2 == 1);
    if (c != WebService::AS_IS) out[i] = static_cast<char>(up ? toupper(out[i]) : tolower(out[i]));
  }
  return out;
}

}  // namespace

WebService::WebService() {
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listen_fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  socklen_t len = sizeof sa;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&sa), &len);
  port_ = ntohs(sa.sin_port);
  listen(listen_fd_, 16);
  if (pipe2(wake_, O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
  thread_ = std::thread([this] { run(); });
}

WebService::~WebService() {
  {
    std::lock_guard<std::mutex> g(mu_);
    stop_ = true;
  }
  if (wake_[1] >= 0) (void)!write(wake_[1], "x", 1);
  thread_.join();
  for (auto& h : held_) close(h.first);
  close(listen_fd_);
  if (wake_[0] >= 0) close(wake_[0]);
  if (wake_[1] >= 0) close(wake_[1]);
}

std::string WebService::address() const { return "127.0.0.1:" + std::to_string(port_); }

void WebService::set_mode(Mode m) {
  std::lock_guard<std::mutex> g(mu_);
  mode_ = m;
}
void WebService::set_omit_receipts(bool omit) {
  std::lock_guard<std::mutex> g(mu_);
  omit_receipts_ = omit;
}
void WebService::set_duplicate_receipts(bool dup) {
  std::lock_guard<std::mutex> g(mu_);
  duplicate_receipts_ = dup;
}
void WebService::set_header_case(HeaderCase c) {
  std::lock_guard<std::mutex> g(mu_);
  header_case_ = c;
}
void WebService::set_reply(const std::string& action, const Reply& r) {
  std::lock_guard<std::mutex> g(mu_);
  replies_[action] = r;
}
void WebService::clear_reply(const std::string& action) {
  std::lock_guard<std::mutex> g(mu_);
  replies_.erase(action);
}
void WebService::set_map(const std::string& id, const std::string& packed, int stars) {
  std::lock_guard<std::mutex> g(mu_);
  maps_[id] = {packed, stars};
}
void WebService::release_held() {
  {
    std::lock_guard<std::mutex> g(mu_);
    release_ = true;
  }
  if (wake_[1] >= 0) (void)!write(wake_[1], "x", 1);
}

std::vector<WebService::Request> WebService::requests() const {
  std::lock_guard<std::mutex> g(mu_);
  return log_;
}
std::vector<WebService::Request> WebService::requests(const std::string& action) const {
  std::lock_guard<std::mutex> g(mu_);
  std::vector<Request> out;
  for (const Request& r : log_)
    if (r.action() == action) out.push_back(r);
  return out;
}
std::vector<WebService::Request> WebService::accepted() const {
  std::lock_guard<std::mutex> g(mu_);
  return accepted_;
}
std::vector<WebService::Request> WebService::rejected() const {
  std::lock_guard<std::mutex> g(mu_);
  return rejected_;
}

// A request is complete once its head and Content-Length bytes of body came.
bool WebService::complete(const std::string& in, Request* r) const {
  size_t head = in.find("\n\n");
  size_t skip = 2;
  size_t crlf = in.find("\r\n\r\n");
  if (crlf != std::string::npos && (head == std::string::npos || crlf < head)) {
    head = crlf;
    skip = 4;
  }
  if (head == std::string::npos) return false;
  size_t want = 0;
  size_t cl = in.find("Content-Length: ");
  if (cl != std::string::npos && cl < head) want = std::strtoul(in.c_str() + cl + 16, nullptr, 10);
  if (in.size() < head + skip + want) return false;
  size_t sp1 = in.find(' ');
  size_t sp2 = in.find(' ', sp1 + 1);
  r->method = in.substr(0, sp1);
  r->target = in.substr(sp1 + 1, sp2 - sp1 - 1);
  r->body = in.substr(head + skip, want);
  size_t q = r->target.find('?');
  r->query = parse_fields(q == std::string::npos ? std::string() : r->target.substr(q + 1));
  r->form = parse_fields(r->body);
  return true;
}

// The reply as the service would give it now (mu_ held).
std::string WebService::answer(const Request& r) {
  std::string action = r.action();
  std::vector<std::string> headers;
  std::string body;
  auto custom = replies_.find(action);
  if (custom != replies_.end()) {
    headers = custom->second.headers;
    body = custom->second.body;
  } else {
    headers.push_back("X-Response: OK");
    if (action == "uquery") {
      headers.push_back("X-Type: uquery");
      body = "[{\"type\":\"title\",\"text\":" + json_quote(Request::field(r.form, "q")) + "}]";
    } else if (action == "uplay") {
      std::string id = Request::field(r.form, "id");
      auto m = maps_.find(id);
      if (m == maps_.end()) {
        headers.push_back("X-Error: No such map");
      } else {
        headers.push_back("X-Type: uplay");
        headers.push_back("X-Query: " + id);
        body = "{\"data\":\"" + base64_encode(m->second.first) + "\",\"u_stars\":" +
               std::to_string(m->second.second) + "}";
      }
    }
  }
  if (!pending_duplicate_.empty()) {
    headers.push_back("X-Receipt: " + pending_duplicate_);
    pending_duplicate_.clear();
  }
  std::string status = "200 OK";
  std::string receipt = r.receipt();
  if (is_submission(action) && !receipt.empty()) {
    bool seen = false;
    for (const Request& a : accepted_) seen = seen || a.receipt() == receipt;
    if (Request::field(r.form, "sid") != expected_sid(r)) {
      status = "400 Bad Request";
      headers.push_back("X-Error: Bad request: sid does not match");
      rejected_.push_back(r);
    } else if (!seen && mode_ != OTHER_RECEIPT) {
      accepted_.push_back(r);
    }
    if (mode_ == OTHER_RECEIPT) receipt = md5_hex("another " + receipt);
    if (!omit_receipts_) {
      headers.push_back("X-Receipt: " + receipt);
      if (duplicate_receipts_) {
        headers.push_back("X-Receipt: " + receipt);
        pending_duplicate_ = receipt;
      }
    }
  }
  headers.push_back("Content-Length: " + std::to_string(body.size()));
  std::string out = "HTTP/1.0 " + status + "\r\n";
  for (const std::string& h : headers) {
    size_t colon = h.find(':');
    out += cased(h.substr(0, colon), header_case_) + h.substr(colon) + "\r\n";
  }
  return out + "\r\n" + body;
}

void WebService::respond(int fd, const Request& r) {
  std::string out;
  {
    std::lock_guard<std::mutex> g(mu_);
    out = answer(r);
  }
  send_all(fd, out);
  close(fd);
}

void WebService::run() {
  std::vector<Conn> conns;
  for (;;) {
    std::vector<pollfd> fds;
    fds.push_back({listen_fd_, POLLIN, 0});
    fds.push_back({wake_[0], POLLIN, 0});
    for (const Conn& c : conns) fds.push_back({c.fd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), 1000) < 0) continue;
    std::vector<std::pair<int, Request>> to_release;
    {
      std::lock_guard<std::mutex> g(mu_);
      if (stop_) break;
      if (release_) {
        release_ = false;
        to_release.swap(held_);
      }
    }
    if (fds[1].revents) {
      char buf[64];
      (void)!read(wake_[0], buf, sizeof buf);
    }
    for (auto& h : to_release) respond(h.first, h.second);
    std::vector<Conn> still;
    for (size_t i = 0; i < conns.size(); i++) {
      Conn& c = conns[i];
      if (!fds[2 + i].revents) {
        still.push_back(c);
        continue;
      }
      char buf[65536];
      ssize_t n = recv(c.fd, buf, sizeof buf, 0);
      if (n <= 0) {
        close(c.fd);
        continue;
      }
      c.in.append(buf, static_cast<size_t>(n));
      Request r;
      if (!complete(c.in, &r)) {
        still.push_back(c);
        continue;
      }
      Mode mode;
      {
        std::lock_guard<std::mutex> g(mu_);
        log_.push_back(r);
        mode = mode_;
        if (mode == HOLD) held_.push_back({c.fd, r});
      }
      switch (mode) {
        case SERVE:
        case OTHER_RECEIPT: respond(c.fd, r); break;
        case DROP: close(c.fd); break;
        case HOLD: break;
        case FAIL500:
          send_all(c.fd, "HTTP/1.0 500 Internal Server Error\r\n\r\nfailed");
          close(c.fd);
          break;
        case GARBAGE:
          send_all(c.fd, std::string(1, '\0') + "\xff garbage X-Response: OK\r\nX-Receipt: " + r.receipt() +
                             "\r\nX-Type: popup\r\n\r\n\x01\x02");
          close(c.fd);
          break;
        case EMPTY:
          send_all(c.fd, "HTTP/1.0 200 OK\r\n\r\n");
          close(c.fd);
          break;
        case CUT:
          send_all(c.fd, "HTTP/1.0 200 OK\r\nX-Response: OK\r\nX-Receipt: " + r.receipt().substr(0, 7));
          close(c.fd);
          break;
      }
    }
    if (fds[0].revents & POLLIN) {
      int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        timeval tv{5, 0};  // a client that stops reading must not hang the service
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        still.push_back({fd, std::string()});
      }
    }
    conns.swap(still);
  }
  for (const Conn& c : conns) close(c.fd);
}
