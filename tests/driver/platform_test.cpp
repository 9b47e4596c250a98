// The Steam layer without a client, and the adapter address.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "gfx/test_env.h"
#include "platform/netif_mac.h"
#include "platform/steam_api.h"
#include "platform/steam_glue.h"

using namespace tw_test;

namespace {
int g_logins = 0;
bool g_all_null = false;
void login(const char* n, const char* id, const char* name) {
  g_logins++;
  g_all_null = !n && !id && !name;
}
}  // namespace

TEST(Steam, NoUserMeansAnAnonymousLoginAndNoFriends) {
  EXPECT_FALSE(SteamAPI_Init());
  EXPECT_EQ(SteamUser(), nullptr);
  EXPECT_EQ(SteamUserStats(), nullptr);
  steam_init(login);
  EXPECT_EQ(g_logins, 1);
  EXPECT_TRUE(g_all_null);
  EXPECT_TRUE(steam_friends().empty());
  SteamAPI_RunCallbacks();
  SteamAPI_Shutdown();
}

TEST(Netif, FirstRealAdapterAddressAsHex) {
  TempDir t;
  auto adapter = [&](const char* name, const char* addr) {
    mkdir((t / name).c_str(), 0755);
    write_file(t / name + "/address", addr);
  };
  EXPECT_EQ(netif_mac_hex_from(t.path().c_str()), "");
  adapter("lo", "00:00:00:00:00:00\n");
  adapter("dummy0", "00:00:00:00:00:00\n");
  EXPECT_EQ(netif_mac_hex_from(t.path().c_str()), "");
  adapter("eth0", "52:54:00:AB:cd:0f\n");
  EXPECT_EQ(netif_mac_hex_from(t.path().c_str()), "525400abcd0f");
  EXPECT_EQ(netif_mac_hex_from((t / "missing").c_str()), "");
  std::string real = netif_mac_hex();
  EXPECT_TRUE(real.empty() || real.size() == 12u);
}
