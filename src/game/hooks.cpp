#include "game/hooks.h"

GameHooks game_hooks;
