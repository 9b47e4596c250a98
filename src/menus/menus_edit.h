// The list of the player's own maps (STATE_MENUS_EDIT), newest first:
// picking one opens it in the editor menu, "Create New Map" makes a map
// floored from edge to edge and opens its title form, and "Import Map"
// (debug setting only) opens the import dialog.
#pragma once

#include "game/state.h"
#include "util/var.h"

// Action codes: back, create, import, and MAPS_ACT_ROW + i for row i.
enum { MAPS_ACT_BACK = 6, MAPS_ACT_CREATE = 7, MAPS_ACT_IMPORT = 8, MAPS_ACT_ROW = 0x10000 };

class MenusEdit : public State {
 public:
  var maps_rows;  // the rows of the last query, so a row's code finds its map

  explicit MenusEdit(Game* g) : State(g) {}
  void init() override;
  void deinit() override {}
  void paint() override;
  void event(Event e) override;
  void loop() override;
  // Makes a new map and opens its title form; stays here when the map
  // cannot be stored.
  void create_map();
};
