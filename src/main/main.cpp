// The program's entry: installs the subsystems that sit above the game core
// and runs the game.
#include "editor/editor.h"
#include "game/game_main.h"
#include "game/hooks.h"
#include "menus/menus.h"
#include "online/online.h"

int main(int argc, char** argv) {
  game_hooks.register_editor_states = register_editor_states;
  game_hooks.edit_map_unsaved = edit_mark_dirty;
  game_hooks.register_menu_states = register_menu_states;
  online_install_hooks(&game_hooks);
  return game_main(argc, argv);
}
