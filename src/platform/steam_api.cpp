// The Steam layer without a Steam client: nobody is signed in.
#include "platform/steam_api.h"

bool SteamAPI_Init() { return false; }
void SteamAPI_RunCallbacks() {}
void SteamAPI_Shutdown() {}
ISteamUser* SteamUser() { return nullptr; }
ISteamFriends* SteamFriends() { return nullptr; }
ISteamUserStats* SteamUserStats() { return nullptr; }
ISteamRemoteStorage* SteamRemoteStorage() { return nullptr; }
ISteamUtils* SteamUtils() { return nullptr; }
