// Holds the pointer to the running Game, for code that cannot be handed one.
#include "game/game.h"

Game* game_current = nullptr;
