// The one Game object: every piece of the game's mutable state as plain
// fixed-size blocks. "state.dat" is an image of the whole record, so a new
// run re-enters the screen that was current when the last run ended; the
// run-time region is cleared after the image is read.
//
//   offset    size      field
//        0    32        version (8), current state id, quit flag, return ids
//       32    64        GameRun: run-time fields, cleared on load
//       96    119,964   Level
//  120,060    256       current_level_id
//  120,316    512       level_title, level_intro
//  120,828    256       map_id
//  121,084    4         map_rating
//  121,088    256       error_text
//  121,344    128       popup_text
//  121,472    44        last run: time, deaths, achievement flags, record
//  121,516    37,952    Progress
//  159,468    2,260     Settings
//  161,728    1,024     LocalSettings
//  162,752    3 x 65,544 save slots: level start, save point, editor undo
//  359,384    84,720    Replay buffer
#pragma once
#include <cstddef>
#include <cstdint>

#include "game/level.h"
#include "game/progress.h"
#include "game/save_slot.h"
#include "game/settings.h"
#include "game/state_ids.h"

struct Event;

enum { GAME_VERSION = 8 };

// Fields that only make sense within one run.
struct GameRun {
  int32_t idle_steps;      // steps since the last mouse event
  int32_t cursor_hidden;   // 1 while the idle cursor is hidden
  int32_t frames;          // frames run in this process
  int32_t steps;           // fixed steps run in this process
  int32_t key_repeat;      // 1 while key repeat is on
  int32_t spare[3];        // unused: the outbox keeps its own schedule
  int32_t stick[2];        // the stick's direction on axes 0 and 1: -1, 0, 1
  int32_t words[6];
};
static_assert(sizeof(GameRun) == 64, "GameRun is 64 bytes");

struct Replay {
  int32_t len;    // bytes recorded
  int32_t pos;    // playback position
  int32_t seed;
  int32_t flags;
  uint8_t data[84704];
};

enum { SLOT_START = 0, SLOT_SAVE_POINT = 1, SLOT_UNDO = 2, GAME_SLOTS = 3 };

struct Game {
  int32_t version;
  int32_t state;  // current state id
  int32_t quit;   // 1 ends the main loop after the current frame
  int32_t return_menu;
  int32_t settings_return_state;
  int32_t error_return_state;
  int32_t popup_return_state;
  int32_t help_return_state;
  GameRun run;
  Level level;
  char current_level_id[256];
  char level_title[256];
  char level_intro[256];
  char map_id[256];
  int32_t map_rating;
  char error_text[256];
  char popup_text[128];
  int32_t last_time_cs;
  int32_t last_deaths;
  uint8_t last_ach[32];
  int32_t last_record;
  Progress progress;
  Settings settings;
  LocalSettings lsettings;
  SaveSlot slots[GAME_SLOTS];
  Replay replay;

  // The start-up, main-loop and shutdown operations (game_loop.cpp).
  void init();
  void loop();
  void event(Event e);
  void paint();
  void deinit();
  // Switches to state id with a transition of the given type.
  void transition(int type, int id);
  // Clears the screen and paints the current state once, without swapping.
  void paint_state();
  // Writes "lsettings.dat", "settings.dat", "progress.dat" and "state.dat"
  // into the per-user directory; false when any of them failed (the block
  // stays in memory and goes out with the next save).
  bool save();
};

static_assert(sizeof(Game) == 444104, "Game is 444,104 bytes");
static_assert(offsetof(Game, run) == 32, "run-time region offset");
static_assert(offsetof(Game, level) == 96, "Level offset");
static_assert(offsetof(Game, current_level_id) == 96 + sizeof(Level),
              "current_level_id sits just behind the Level");
static_assert(offsetof(Game, progress) == 121516, "Progress offset");
static_assert(offsetof(Game, settings) == 159468, "Settings offset");
static_assert(offsetof(Game, lsettings) == 161728, "LocalSettings offset");
static_assert(offsetof(Game, slots) == 162752, "save slots offset");
static_assert(offsetof(Game, replay) == 359384, "replay offset");

// The one Game object of the run (set by Game::init, cleared by deinit).
extern Game* game_current;
// The state switch of the screens: Game::transition with the type
// (TRANS_NONE, TRANS_ZOOM, TRANS_FADE or TRANS_BZOOM) to the id. A switch to
// an id with no screen in the state table is refused with a diagnostic
// line and changes nothing. Answers true when the switch was made.
bool game_switch(Game* g, int type, int id);
// Hands the event to Game::event of the one Game object.
void game_send_event(Event e);
// One frame of the main loop with the given number of fixed steps (what
// Game::loop runs after asking the driver how many steps are owed).
void game_frame(Game* g, int steps);
