// Sign-in and friends through the Steam layer.
#include "platform/steam_glue.h"

#include <cstdio>
#include <cstring>

#include "platform/steam_api.h"

void steam_init(steam_login_fn login) {
  SteamAPI_Init();
  ISteamUser* user = SteamUser();
  if (!user) {
    if (login) login(nullptr, nullptr, nullptr);
    return;
  }
  char id[32];
  std::snprintf(id, sizeof id, "%016llx",
                static_cast<unsigned long long>(user->GetSteamID()));
  char name[256] = "";
  if (ISteamFriends* f = SteamFriends()) {
    const char* n = f->GetPersonaName();
    if (n) std::snprintf(name, sizeof name, "%s", n);
  }
  if (ISteamUserStats* stats = SteamUserStats()) stats->RequestCurrentStats();
  if (login) login("s", id, name);
}

std::vector<std::string> steam_friends() {
  std::vector<std::string> out;
  ISteamFriends* f = SteamFriends();
  if (!SteamUser() || !f) return out;
  int n = f->GetFriendCount(STEAM_FRIEND_FLAG_IMMEDIATE);
  for (int i = 0; i < n; i++) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s:%016llx", "s",
                  static_cast<unsigned long long>(
                      f->GetFriendByIndex(i, STEAM_FRIEND_FLAG_IMMEDIATE)));
    out.push_back(buf);
  }
  return out;
}
