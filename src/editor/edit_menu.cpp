// Editor menu: the column of buttons that lead to drawing, play-test, text, share, delete or quit.
#include "editor/edit_menu.h"

#include "editor/editor.h"
#include "game/game.h"
#include "gfx/transition.h"
#include "ui/ui.h"

static Widget* spacer(int h) {
  Widget* w = new Widget;
  w->st(SW_HEIGHT, h);
  w->restyle();
  return w;
}

void EditMenu::build() {
  Table* t = new Table;
  t->new_row();
  t->add(edit_title(game));
  t->new_row();
  t->add(spacer(40));
  struct Entry {
    const char* text;
    int code;
  };
  static const Entry entries[] = {
      {"Edit Map", MENU_ACT_EDIT},     {"View Tutorials", MENU_ACT_TUTORIALS}, {"Editor Help", MENU_ACT_HELP},
      {"Title & Options", MENU_ACT_TEXT}, {"Play / Test", MENU_ACT_PLAY},       {"Export", MENU_ACT_EXPORT},
      {"Share", MENU_ACT_SHARE},       {"Delete", MENU_ACT_DELETE},            {"Save & Quit", MENU_ACT_QUIT},
  };
  for (const Entry& e : entries) {
    if (e.code == MENU_ACT_EXPORT && game->settings.debug != 1) continue;
    t->new_row();
    t->add(edit_button(e.text, e.code));
  }
  t->new_row();
  t->add(spacer(60));
  t->st(SW_WIDTH, 320);
  t->restyle();
  add_centred(t);

  Box* main_menu = new Box(gui_back_button("Main Menu", MENU_ACT_MAIN_MENU));
  main_menu->measure();
  root.add(main_menu, 20, 620 - main_menu->h);
  Box* community = new Box(gui_back_button("Community Maps", MENU_ACT_COMMUNITY));
  community->measure();
  root.add(community, 620 - community->w, 620 - community->h);
}

void EditMenu::action(int code, const Event& e) {
  if (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE) code = MENU_ACT_QUIT;
  switch (code) {
    case MENU_ACT_EXPORT:
      if (game->settings.debug == 1) game_switch(game, TRANS_FADE, STATE_EDIT_EXPORT);
      break;
    case MENU_ACT_PLAY:
      edit_play_test(game);
      break;
    case MENU_ACT_EDIT:
      game_switch(game, TRANS_FADE, STATE_EDIT_MAIN);
      break;
    case MENU_ACT_TEXT:
      edit_open_text(game);
      break;
    case MENU_ACT_TUTORIALS:
      edit_open_tutorials(game);
      break;
    case MENU_ACT_HELP:
      edit_open_help(game);
      break;
    case MENU_ACT_DELETE:
      game_switch(game, TRANS_FADE, STATE_EDIT_DELETE);
      break;
    case MENU_ACT_SHARE:
      game_switch(game, TRANS_FADE, STATE_EDIT_SHARE);
      break;
    case MENU_ACT_QUIT:
      edit_quit_to_maps(game);
      break;
    case MENU_ACT_COMMUNITY:
      edit_leave(game, TRANS_FADE, STATE_MENUS_COMMUNITY);
      break;
    case MENU_ACT_MAIN_MENU:
      edit_leave(game, TRANS_BZOOM, STATE_MENUS_MAIN);
      break;
    default:
      break;
  }
}
