// Resolves host names once per run, retrying failures at most once a minute.
#include "util/hostcache.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstdio>
#include <ctime>
#include <mutex>
#include <system_error>
#include <thread>

// What a worker hands back; shared with the worker, which may outlive the
// entry (a cleared cache) or never answer at all.
struct HostCache::Job {
  std::mutex mu;
  bool done = false;
  bool ok = false;
  uint32_t addr = 0;
};

HostLookup HostCache::lookup(const std::string& host, int64_t now_ms, uint32_t* addr) {
  in_addr literal;
  if (inet_pton(AF_INET, host.c_str(), &literal) == 1) {
    *addr = literal.s_addr;
    return HOST_FOUND;
  }
  auto it = entries_.find(host);
  if (it != entries_.end()) {
    Entry& e = it->second;
    if (e.state == HOST_PENDING) {
      std::lock_guard<std::mutex> g(e.job->mu);
      if (e.job->done) {
        e.state = e.job->ok ? HOST_FOUND : HOST_UNKNOWN;
        e.addr = e.job->addr;
      }
    }
    if (e.state == HOST_PENDING) return HOST_PENDING;
    if (e.state == HOST_FOUND) {
      *addr = e.addr;
      return HOST_FOUND;
    }
    e.job.reset();
    if (now_ms - e.asked_ms < kRetryMs) return HOST_UNKNOWN;
  }
  if (!resolver_) return HOST_UNKNOWN;
  auto job = std::make_shared<Job>();
  try {
    std::thread([job, host, resolver = resolver_] {
      uint32_t a = 0;
      bool ok = resolver(host.c_str(), &a);
      std::lock_guard<std::mutex> g(job->mu);
      job->ok = ok;
      job->addr = a;
      job->done = true;
    }).detach();
  } catch (const std::system_error& err) {
    std::fprintf(stderr, "HostCache: cannot start the look-up of '%s': %s\n", host.c_str(), err.what());
    entries_[host] = Entry{HOST_UNKNOWN, 0, now_ms, nullptr};
    return HOST_UNKNOWN;
  }
  entries_[host] = Entry{HOST_PENDING, 0, now_ms, job};
  return HOST_PENDING;
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

HostLookup tk_gethostbyname(const char* host, uint32_t* addr) {
  return tk_host_cache().lookup(host ? host : "", tk_monotonic_ms(), addr);
}
