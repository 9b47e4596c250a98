// The editor menu (STATE_EDIT_MENU): the hub of the editor, a column of
// buttons under the map's title, and the ways back to the main menu and the
// community browser.
#pragma once

#include "editor/edit_screen.h"

enum {
  MENU_ACT_EDIT = 2,
  MENU_ACT_TEXT = 3,
  MENU_ACT_SHARE = 4,
  MENU_ACT_QUIT = 5,
  MENU_ACT_PLAY = 6,
  MENU_ACT_DELETE = 8,
  MENU_ACT_HELP = 9,
  MENU_ACT_EXPORT = 10,
  MENU_ACT_TUTORIALS = 12,
  MENU_ACT_MAIN_MENU = 25,
  MENU_ACT_COMMUNITY = 26,
};

class EditMenu : public EditScreen {
 public:
  explicit EditMenu(Game* g) : EditScreen(g) {}

 protected:
  void build() override;
  void action(int code, const Event& e) override;
};
