#include "game/game.h"

Game* game_current = nullptr;
