// The program's entry: installs the subsystems that sit above the game core
// and runs the game.
#include "driver/audio_engine.h"
#include "game/game_main.h"
#include "game/hooks.h"
#include "game/register_play.h"
#include "editor/editor.h"
#include "menus/menus.h"

int main(int argc, char** argv) {
  game_hooks.register_play_states = register_play_states;
  game_hooks.register_editor_states = register_editor_states;
  game_hooks.register_menu_states = register_menu_states;
  game_hooks.audio_backend = audio_engine_start;
  game_hooks.audio_backend_free = audio_engine_stop;
  return game_main(argc, argv);
}
