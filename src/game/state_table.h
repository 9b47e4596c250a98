// The state table: every screen, created once at start-up, under its id.
#pragma once

class State;

// The screen stored under id, or null (also for ids out of range).
State* state_get(int id);
// Stores the screen under id, replacing (not deleting) whatever was there.
void state_put(int id, State* s);
// Deletes every screen and empties the table.
void state_table_clear();
