// Title screen: the logo, the main buttons, the credits line and the version text.
#include "menus/menus_main.h"

#include <SDL/SDL.h>

#include <string>

#include "driver/audio.h"
#include "driver/driver.h"
#include "game/game.h"
#include "game/identity.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "online/web_config.h"
#include "ui/looks.h"
#include "ui/ui.h"

static const int KEY_D = GK_A + ('d' - 'a');


// "Talvik presents ...": opens the credits when clicked.
static Widget* presenter_line(int font) {
  MyLabel* label = new MyLabel(font, "Talvik presents ...");
  label->focusable = 1;
  label->click_code = MAIN_ACT_CREDITS;
  label->st4(SW_PAD, 5, 5, 5, 5);
  label->st4(SW_MARGIN, 0, 0, 5, 0);
  look_overlay(label, "dialog-box2", OVERLAY_MENU);
  label->st(SW_OVERLAY_MODE, FRAME_EDGE_10);
  label->restyle();
  return new Box(label);
}

static Widget* logo() {
  int img = gfx_img_load("logo");
  Widget* w = new Widget;
  w->st(SW_WIDTH, static_cast<int>(280 * gfx_img_aspect(img)));
  w->st(SW_HEIGHT, 280);
  w->st(SW_ICON_IMG, img);
  w->st4(SW_MARGIN, -50, 0, -5, 0);
  w->restyle();
  return new Box(w);
}

static Widget* buttons() {
  struct Entry {
    const char* text;
    const char* icon;
    int code;
    const char* name;
  };
  static const Entry entries[] = {
      {"Play", "icon-play", MAIN_ACT_PLAY, "play"},
      {"Build", "icon-build", MAIN_ACT_BUILD, nullptr},
      {"Community Maps", "icon-community", MAIN_ACT_COMMUNITY, nullptr},
      {"Settings", "icon-settings", MAIN_ACT_SETTINGS, nullptr},
      {"Become a Fan", "icon-heart", MAIN_ACT_FAN, nullptr},
      {"Quit", "icon-quit", MAIN_ACT_QUIT, nullptr},
  };
  Table* t = new Table;
  for (const Entry& e : entries) {
    t->new_row();
    t->add(gui_menu_button(e.text, e.icon, e.code, 180, e.name));
  }
  return new Box(gui_menu_box(t, 75));
}

void MenusMain::build() {
  music_play("mus-menus");
  font_load("font1");
  font_load("font15");
  int font2 = font_load("font2");

  Table* column = new Table;
  column->new_row();
  column->add(presenter_line(font2));
  column->new_row();
  column->add(logo());
  column->new_row();
  column->add(buttons());
  column->st(SW_WIDTH, 320);
  column->restyle();

  Box* view = new Box(column);
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  root.add(view, 0, 0);

  Box* version = new Box(new Box(new MyLabel(font2, std::string(game_version()))));
  version->st(SW_WIDTH, 640);
  version->st(SW_HEIGHT, 20);
  version->restyle();
  root.add(version, 0, 620);

  menus_select(root, "play");
}

void MenusMain::event(Event e) {
  if (e.type() == EVT_KEYDOWN && e.key() == KEY_D &&
      ((e[EVW_MOD] | SDL_GetModState()) & MOD_CTRL_ALT_META)) {
    int32_t& debug = game->settings.debug;
    debug = debug == 1 ? -1 : 1;
    // Entered again so that the version text shows the new setting.
    game_switch(game, TRANS_FADE, STATE_MENUS_MAIN);
    return;
  }
  MenuScreen::event(e);
}

void MenusMain::action(int code) {
  switch (code) {
    case MAIN_ACT_PLAY:
      game_switch(game, TRANS_ZOOM, STATE_MOVIE_INTRO);
      break;
    case MAIN_ACT_BUILD:
      game_switch(game, TRANS_ZOOM, STATE_MENUS_EDIT);
      break;
    case MAIN_ACT_COMMUNITY:
      game_switch(game, TRANS_ZOOM, STATE_MENUS_COMMUNITY);
      break;
    case MAIN_ACT_SETTINGS:
      game->settings_return_state = STATE_MENUS_MAIN;
      game_switch(game, TRANS_ZOOM, STATE_MENUS_SETTINGS);
      break;
    case MAIN_ACT_FAN:
      if (g_driver) g_driver->weblink(web_page_url(WEB_PAGE_FAN).c_str(), 0);
      break;
    case MAIN_ACT_QUIT:
      game->quit = 1;
      break;
    case MAIN_ACT_CREDITS:
      game->return_menu = STATE_MENUS_MAIN;
      game_switch(game, TRANS_ZOOM, STATE_MENUS_CREDITS);
      break;
    default:
      break;
  }
}
