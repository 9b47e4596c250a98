// Derives the name, id and token the player signs in with, and the version text the service sees.
#include "game/identity.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "game/game.h"
#include "game/hooks.h"
#include "game/paths.h"
#include "game/save_files.h"
#include "platform/netif_mac.h"
#include "platform/steam_api.h"
#include "util/encode.h"

// The word the web service shares with the game for anonymous players.
static const char kAnonymousWord[] = "tapir";

void game_login_identity(Game* g) {
  Settings& s = g->settings;
  settings_sanitize(&s);
  if (!s.udid[0]) {
    std::string mac = netif_mac_hex();
    snprintf(s.udid, sizeof s.udid, "%s-%ld", mac.c_str(), (long)time(nullptr));
    // Everything the player sends is signed with this id: a run that ends
    // before the next save must not leave a new one to the next run.
    if (!game_user_dir().empty()) {
      s.version = SETTINGS_VERSION;
      if (!game_write_file(game_user_path("settings.dat"), &s, sizeof s, SAVE_PRIVATE_MODE))
        fprintf(stderr, "game_login_identity: the new device id is not saved yet\n");
    }
  }
  std::string name, uid, token;
  std::string uuid = game_hooks.social_uuid ? game_hooks.social_uuid() : std::string();
  if (s.name[0]) {
    name = s.name;
    uid = "g:" + name;
    token = md5_hex(name + "|" + md5_hex(std::string(s.passwd)));
  } else if (!uuid.empty()) {
    name = game_hooks.social_name ? game_hooks.social_name() : std::string();
    uid = uuid;
    token = md5_hex(name + "|" + uuid);
  } else {
    name = "Anonymous";
    uid = "a:" + std::string(s.udid);
    token = md5_hex(uid + "|" + md5_hex(std::string(kAnonymousWord)));
  }
  game_text_set(s.id_name, sizeof s.id_name, name.c_str());
  game_text_set(s.uid, sizeof s.uid, uid.c_str());
  game_text_set(s.token, sizeof s.token, token.c_str());
  // The token stands in for the password at the service: the log shows
  // only enough of it to tell two tokens apart.
  fprintf(stderr, "udid:%s, name:%s, uid:%s token:%.6s...\n", s.udid, s.id_name, s.uid, s.token);
}

const char* game_version() {
  static char buf[128];
  int debug = game_current ? game_current->settings.debug : 0;
  snprintf(buf, sizeof buf, "%s%s%s", "1.0.16-Desktop-Win32-Steamworks",
           SteamUser() ? ":SteamApp" : "", debug == 1 ? ":DEBUG" : "");
  return buf;
}
