// The menu screens: the front-end states of the game and what they share.
//
// Every menu screen is a State (game/state.h): the Game pointer and the root
// Container held by value. Its init rebuilds the whole widget tree from the
// Game on every entry; paint and loop are the shared ones below.
#pragma once

class Container;
class State;
struct Game;

// Creates the eight menu screens and stores each in the state table under
// its id, in this order: main menu (7), my maps (9), settings (10), sector
// map (8), community (14), error (16), credits (25), popup (33). Game::init
// calls it (through game_hooks) after the play screens.
void register_menu_states(Game* g);

// The shared paint: clears to opaque black, sets the 2D projection, then
// measures and paints the screen's root.
void menus_paint(State* s);
// The shared loop: the root's loop and nothing else.
void menus_loop(State* s);

// The first steps of every init: the root becomes an empty Container again
// (the old tree is deleted, no hover or focus survives) and gets the menu
// background at (0, 0).
void menus_reset_root(State* s);

// Hovers and focuses the widget of that name, or the first focusable
// widget inside it (a menu button carries its name on the Box around the
// focusable part). Answers false when nothing of that name can take focus.
bool menus_select(Container& root, const char* name);

// The state switch of the menu screens: Game::transition with the type
// (TRANS_NONE, TRANS_ZOOM, TRANS_FADE or TRANS_BZOOM) to the id. A switch to
// an id with no screen in the state table is refused with a diagnostic
// line and changes nothing. Answers true when the switch was made.
bool menus_switch(Game* g, int type, int id);

// Action code of the back buttons and of Escape on the menu screens.
enum { MENUS_ACT_BACK = 6 };
