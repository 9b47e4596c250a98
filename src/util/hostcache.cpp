#include "util/hostcache.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <ctime>

bool HostCache::lookup(const std::string& host, int64_t now_ms, uint32_t* addr) {
  auto it = entries_.find(host);
  if (it != entries_.end() && (it->second.ok || now_ms - it->second.asked_ms < kRetryMs)) {
    if (it->second.ok) *addr = it->second.addr;
    return it->second.ok;
  }
  Entry e{false, 0, now_ms};
  e.ok = resolver_ && resolver_(host.c_str(), &e.addr);
  entries_[host] = e;
  if (e.ok) *addr = e.addr;
  return e.ok;
}

bool tk_resolve_system(const char* host, uint32_t* addr) {
  if (!host || !*host) return false;
  in_addr a;
  if (inet_pton(AF_INET, host, &a) == 1) {
    *addr = a.s_addr;
    return true;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) return false;
  *addr = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(res);
  return true;
}

int64_t tk_monotonic_ms() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

HostCache& tk_host_cache() {
  static HostCache cache(tk_resolve_system);
  return cache;
}

bool tk_gethostbyname(const char* host, uint32_t* addr) {
  return tk_host_cache().lookup(host ? host : "", tk_monotonic_ms(), addr);
}
