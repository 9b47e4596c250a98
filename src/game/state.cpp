// Do-nothing defaults for every screen, and the teardown of the state table at shutdown.
#include "game/state.h"

void State::init() {}
void State::deinit() {}
void State::paint() {}
void State::event(Event e) { root.event(&e); }
void State::loop() { root.loop(); }
var State::call(var) { return var(); }
State::~State() {}

void state_table_clear() {
  for (int id = 0; id < STATE_MAX; id++) {
    State* s = state_get(id);
    if (!s) continue;
    // One screen may sit under several ids: delete it once.
    for (int j = id; j < STATE_MAX; j++)
      if (state_get(j) == s) state_put(j, nullptr);
    delete s;
  }
}
