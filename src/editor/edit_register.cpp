#include "editor/edit_main.h"
#include "editor/edit_placeholder.h"
#include "editor/editor.h"

void register_editor_states(Game* g) {
  state_put(STATE_EDIT_MAIN, new EditMain(g));
  register_editor_placeholders(g);
}
