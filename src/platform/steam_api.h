// The Steam layer: the calls the game makes of the Steam client. No Steam
// client is ever present here, so initialisation fails, SteamUser and the
// other interface getters answer null, and the rest does nothing.
#pragma once

#include <cstdint>

struct ISteamUser {
  virtual ~ISteamUser() = default;
  virtual uint64_t GetSteamID() = 0;
};
struct ISteamFriends {
  virtual ~ISteamFriends() = default;
  virtual const char* GetPersonaName() = 0;
  virtual int GetFriendCount(int flags) = 0;
  virtual uint64_t GetFriendByIndex(int index, int flags) = 0;
  virtual void ActivateGameOverlayToWebPage(const char* url) = 0;
};
struct ISteamUserStats {
  virtual ~ISteamUserStats() = default;
  virtual bool RequestCurrentStats() = 0;
  virtual bool StoreStats() = 0;
  virtual bool SetAchievement(const char* name) = 0;
  virtual bool ResetAllStats(bool achievements_too) = 0;
};
struct ISteamRemoteStorage {
  virtual ~ISteamRemoteStorage() = default;
  virtual bool FileWrite(const char* name, const void* data, int size) = 0;
  virtual int FileRead(const char* name, void* data, int size) = 0;
  virtual bool FileExists(const char* name) = 0;
  virtual int GetFileSize(const char* name) = 0;
};
struct ISteamUtils {
  virtual ~ISteamUtils() = default;
  virtual bool IsOverlayEnabled() = 0;
};

constexpr int STEAM_FRIEND_FLAG_IMMEDIATE = 4;

bool SteamAPI_Init();
void SteamAPI_RunCallbacks();
void SteamAPI_Shutdown();
ISteamUser* SteamUser();
ISteamFriends* SteamFriends();
ISteamUserStats* SteamUserStats();
ISteamRemoteStorage* SteamRemoteStorage();
ISteamUtils* SteamUtils();
