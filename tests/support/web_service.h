// A small web service for the tests: HTTP/1.0 on a free 127.0.0.1 port,
// served by one thread of its own. It answers every action of the game as
// the game expects (receipts for the submissions, community pages, shared
// maps) and can be told to misbehave. Every request it reads is recorded.
// Like the real service it checks the signature ("sid") of a submission
// against the user id the request carries: a mismatch is answered 400 with
// the receipt and an error, and the submission is not taken.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class WebService {
 public:
  // How the service treats the requests that arrive from now on.
  enum Mode {
    SERVE,    // answer as the game expects
    DROP,     // read the request, close without a byte (a service that is down)
    HOLD,     // read the request and answer nothing until release_held()
    FAIL500,  // "HTTP/1.0 500" without the service's headers
    GARBAGE,  // bytes that are no HTTP reply at all
    EMPTY,    // a status line and nothing else
    CUT,      // a reply cut off inside its header block
    OTHER_RECEIPT,  // answer as expected, but with the receipt of another id
  };
  // The letter case of the names of the header lines it sends.
  enum HeaderCase { AS_IS, LOWER, UPPER, MIXED };

  struct Request {
    std::string method;  // "GET" or "POST"
    std::string target;  // path and query as sent
    std::string body;    // the form body as sent
    std::map<std::string, std::string> query;  // decoded query fields
    std::map<std::string, std::string> form;   // decoded body fields
    std::string action() const { return field(query, "_action"); }
    std::string receipt() const { return field(query, "_receipt"); }
    static std::string field(const std::map<std::string, std::string>& m, const char* k) {
      auto it = m.find(k);
      return it == m.end() ? std::string() : it->second;
    }
  };

  // An answer of the test's own for one action: extra header lines (each
  // "Name: value") and a body, replacing what the service would say.
  struct Reply {
    std::vector<std::string> headers;
    std::string body;
  };

  WebService();
  ~WebService();
  WebService(const WebService&) = delete;
  WebService& operator=(const WebService&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:port", the value for TUNNELWICK_SERVICE.
  std::string address() const;

  void set_mode(Mode m);
  // Submissions are answered without their X-Receipt.
  void set_omit_receipts(bool omit);
  // Every receipt is sent twice, and once more in the reply to the next
  // request of any kind.
  void set_duplicate_receipts(bool dup);
  void set_header_case(HeaderCase c);
  void set_reply(const std::string& action, const Reply& r);
  void clear_reply(const std::string& action);
  // The packed map that "uplay" sends for the id, and the rating with it.
  void set_map(const std::string& id, const std::string& packed, int stars);
  // Answers the held requests as the service would now.
  void release_held();

  std::vector<Request> requests() const;
  std::vector<Request> requests(const std::string& action) const;
  // Submissions the service took, once per receipt id (a repeat of an id it
  // has seen is answered again but not taken again).
  std::vector<Request> accepted() const;
  // Submissions whose signature did not match the user id they came with.
  std::vector<Request> rejected() const;

 private:
  struct Conn {
    int fd;
    std::string in;
  };
  void run();
  bool complete(const std::string& in, Request* r) const;
  std::string answer(const Request& r);
  void respond(int fd, const Request& r);

  int listen_fd_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mu_;
  bool stop_ = false;
  Mode mode_ = SERVE;
  bool omit_receipts_ = false;
  bool duplicate_receipts_ = false;
  HeaderCase header_case_ = AS_IS;
  std::string pending_duplicate_;
  std::map<std::string, Reply> replies_;
  std::map<std::string, std::pair<std::string, int>> maps_;
  std::vector<Request> log_;
  std::vector<Request> accepted_;
  std::vector<Request> rejected_;
  std::vector<std::pair<int, Request>> held_;
  bool release_ = false;
};
