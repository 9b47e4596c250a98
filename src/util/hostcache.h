// Host-name look-ups, kept for the run. A look-up may block for as long as
// the name server takes, so it runs on a worker thread of its own and the
// caller asks again on a later frame until the answer is in; each name is
// asked once, and a failed one at most once a minute, so a network that
// comes up later is noticed. A dotted IPv4 address needs no look-up.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

enum HostLookup {
  HOST_PENDING,  // a worker is still asking
  HOST_FOUND,
  HOST_UNKNOWN,
};

class HostCache {
 public:
  // Fills the IPv4 address (network byte order); false when unknown. Runs on
  // a worker thread: it must not touch the game's state.
  using Resolver = bool (*)(const char* host, uint32_t* addr);
  static constexpr int64_t kRetryMs = 60 * 1000;

  explicit HostCache(Resolver resolver) : resolver_(resolver) {}

  // The address of host at time now_ms (any monotonic scale in ms). Never
  // waits: the first call for a name starts its look-up and answers
  // HOST_PENDING until the worker has answered.
  HostLookup lookup(const std::string& host, int64_t now_ms, uint32_t* addr);
  // Forgets every name; a look-up still running ends unseen.
  void clear() { entries_.clear(); }
  void set_resolver(Resolver resolver) { resolver_ = resolver; }
  Resolver resolver() const { return resolver_; }

 private:
  struct Job;
  struct Entry {
    HostLookup state;
    uint32_t addr;
    int64_t asked_ms;
    std::shared_ptr<Job> job;  // while HOST_PENDING
  };
  Resolver resolver_;
  std::map<std::string, Entry> entries_;
};

// The system's look-up: a dotted address is taken as it is, any other name
// goes to getaddrinfo (IPv4).
bool tk_resolve_system(const char* host, uint32_t* addr);

// Milliseconds on the monotonic clock.
int64_t tk_monotonic_ms();

// The process's cache (main thread only), over tk_resolve_system; tests may
// swap its resolver.
HostCache& tk_host_cache();

// The address of host through the process's cache.
HostLookup tk_gethostbyname(const char* host, uint32_t* addr);
