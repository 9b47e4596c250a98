// Message screen: shows the text the service sent and goes back on Continue.
#include "menus/menus_popup.h"

#include "game/game.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "menus/menus_error.h"

void MenusPopup::build() {
  menus_message_build(this, "MESSAGE", menus_message_text(game->popup_text, sizeof game->popup_text),
                      false);
}

void MenusPopup::event(Event e) {
  if (menus_message_code(this, &e) == MESSAGE_ACT_CONTINUE)
    game_switch(game, TRANS_FADE, menus_message_return(game->popup_return_state));
}
