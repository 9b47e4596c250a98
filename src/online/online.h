// The online services as the screens and the program's entry see them.
//
// Senders (web_actions.h) start a request and return at once; web_loop
// handles the reply in a later frame and tells the screens through the Game
// and the state table:
//
// - Errors of the service (X-Error): error_text (at most 255 characters)
//   and error_return_state (the screen that was current) are set and the
//   game fades to STATE_MENUS_ERROR, whose screen shows the text and goes
//   back to error_return_state.
// - Messages of the service (X-Type "popup"): popup_text (the body up to
//   its first NUL, at most 127 characters) and popup_return_state are set
//   and the game fades to STATE_MENUS_POPUP.
//   Neither comes while the error or the popup screen is current (it is
//   dropped), nor interrupts a level or a movie: it waits until that ends.
// - The game's own notice (web_notice; a score that could not be stored on
//   this computer) takes the popup screen too, once the player is neither
//   playing nor on the error or the popup screen.
// - Community pages: the browser (STATE_MENUS_COMMUNITY) receives
//   State::call(["uquery", page]), where page is the reply's JSON (a list
//   of entry dicts), and State::call(["urefresh", none]) when the service
//   asks it to send its query again. Pages come only while the browser is
//   current and only for the newest query: a reply to an older query is
//   dropped. When the newest query ends without a page the browser gets
//   State::call(["ufailed", none]), also while another screen is current.
//   The result is ignored.
// - Shared maps (web_uplay): while the browser is still current in the same
//   visit, the map is played only when it is one whole packed map
//   (web_map_whole), else WEB_MAP_UNUSABLE_TEXT goes to the error screen and
//   nothing else changes. A whole map is unpacked and checked like every map
//   from outside, return_menu becomes STATE_MENUS_COMMUNITY,
//   current_level_id and map_id the map's id, the level starts (level_start)
//   and map_rating is set to the service's star rating (web_stars).
// - Account checks (web_valid, web_valid_popup): the service answers with an
//   error or a message, shown as above; a "Sign In" check (web_valid_popup)
//   that gets no usable answer shows "The service could not be reached." on
//   the error screen. Other requests that fail (the check on leaving the
//   settings, ping, outbox) show nothing.
//
// Links: web_page_url(WEB_PAGE_*) and web_scores_url (web_config.h) build
// the addresses of the service's pages on the configured host.
#pragma once

struct GameHooks;

// Puts the online services into the game core's hooks table.
void online_install_hooks(GameHooks* hooks);
