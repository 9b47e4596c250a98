#include <gtest/gtest.h>

#include <arpa/inet.h>

#include "util/hostcache.h"

namespace {
int asked = 0;
bool answer = false;
bool fake(const char* host, uint32_t* addr) {
  ++asked;
  *addr = static_cast<uint32_t>(std::string(host).size());
  return answer;
}
}  // namespace

TEST(HostCache, KnownHostIsAskedOnce) {
  asked = 0;
  answer = true;
  HostCache cache(fake);
  uint32_t a = 0;
  EXPECT_TRUE(cache.lookup("abc", 0, &a));
  EXPECT_EQ(a, 3u);
  EXPECT_TRUE(cache.lookup("abc", 10 * HostCache::kRetryMs, &a));
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(cache.lookup("abcd", 0, &a));
  EXPECT_EQ(a, 4u);
  EXPECT_EQ(asked, 2);
}

TEST(HostCache, FailedLookupIsRetriedAtMostOnceAMinute) {
  asked = 0;
  answer = false;
  HostCache cache(fake);
  uint32_t a = 0;
  EXPECT_FALSE(cache.lookup("down", 1000, &a));
  EXPECT_FALSE(cache.lookup("down", 1000 + HostCache::kRetryMs - 1, &a));
  EXPECT_EQ(asked, 1);
  answer = true;
  EXPECT_TRUE(cache.lookup("down", 1000 + HostCache::kRetryMs, &a));
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(cache.lookup("down", 1000 + 5 * HostCache::kRetryMs, &a));
  EXPECT_EQ(asked, 2);
}

TEST(HostCache, SystemResolverTakesDottedAddresses) {
  uint32_t a = 0;
  ASSERT_TRUE(tk_resolve_system("127.0.0.1", &a));
  EXPECT_EQ(a, htonl(0x7f000001));
  EXPECT_FALSE(tk_resolve_system("", &a));
}
