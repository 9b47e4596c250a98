// Tests of the host cache: a known name is asked once, a failed one again at most once a minute.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <atomic>
#include <thread>

#include "util/hostcache.h"
#include "support/gated_resolver.h"

namespace {
std::atomic<int> asked{0};
std::atomic<bool> answer{false};
bool fake(const char* host, uint32_t* addr) {
  ++asked;
  *addr = static_cast<uint32_t>(std::string(host).size());
  return answer;
}

// Asks until the worker has answered (at most 5 s of waiting on it).
HostLookup settle(HostCache& cache, const std::string& host, int64_t now, uint32_t* addr) {
  int64_t stop = tk_monotonic_ms() + 5000;
  HostLookup r;
  while ((r = cache.lookup(host, now, addr)) == HOST_PENDING && tk_monotonic_ms() < stop) std::this_thread::yield();
  return r;
}

}  // namespace

TEST(HostCache, KnownHostIsAskedOnce) {
  asked = 0;
  answer = true;
  HostCache cache(fake);
  uint32_t a = 0;
  EXPECT_EQ(settle(cache, "abc", 0, &a), HOST_FOUND);
  EXPECT_EQ(a, 3u);
  EXPECT_EQ(cache.lookup("abc", 10 * HostCache::kRetryMs, &a), HOST_FOUND);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(settle(cache, "abcd", 0, &a), HOST_FOUND);
  EXPECT_EQ(a, 4u);
  EXPECT_EQ(asked, 2);
}

TEST(HostCache, FailedLookupIsRetriedAtMostOnceAMinute) {
  asked = 0;
  answer = false;
  HostCache cache(fake);
  uint32_t a = 0;
  EXPECT_EQ(settle(cache, "down", 1000, &a), HOST_UNKNOWN);
  EXPECT_EQ(cache.lookup("down", 1000 + HostCache::kRetryMs - 1, &a), HOST_UNKNOWN);
  EXPECT_EQ(asked, 1);
  answer = true;
  EXPECT_EQ(settle(cache, "down", 1000 + HostCache::kRetryMs, &a), HOST_FOUND);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(cache.lookup("down", 1000 + 5 * HostCache::kRetryMs, &a), HOST_FOUND);
  EXPECT_EQ(asked, 2);
}

// The caller never waits for the name server: a look-up that does not
// answer stays pending, is asked once however often the caller asks, and
// serves once it answers.
TEST(HostCache, LookupNeverWaitsForTheNameServer) {
  gated_resolver::close();
  HostCache cache(gated_resolver::resolve);
  uint32_t a = 0;
  for (int i = 0; i < 100; i++) ASSERT_EQ(cache.lookup("slow.test", i * HostCache::kRetryMs, &a), HOST_PENDING);
  gated_resolver::let_answer();
  EXPECT_EQ(settle(cache, "slow.test", 0, &a), HOST_FOUND);
  EXPECT_EQ(a, htonl(0x7f000001));
  EXPECT_EQ(gated_resolver::questions(), 1);
}

TEST(HostCache, DottedAddressesNeedNoLookup) {
  HostCache cache(nullptr);
  uint32_t a = 0;
  EXPECT_EQ(cache.lookup("127.0.0.1", 0, &a), HOST_FOUND);
  EXPECT_EQ(a, htonl(0x7f000001));
  EXPECT_EQ(cache.lookup("localhost", 0, &a), HOST_UNKNOWN);
  ASSERT_TRUE(tk_resolve_system("127.0.0.1", &a));
  EXPECT_EQ(a, htonl(0x7f000001));
  EXPECT_FALSE(tk_resolve_system("", &a));
}
