// Stores and looks up the screen of each state id, ignoring ids out of range.
#include "game/state_table.h"

#include "game/state_ids.h"

static State* g_states[STATE_MAX];

State* state_get(int id) {
  if (id < 0 || id >= STATE_MAX) return nullptr;
  return g_states[id];
}

void state_put(int id, State* s) {
  if (id < 0 || id >= STATE_MAX) return;
  g_states[id] = s;
}
