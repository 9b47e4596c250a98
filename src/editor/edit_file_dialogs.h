// The export dialog (STATE_EDIT_EXPORT, reached from the editor menu in
// debug mode) and the import dialog (STATE_EDIT_IMPORT, reached from the
// list of maps): the player types the file's path.
#pragma once

#include <string>

#include "editor/edit_screen.h"

enum { FILE_ACT_CANCEL = 7, FILE_ACT_EXPORT = 10, FILE_ACT_IMPORT = 11, FILE_FIELD_WIDTH = 480 };

class EditExport : public EditScreen {
 public:
  std::string own_path;  // where this map was last exported to or imported from

  explicit EditExport(Game* g) : EditScreen(g) {}

 protected:
  void build() override;
  void action(int code, const Event& e) override;
};

class EditImport : public EditScreen {
 public:
  explicit EditImport(Game* g) : EditScreen(g) {}

 protected:
  void build() override;
  void action(int code, const Event& e) override;
};
