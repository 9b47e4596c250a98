// Who the player is to the web service, and which build this is.
#pragma once

struct Game;

// Rebuilds the identity fields of Settings (device id when empty, then
// name, uid and token) and logs them.
void game_login_identity(Game* g);
// "1.0.16-Desktop-Win32-Steamworks", with ":SteamApp" when a Steam user is
// present and ":DEBUG" when the debug setting of the running Game is 1; in
// a static buffer.
const char* game_version();
