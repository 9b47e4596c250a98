// The social login document: who is signed in through an online network
// (Steam here) and a small JSON document kept per user in the per-user
// directory, in the file "<md5 of the uuid>-social.json". The document is a
// dict with "user" ({"uuid", "network", "network_id", "name"}) and
// "leaderboard" (kept as read); other keys read from the file stay.
#pragma once
#include <string>

#include "util/var.h"

// The one document; null until the first social_get and after shutdown.
extern var* social_holder;

// Makes sure the document exists; the first call also starts Steam, which
// signs its user in through social_login. Always true.
bool social_get();
// With fresh set, empties the document; then repairs its shape: a dict with
// dicts under "user" and "leaderboard".
void social_doc_prepare(bool fresh);
// The signed-in user's uuid ("network:id") and name; empty when none.
std::string social_uuid();
std::string social_name();
// Signs a user in (all three null: nobody). A different user than the
// current one stores the old user's document and loads the new user's.
void social_login(const char* network, const char* network_id, const char* name);
// Replaces the document by the signed-in user's file, keeping "user".
void social_user_load();
// Writes the document to the signed-in user's file; false, with a
// diagnostic line that says why, when it could not be written (the file
// keeps what it held).
bool social_doc_store();
// The file name of the signed-in user's document (static buffer).
const char* social_doc_path();
bool social_doc_save(const char* text, size_t len);
// Reads the signed-in user's file into out; false when there is none.
bool social_doc_load(std::string* out);
// At shutdown: signs out, stores the document (only when somebody was
// signed in: nobody's document is never written over), frees it and shuts
// Steam down.
void social_shutdown();
