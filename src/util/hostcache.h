// Host-name look-ups, kept for the run. A look-up blocks, so each name is
// asked once; a failed one is asked again at most once a minute, so a
// network that comes up later is noticed.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class HostCache {
 public:
  // Fills the IPv4 address (network byte order); false when unknown.
  using Resolver = bool (*)(const char* host, uint32_t* addr);
  static constexpr int64_t kRetryMs = 60 * 1000;

  explicit HostCache(Resolver resolver) : resolver_(resolver) {}

  // The address of host at time now_ms (any monotonic scale in ms).
  bool lookup(const std::string& host, int64_t now_ms, uint32_t* addr);
  void clear() { entries_.clear(); }
  void set_resolver(Resolver resolver) { resolver_ = resolver; }
  Resolver resolver() const { return resolver_; }

 private:
  struct Entry {
    bool ok;
    uint32_t addr;
    int64_t asked_ms;
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
bool tk_gethostbyname(const char* host, uint32_t* addr);
