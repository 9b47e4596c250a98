// Holds the table of hooks that the program's entry fills before the game starts.
#include "game/hooks.h"

GameHooks game_hooks;
