// Loads, updates and saves the per-user social login document and tells the game who signed in.
#include "online/social.h"

#include <cstdio>

#include "driver/event.h"
#include "game/game.h"
#include "game/paths.h"
#include "platform/steam_api.h"
#include "platform/steam_glue.h"
#include "util/atomic_file.h"
#include "util/encode.h"
#include "util/json.h"

var* social_holder = nullptr;

namespace {

var& doc() { return *social_holder; }

void send_event(int type) { game_send_event(Event(type)); }

}  // namespace

bool social_get() {
  if (social_holder) return true;
  social_holder = new var();
  social_doc_prepare(true);
  steam_init(social_login);
  return true;
}

void social_doc_prepare(bool fresh) {
  if (!social_holder) return;
  if (fresh) doc() = var();
  if (!doc().is_dict()) doc() = var::new_dict();
  for (const char* key : {"user", "leaderboard"})
    if (!doc()[key].is_dict()) doc().set(key, var::new_dict());
}

std::string social_uuid() { return social_holder ? var_str(doc()["user"]["uuid"]) : std::string(); }
std::string social_name() { return social_holder ? var_str(doc()["user"]["name"]) : std::string(); }

void social_login(const char* network, const char* network_id, const char* name) {
  social_get();
  if (!name) name = "guest";
  std::string uuid;
  if (network && network_id) uuid = std::string(network) + ":" + network_id;
  std::string old = social_uuid();
  if (uuid == old) return;
  if (!old.empty()) {
    fprintf(stderr, "social_login: logout: %s\n", old.c_str());
    send_event(EVT_LOGOUT);
    social_doc_store();
  }
  social_doc_prepare(true);
  var user = doc()["user"];
  user.set("uuid", uuid);
  user.set("network", network ? network : "");
  user.set("network_id", network_id ? network_id : "");
  user.set("name", name);
  social_user_load();
  fprintf(stderr, "social_login name: %s uid: %s uuid: %s\n", social_name().c_str(),
          network_id ? network_id : "", social_uuid().c_str());
  send_event(EVT_LOGIN);
}

void social_user_load() {
  social_get();
  var user = doc()["user"];
  std::string file;
  if (social_doc_load(&file)) {
    var parsed;
    json_parse(file.data(), file.size(), parsed);
    doc() = parsed;
  }
  social_doc_prepare(false);
  doc().set("user", user);
}

bool social_doc_store() {
  if (!social_holder) return false;
  std::string text = json_dump(doc());
  return social_doc_save(text.data(), text.size());
}

const char* social_doc_path() {
  static char buf[64];
  snprintf(buf, sizeof buf, "%s-%s", md5_hex(social_uuid()).c_str(), "social.json");
  return buf;
}

bool social_doc_save(const char* text, size_t len) {
  const char* name = social_doc_path();
  fprintf(stderr, "social_doc_save: %s\n", name);
  // Written whole or not at all: a cut run must not leave half a document.
  // A failure is said by the writer, with the system's reason.
  return atomic_write_file(game_user_path(name), text, len);
}

bool social_doc_load(std::string* out) {
  const char* name = social_doc_path();
  fprintf(stderr, "social_doc_load: %s\n", name);
  return game_read_file(game_user_path(name), out);
}

void social_shutdown() {
  social_get();
  send_event(EVT_LOGOUT);
  if (!social_uuid().empty()) social_doc_store();
  delete social_holder;
  social_holder = nullptr;
  SteamAPI_Shutdown();
}
