// Calls from the game core into the subsystems built on top of it (the
// screens, the editor, the online services). The game core cannot link
// against them, so the program's entry installs them here before
// game_main; every hook left null does nothing (the social ones answer
// empty texts), which is also how the headless tests run the core alone.
#pragma once
#include <string>

struct AudioBackend;
struct Game;

struct GameHooks {
  // Screen registration, in the order Game::init calls them.
  void (*register_play_states)(Game*) = nullptr;
  void (*register_editor_states)(Game*) = nullptr;
  void (*register_menu_states)(Game*) = nullptr;
  void (*register_death_states)(Game*) = nullptr;
  // The sound engine behind the audio driver (none: silent).
  AudioBackend* (*audio_backend)() = nullptr;
  void (*audio_backend_free)() = nullptr;
  // The social login document.
  void (*social_get)() = nullptr;
  std::string (*social_uuid)() = nullptr;
  std::string (*social_name)() = nullptr;
  void (*social_shutdown)() = nullptr;
  // The reliable outbox and the web requests.
  void (*game_reliable_init)(Game*) = nullptr;
  // Answers the number of entries still pending after the pass.
  int (*game_reliable_loop)(Game*) = nullptr;
  void (*web_loop)(Game*) = nullptr;
  void (*web_ping)(Game*) = nullptr;
  void (*web_friends)(Game*) = nullptr;
  // Score and rating submissions of a won level: the campaign level's score,
  // a community map's score, and the player's stars for a community map.
  void (*submit_scores)(Game*) = nullptr;
  void (*submit_uscores)(Game*) = nullptr;
  void (*submit_urate)(Game*, int stars) = nullptr;
};

extern GameHooks game_hooks;
