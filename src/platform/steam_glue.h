// The game's use of the Steam layer: sign-in and the friends list.
#pragma once

#include <string>
#include <vector>

// Signs the player in with the social document: (network, id, name), all
// three null when no Steam user is present.
typedef void (*steam_login_fn)(const char* network, const char* id,
                               const char* name);

// Calls SteamAPI_Init; without a Steam user calls login with three nulls;
// else formats the id as "%016llx", takes the persona name (at most 255
// characters), asks for the current statistics and calls login with "s",
// the id and the name. A null login is skipped.
void steam_init(steam_login_fn login);
// "s:%016llx" for each of the user's immediate friends, in Steam's order;
// empty when no Steam user is signed in.
std::vector<std::string> steam_friends();
