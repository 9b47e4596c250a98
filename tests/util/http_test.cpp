// The HTTP client against a small server on 127.0.0.1 run by each test.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "util/http.h"

namespace {

// A listening socket on an ephemeral port and one thread that accepts one
// connection and runs the test's handler on it.
class TestServer {
 public:
  explicit TestServer(std::function<void(int)> handler) {
    lfd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(lfd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    socklen_t len = sizeof sa;
    getsockname(lfd_, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
    listen(lfd_, 4);
    thread_ = std::thread([this, handler] {
      int fd = accept(lfd_, nullptr, nullptr);
      if (fd < 0) return;
      timeval tv{5, 0};  // a broken test must not hang the server
      setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
      setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
      handler(fd);
      close(fd);
    });
  }
  ~TestServer() {
    thread_.join();
    close(lfd_);
  }
  int port() const { return port_; }

 private:
  int lfd_;
  int port_;
  std::thread thread_;
};

// Reads one request: the head up to its blank line, then Content-Length
// bytes of body.
std::string read_request(int fd) {
  std::string req;
  char buf[4096];
  size_t want = std::string::npos;
  while (want == std::string::npos || req.size() < want) {
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    req.append(buf, n);
    size_t head = req.find("\n\n");
    if (want == std::string::npos && head != std::string::npos) {
      size_t cl = req.find("Content-Length: ");
      want = head + 2 + (cl != std::string::npos && cl < head ? std::stoul(req.substr(cl + 16)) : 0);
    }
  }
  return req;
}

void send_all(int fd, const std::string& data) {
  size_t off = 0;
  while (off < data.size()) {
    ssize_t n = send(fd, data.data() + off, data.size() - off, MSG_NOSIGNAL);
    if (n <= 0) return;
    off += n;
  }
}

// Chunks handed from the test to the server thread one at a time.
class Gate {
 public:
  void push(std::string s) {
    std::lock_guard<std::mutex> g(m_);
    q_.push_back(std::move(s));
    cv_.notify_one();
  }
  // The next chunk; the end marker when none comes within 5 s, so a failed
  // test does not leave the server waiting.
  std::string pop();

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<std::string> q_;
};
const std::string kEnd = "\x01END";

std::string Gate::pop() {
  std::unique_lock<std::mutex> g(m_);
  if (!cv_.wait_for(g, std::chrono::seconds(5), [this] { return !q_.empty(); })) return kEnd;
  std::string s = q_.front();
  q_.pop_front();
  return s;
}

// Polls until the request ends, waiting on the socket between polls.
int drive(HttpConn* c, int max_ms = 5000) {
  int64_t stop = tk_monotonic_ms() + max_ms;
  while (tk_monotonic_ms() < stop) {
    if (http_poll(c)) return 1;
    if (c->sock != -1) {
      pollfd p{c->sock, POLLIN | POLLOUT, 0};
      if (c->state == HTTP_RECEIVING) p.events = POLLIN;
      poll(&p, 1, 10);
    }
  }
  return 0;
}

// Waits until the socket has bytes to read, then polls once.
int poll_when_readable(HttpConn* c) {
  pollfd p{c->sock, POLLIN, 0};
  EXPECT_EQ(poll(&p, 1, 5000), 1);
  return http_poll(c);
}

std::string body_of(const HttpConn* c) { return std::string(c->body, c->body_len); }

}  // namespace

TEST(HttpRequest, GetBytesAreExact) {
  std::string got;
  TestServer srv([&](int fd) {
    got = read_request(fd);
    send_all(fd, "HTTP/1.0 200 OK\n\nhello");
  });
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/tunnelwick/api.php?&_action=ping", nullptr, 0, 5);
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(drive(c), 1);
  EXPECT_EQ(c->error, 0);
  EXPECT_EQ(got, "GET /tunnelwick/api.php?&_action=ping HTTP/1.0\nHost: 127.0.0.1:" +
                     std::to_string(srv.port()) + "\n\n");
  EXPECT_EQ(body_of(c), "hello");
  EXPECT_EQ(c->sock, -1);
  http_release(c);
}

TEST(HttpRequest, PostBytesAreExactAndBinarySafe) {
  std::string got;
  TestServer srv([&](int fd) {
    got = read_request(fd);
    send_all(fd, "HTTP/1.0 200 OK\r\n\r\n");
  });
  std::string body("&q=a\0b", 6);
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/p", body.data(), body.size(), 5);
  ASSERT_EQ(drive(c), 1);
  EXPECT_EQ(c->error, 0);
  EXPECT_EQ(got, "POST /p HTTP/1.0\nHost: 127.0.0.1:" + std::to_string(srv.port()) +
                     "\nContent-Type: application/x-www-form-urlencoded\nContent-Length: 6\n\n" + body);
  EXPECT_EQ(c->body_len, 0u);
  http_release(c);
}

TEST(HttpResponse, CrlfHeadersAndBodyWithNul) {
  std::string big(300, 'v');
  TestServer srv([&](int fd) {
    read_request(fd);
    send_all(fd, "HTTP/1.0 200 OK\r\nX-Response: OK\r\nX-Type: \t popup\r\nX-Receipt: first\r\n"
                 "X-Receipt: second\r\nX-Long: " + big + "\r\nX-Empty:\r\n\r\n" +
                 std::string("X-Fake: 1\r\n\0tail", 16));
  });
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 5);
  ASSERT_EQ(drive(c), 1);
  EXPECT_EQ(http_header(c, "X-Response"), "OK");
  EXPECT_EQ(http_header(c, "X-Type"), "popup");
  EXPECT_EQ(http_header(c, "X-Receipt"), "first");
  EXPECT_EQ(http_header(c, "X-Resp"), "");      // the whole name, then ":"
  EXPECT_EQ(http_header(c, "X-Fake"), "");      // body lines are no headers
  EXPECT_EQ(http_header(c, "X-Empty"), "");
  EXPECT_EQ(http_header(c, "X-Long"), big.substr(0, 255));
  char out[256];
  std::memset(out, 'Z', sizeof out);
  http_header(c, "X-Missing", out);
  EXPECT_EQ(std::string(out, 256), std::string(256, '\0'));
  EXPECT_EQ(body_of(c), std::string("X-Fake: 1\r\n\0tail", 16));
  http_release(c);
}

TEST(HttpResponse, LfOnlyReply) {
  TestServer srv([&](int fd) {
    read_request(fd);
    send_all(fd, "HTTP/1.0 200 OK\nX-Response: OK\nX-Error: bad thing\n\n[1,2]");
  });
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 5);
  ASSERT_EQ(drive(c), 1);
  EXPECT_EQ(c->error, 0);
  EXPECT_EQ(http_header(c, "X-Response"), "OK");
  EXPECT_EQ(http_header(c, "X-Error"), "bad thing");
  EXPECT_EQ(body_of(c), "[1,2]");
  EXPECT_EQ(http_poll(c), 1);  // keeps answering 1 after the end
  http_release(c);
}

TEST(HttpResponse, EarlyCloseGivesEmptyBodyInsideTheBuffer) {
  {
    // A close without a byte is a failure, not an empty success.
    TestServer srv([&](int fd) { read_request(fd); });
    HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 5);
    testing::internal::CaptureStderr();
    ASSERT_EQ(drive(c), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("empty reply"), std::string::npos);
    EXPECT_EQ(c->error, 1);
    EXPECT_EQ(c->body_len, 0u);
    EXPECT_EQ(c->body, c->response.data());
    http_release(c);
  }
  TestServer srv([&](int fd) {
    read_request(fd);
    send_all(fd, "HTTP/1.0 200 OK\r\nX-Response: OK\r\nX-Cut");
  });
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 5);
  ASSERT_EQ(drive(c), 1);
  EXPECT_EQ(c->body_len, 0u);
  EXPECT_EQ(c->body, c->response.data() + c->response.size());
  EXPECT_EQ(http_header(c, "X-Response"), "OK");
  http_release(c);
}

TEST(HttpResponse, TrickledBytesAccumulateAndMoveTheDeadline) {
  Gate gate;
  TestServer srv([&](int fd) {
    read_request(fd);
    for (std::string s = gate.pop(); s != kEnd; s = gate.pop()) send_all(fd, s);
  });
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 1);
  while (c->state != HTTP_RECEIVING && !c->error) {
    ASSERT_EQ(http_poll(c), 0);
    pollfd p{c->sock, POLLOUT, 0};
    poll(&p, 1, 10);
  }
  const char* pieces[] = {"HTTP/1.0 200 OK\r", "\nX-Response: O", "K\r\n\r", "\nbo", "dy"};
  size_t total = 0;
  for (const char* p : pieces) {
    // Each piece comes after the deadline has passed: only the progress it
    // brings keeps the request alive.
    c->deadline_ms = tk_monotonic_ms() - 1;
    gate.push(p);
    total += std::strlen(p);
    while (c->response.size() < total) ASSERT_EQ(poll_when_readable(c), 0);
    EXPECT_GT(c->deadline_ms, tk_monotonic_ms() + 500);
  }
  // With nothing more coming, the passed deadline ends the request.
  c->deadline_ms = tk_monotonic_ms() - 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(http_poll(c), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "timeout :: state = 3\n");
  EXPECT_EQ(c->error, 1);
  gate.push(kEnd);
  http_release(c);
}

TEST(HttpResponse, ManySmallWritesMakeOneResponse) {
  Gate gate;
  TestServer srv([&](int fd) {
    read_request(fd);
    for (std::string s = gate.pop(); s != kEnd; s = gate.pop()) send_all(fd, s);
  });
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 5);
  std::string reply = "HTTP/1.0 200 OK\r\nX-Response: OK\r\n\r\nbody";
  for (char ch : reply) {
    gate.push(std::string(1, ch));
    size_t want = c->response.size() + 1;
    while (c->response.size() < want) {
      ASSERT_EQ(http_poll(c), 0);
      pollfd p{c->sock, static_cast<short>(c->state == HTTP_RECEIVING ? POLLIN : POLLOUT), 0};
      poll(&p, 1, 10);
    }
  }
  gate.push(kEnd);
  ASSERT_EQ(drive(c), 1);
  EXPECT_EQ(c->error, 0);
  EXPECT_EQ(http_header(c, "X-Response"), "OK");
  EXPECT_EQ(body_of(c), "body");
  http_release(c);
}

TEST(HttpFailure, NoReplyTimesOutAfterOneSecond) {
  TestServer srv([&](int fd) {
    read_request(fd);
    char b;
    recv(fd, &b, 1, 0);  // until the client gives up and closes
  });
  int64_t start = tk_monotonic_ms();
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 1);
  testing::internal::CaptureStderr();
  int ended = drive(c, 4000);
  std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(ended, 1);
  EXPECT_GE(tk_monotonic_ms() - start, 900);
  EXPECT_EQ(c->error, 1);
  EXPECT_EQ(err, "timeout :: state = 3\n");
  EXPECT_EQ(c->sock, -1);
  EXPECT_EQ(http_poll(c), 1);
  EXPECT_EQ(c->body_len, 0u);
  http_release(c);
}

TEST(HttpFailure, RefusedConnection) {
  // A bound socket that never listens: nothing else can take its port.
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  socklen_t len = sizeof sa;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  testing::internal::CaptureStderr();
  HttpConn* c = http_open("127.0.0.1", ntohs(sa.sin_port), "/", nullptr, 0, 5);
  int ended = drive(c);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(c->error, 1);
  EXPECT_NE(err.find("ConnectionError"), std::string::npos);
  EXPECT_NE(err.find("refused"), std::string::npos);
  http_release(c);
  close(fd);
}

TEST(HttpFailure, UnknownHostSetsTheErrorFlag) {
  HostCache& cache = tk_host_cache();
  HostCache::Resolver saved = cache.resolver();
  cache.set_resolver([](const char*, uint32_t*) { return false; });
  testing::internal::CaptureStderr();
  HttpConn* c = http_open("no-such-host.test", 80, "/", "x", 1, 5);
  ASSERT_NE(c, nullptr);
  int ended = drive(c);
  std::string err = testing::internal::GetCapturedStderr();
  cache.set_resolver(saved);
  cache.clear();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(c->error, 1);
  EXPECT_EQ(c->sock, -1);
  EXPECT_NE(err.find("unknown host 'no-such-host.test'"), std::string::npos);
  EXPECT_EQ(http_poll(c), 1);
  EXPECT_EQ(c->body_len, 0u);
  http_release(c);
}

TEST(HttpFailure, PeerGoneWhileSendingRaisesNoSignal) {
  TestServer srv([&](int fd) { (void)fd; });  // closes at once, reads nothing
  std::string body(8 << 20, 'a');
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/", body.data(), body.size(), 5);
  testing::internal::CaptureStderr();
  int ended = drive(c);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(c->error, 1);
  http_release(c);
}

TEST(HttpFailure, OversizedResponseEndsWithError) {
  TestServer srv([&](int fd) {
    read_request(fd);
    send_all(fd, "HTTP/1.0 200 OK\n\n" + std::string(HTTP_MAX_RESPONSE, 'x'));
  });
  HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 5);
  testing::internal::CaptureStderr();
  int ended = drive(c, 20000);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(c->error, 1);
  EXPECT_LE(c->response.size(), HTTP_MAX_RESPONSE);
  EXPECT_NE(err.find("beyond"), std::string::npos);
  http_release(c);

  // The cap is the largest reply taken whole: one byte more is refused.
  for (size_t extra : {0, 1}) {
    const std::string head = "HTTP/1.0 200 OK\n\n";
    TestServer small([&](int fd) {
      read_request(fd);
      send_all(fd, head + std::string(1000 - head.size() + extra, 'x'));
    });
    c = http_open("127.0.0.1", small.port(), "/", nullptr, 0, 5, 1000);
    testing::internal::CaptureStderr();
    EXPECT_EQ(drive(c, 20000), 1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(c->error, extra ? 1 : 0) << extra;
    EXPECT_EQ(c->body_len, extra ? 0u : 1000 - head.size()) << extra;
    http_release(c);
  }
}

// Replies no service should send end with the error flag; a line break in
// the host or path is never sent.
TEST(HttpFailure, MalformedRepliesAndLineBreaksAreErrors) {
  const char* replies[] = {"X-Response: OK\r\n\r\nbody",
                           "HTTP/1.0 200 OK\r\ncontent-length: 10\r\n\r\nshort"};
  for (const char* reply : replies) {
    TestServer srv([&](int fd) {
      read_request(fd);
      send_all(fd, reply);
    });
    HttpConn* c = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 5);
    testing::internal::CaptureStderr();
    ASSERT_EQ(drive(c), 1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(c->error, 1) << reply;
    http_release(c);
  }
  TestServer srv([&](int fd) {
    read_request(fd);
    send_all(fd, "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nbody");
  });
  HttpConn* ok = http_open("127.0.0.1", srv.port(), "/", nullptr, 0, 5);
  ASSERT_EQ(drive(ok), 1);
  EXPECT_EQ(ok->error, 0);
  http_release(ok);
  for (const char* path : {"/a\r\nX-Injected: 1", "/a\nb", "/a\rX-Injected: 1"}) {
    testing::internal::CaptureStderr();
    HttpConn* c = http_open("127.0.0.1", 9, path, nullptr, 0, 5);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("line break"), std::string::npos);
    EXPECT_EQ(c->error, 1);
    EXPECT_EQ(c->sock, -1);
    http_release(c);
  }
  testing::internal::CaptureStderr();
  HttpConn* c = http_open("127.0.0.1\r\nX: y", 9, "/", nullptr, 0, 5);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(c->error, 1);
  http_release(c);
}

// Header names are matched in any letter case, for every header the client
// reads, Content-Length included (a reply shorter than it announces is an
// error whatever the case of the name).
TEST(HttpHeaders, EveryNameIsFoundInAnyLetterCase) {
  const char* names[] = {"X-Receipt", "X-Response", "X-Error", "X-Type", "X-Query", "Content-Length"};
  auto recase = [](std::string n, int how) {
    for (size_t i = 0; i < n.size(); i++)
      n[i] = static_cast<char>(how == 0 ? tolower(n[i]) : how == 1 ? toupper(n[i]) : i % 2 ? toupper(n[i]) : tolower(n[i]));
    return n;
  };
  for (int how = 0; how < 3; how++) {
    std::string head = "HTTP/1.0 200 OK\r\n";
    for (const char* n : names)
      if (std::string(n) != "Content-Length") head += recase(n, how) + ": v-" + n + "\r\n";
    for (const char* cl : {"4", "10"}) {
      HttpConn* c = http_conn_replay(head + recase("Content-Length", how) + ": " + cl + "\r\n\r\nbody");
      EXPECT_EQ(c->error, std::string(cl) == "10") << recase("Content-Length", how) << ": " << cl;
      for (const char* n : names) {
        std::string want = std::string(n) == "Content-Length" ? cl : std::string("v-") + n;
        EXPECT_EQ(http_header(c, n), want) << recase(n, how);
        EXPECT_EQ(http_header(c, recase(n, (how + 1) % 3).c_str()), want) << recase(n, how);
      }
      http_release(c);
    }
  }
}
