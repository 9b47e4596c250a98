// The "Main Menu" back button at the bottom left of a menu screen, and the
// way back that it and Escape take.
#pragma once

#include "driver/event.h"

class State;

// Adds gui_back_button(text, MENUS_ACT_BACK) in a Box to the root at
// (20, 620 - the Box's height).
void menus_add_back_button(State* s, const char* text);
// Hands the event to the root; on the back code, or a key-down of Escape,
// back-zooms to the target screen (the main menu unless given). Answers the
// root's action code.
int menus_back_event(State* s, Event e, int target = -1);
