// The running level: preparing a map for play and the fixed-step world.
//
// A map's grid holds terrain and objects alike. Before play the objects
// (entity tiles, pick-ups, locks, gates) move to the Level's object layer and
// the grid keeps only terrain. Entities are spawned from the object layer;
// their tiles stay there as the map's record of where they stood.
//
// Only the player acts: it walks over passable cells at WORLD_SPEED cells per
// step, picks up cartridges, jewels, keycards and bombs, opens a lock with
// the keycard of its colour and ends the level on the exit after a
// countdown of WORLD_EXIT_STEPS. Every other entity is drawn and does not act.
#pragma once
#include <cstdint>

struct Game;
struct Entity;

enum {
  WORLD_EXIT_STEPS = 30,
  // Bits of the held-direction mask handed to world_step.
  WORLD_UP = 1 << 0,
  WORLD_RIGHT = 1 << 1,
  WORLD_DOWN = 1 << 2,
  WORLD_LEFT = 1 << 3,
};

// Cells per step: 5 cells a second at 60 steps a second.
constexpr float WORLD_SPEED = 5.0f / 60.0f;
// Half the side of the player's square footprint, in cells.
constexpr float WORLD_PLAYER_HALF = 0.3f;

// Moves every object tile of the grid into the object layer, leaving floor
// in its place.
void split_object_layer(Game* g);
// Creates the entity records from the object layer's entity tiles, the
// player first; counts the cartridges and jewels; puts the camera on the
// player. Tiles past the 64 records are left unspawned; answers how many.
// It prints nothing, since the editor spawns on every frame it paints.
int spawn_entities(Game* g);
// Turns the map in the Level into a level ready to play: everything but the
// LevelMap cleared, the object layer split off, the entities spawned, and
// the map's title and intro text copied into the Game.
void level_prepare(Game* g);
// Keeps the map as it was in the start slot, prepares it and enters the play
// intro (with a fade, or at once for the editor's play-test).
void level_start(Game* g);
// Puts the level back as it was at its start (the start slot) and prepares
// it again; false, with the level left as it is, when the slot is unusable.
bool level_restart(Game* g);
// Leaving a play-test: the Level gets the map as the editor had it before
// play (from the start slot, else from the player's map database), so that
// nothing saves the grid that play stripped of its objects. The run's
// statistics are kept. False when neither source holds the map.
bool level_restore_edited_map(Game* g);

// One fixed step of the world with the held directions (WORLD_* bits).
// Runs the level-won routine when the exit countdown ends.
void world_step(Game* g, int held);

// The player's entity record, or null when the map has no player.
Entity* world_player(Game* g);
// True when the player may not stand on cell (x, y).
bool world_blocked(Game* g, int x, int y);
