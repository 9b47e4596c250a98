// The list of the player's own maps (STATE_MENUS_EDIT), newest first:
// picking one opens it in the editor menu, "Create New Map" makes a map
// floored from edge to edge and opens its title form, and "Import Map"
// (debug setting only) opens the import dialog.
#pragma once

#include "menus/menu_screen.h"
#include "util/var.h"

// Action codes: create, import, and MAPS_ACT_ROW + i for row i, every i
// (the back button is the frame's).
enum { MAPS_ACT_CREATE = 7, MAPS_ACT_IMPORT = 8, MAPS_ACT_ROW = 0x10000 };

class MenusEdit : public MenuScreen {
 public:
  // The rows of the last query (maps with data, newest first), so that a
  // row's code finds its map.
  var maps_rows;

  explicit MenusEdit(Game* g) : MenuScreen(g) {}
  // Makes a new map and opens its title form; stays here when the map
  // cannot be stored.
  void create_map();

 protected:
  void build() override;
  void action(int code) override;
};
