// Two small dialogs of the editor: the help with the editor's keys, which
// goes back to the screen that opened it, and the confirmation before a map
// is deleted.
#pragma once

#include "editor/edit_screen.h"

enum { HELP_ACT_DONE = 1, HELP_ACT_TUTORIALS = 12, DELETE_ACT_CANCEL = 7, DELETE_ACT_DELETE = 8 };

// The keys and mouse buttons of the drawing screen, as the help lists them.
extern const char* const EDIT_HELP_TEXT;

class EditHelp : public EditScreen {
 public:
  explicit EditHelp(Game* g) : EditScreen(g) {}

 protected:
  void build() override;
  void action(int code, const Event& e) override;
};

class EditDelete : public EditScreen {
 public:
  explicit EditDelete(Game* g) : EditScreen(g) {}

 protected:
  void build() override;
  void action(int code, const Event& e) override;
};

// Removes the current map from the player's map database and back-zooms to
// the list of maps. Nothing saves the map before or after.
void edit_delete_map(Game* g);
