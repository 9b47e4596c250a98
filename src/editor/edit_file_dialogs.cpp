// Export and import dialogs: the player types a map file's path and confirms or cancels.
#include "editor/edit_file_dialogs.h"

#include <cstring>

#include "editor/edit_files.h"
#include "editor/editor.h"
#include "game/game.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "ui/ui.h"

static Table* dialog(Widget* heading, const char* question, const std::string& path, const char* verb,
                     int code) {
  Table* t = new Table;
  t->new_row();
  t->add(heading);
  if (question) {
    t->new_row();
    t->add(edit_centred_label(font_load("font2"), question, 426));
  }
  t->new_row();
  t->add(edit_field("text", path, FILE_FIELD_WIDTH));
  t->new_row();
  t->add(edit_button(verb, code));
  t->new_row();
  t->add(edit_button("Cancel", FILE_ACT_CANCEL));
  t->st(SW_WIDTH, 320);
  t->st(SW_HEIGHT, 320);
  t->restyle();
  return t;
}

// The map's path slot holds only a path that was really written to (or
// imported from): what is typed stays in the field until Export, so that
// neither the default path nor a typed one can pass for this map's own file,
// not even after the game was quit with the dialog open.
void EditExport::build() {
  char* slot = game->level.map.text[LEVEL_TEXT_PATH];
  own_path.assign(slot, strnlen(slot, LEVEL_TEXT_SIZE));
  add_centred(dialog(edit_title(game), "Export this Map?", own_path.empty() ? edit_default_path() : own_path,
                     "Export", FILE_ACT_EXPORT));
}

void EditExport::action(int code, const Event&) {
  if (code == FILE_ACT_EXPORT) {
    if (Widget* text = root.find("text"))
      edit_text_to_slot(game->level.map.text[LEVEL_TEXT_PATH], text->get_value_s());
    edit_export_map(game, own_path);
  } else if (code == FILE_ACT_CANCEL) {
    game_switch(game, TRANS_FADE, STATE_EDIT_MENU);
  }
}

// The field is the dialog's own: no map is chosen yet, so the map that
// happens to be loaded is left alone.
void EditImport::build() {
  add_centred(dialog(edit_centred_label(font_load("font1"), "Import a Map", 426), nullptr, edit_default_path(),
                     "Import", FILE_ACT_IMPORT));
}

void EditImport::action(int code, const Event&) {
  if (code == FILE_ACT_IMPORT) {
    Widget* text = root.find("text");
    edit_import_map(game, text ? text->get_value_s() : std::string());
  } else if (code == FILE_ACT_CANCEL) {
    game_switch(game, TRANS_FADE, STATE_MENUS_EDIT);
  }
}
