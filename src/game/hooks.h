// The boundary between the game core and what is built on top of it. The
// core cannot link against the subsystems above it, so the program's entry
// (src/main/main.cpp) has this table filled before game_main. The core's own
// screens (play, pause, results, movies) and its audio driver are not here:
// Game::init calls them directly. A slot left null does nothing, which is
// how the tests run the core alone or with stand-ins of their own.
//
// Adding a slot: one function pointer below with a one-line comment that
// says who fills it and where the core calls it; the call at that place,
// harmless when the slot is null; the assignment where that kind of slot is
// filled: src/main/main.cpp for editor and menus slots, online_install_hooks
// in src/online/online.cpp for online slots (main.cpp calls it).
#pragma once
#include <string>

struct Game;

struct GameHooks {
  // src/editor fills it; Game::init calls it after the play screens, before the menu screens.
  void (*register_editor_states)(Game*) = nullptr;
  // src/editor fills it; the level-won routine calls it when a won play-test's mark could not be stored, so the editor stores it at its next save.
  void (*edit_map_unsaved)() = nullptr;
  // src/menus fills it; Game::init calls it after the play screens, before the first screen is entered.
  void (*register_menu_states)(Game*) = nullptr;
  // src/online fills it; Game::init calls it once the directories are set, before the save files are read (social login).
  void (*social_get)() = nullptr;
  // src/online fills it; game_login_identity calls it for the social login's uuid (empty: nobody signed in).
  std::string (*social_uuid)() = nullptr;
  // src/online fills it; game_login_identity calls it for the social login's display name.
  std::string (*social_name)() = nullptr;
  // src/online fills it; Game::deinit calls it after the save files (stores outbox entries held in memory).
  void (*online_quit)() = nullptr;
  // src/online fills it; Game::deinit calls it near its end (stores the social document, signs out).
  void (*social_shutdown)() = nullptr;
  // src/online fills it; Game::init calls it last, once the databases are open (opens the outbox, sends ping and friends).
  void (*online_start)(Game*) = nullptr;
  // src/online fills it; game_frame calls it every frame after the fixed steps (outbox resend rule, then web_loop).
  void (*online_frame)(Game*) = nullptr;
  // src/online fills it; the level-won routine calls it for a campaign level won without a cheat, not in a replay.
  void (*submit_scores)(Game*) = nullptr;
  // src/online fills it; the level-won routine calls it for a community map won without a cheat, not in a replay.
  void (*submit_uscores)(Game*) = nullptr;
  // src/online fills it; PlayWin::event calls it when the player leaves a community map's results with stars given.
  void (*submit_urate)(Game*, int stars) = nullptr;
};

extern GameHooks game_hooks;
