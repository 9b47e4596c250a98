// Puts every editor screen into the state table under its id at start-up.
#include "editor/edit_file_dialogs.h"
#include "editor/edit_help.h"
#include "editor/edit_main.h"
#include "editor/edit_menu.h"
#include "editor/edit_share.h"
#include "editor/edit_text.h"
#include "editor/editor.h"

void register_editor_states(Game* g) {
  state_put(STATE_EDIT_MAIN, new EditMain(g));
  state_put(STATE_EDIT_TEXT, new EditText(g));
  state_put(STATE_EDIT_MENU, new EditMenu(g));
  state_put(STATE_EDIT_SHARE, new EditShare(g));
  state_put(STATE_EDIT_DELETE, new EditDelete(g));
  state_put(STATE_EDIT_HELP, new EditHelp(g));
  state_put(STATE_EDIT_EXPORT, new EditExport(g));
  state_put(STATE_EDIT_IMPORT, new EditImport(g));
}
