// Puts every menu screen into the state table under its id at start-up.
#include "game/state.h"
#include "menus/menus.h"
#include "menus/menus_community.h"
#include "menus/menus_credits.h"
#include "menus/menus_edit.h"
#include "menus/menus_error.h"
#include "menus/menus_main.h"
#include "menus/menus_play.h"
#include "menus/menus_popup.h"
#include "menus/menus_settings.h"

void register_menu_states(Game* g) {
  state_put(STATE_MENUS_MAIN, new MenusMain(g));
  state_put(STATE_MENUS_EDIT, new MenusEdit(g));
  state_put(STATE_MENUS_SETTINGS, new MenusSettings(g));
  state_put(STATE_MENUS_PLAY, new MenusPlay(g));
  state_put(STATE_MENUS_COMMUNITY, new MenusCommunity(g));
  state_put(STATE_MENUS_ERROR, new MenusError(g));
  state_put(STATE_MENUS_CREDITS, new MenusCredits(g));
  state_put(STATE_MENUS_POPUP, new MenusPopup(g));
}
