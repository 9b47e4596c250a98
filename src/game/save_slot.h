// A zlib-packed image of the whole Level, for save points, the level as it
// was at its start, and the editor's undo snapshot.
#pragma once
#include <cstdint>

enum { SAVE_SLOT_DATA = 65536 };

struct SaveSlot {
  int32_t len;   // packed bytes in data; 0 for an empty slot
  int32_t word;  // the Level's leading word, copied
  uint8_t data[SAVE_SLOT_DATA];
};
static_assert(sizeof(SaveSlot) == 65544, "SaveSlot is 65,544 bytes");

struct Game;
// Packs the whole Level into the slot; false (slot emptied) when it does not
// fit or zlib fails.
bool game_slot_save(SaveSlot* slot, Game* g);
// Unpacks the slot back into the Level; false, with the Level untouched, when
// the slot is empty or does not unpack to a whole Level.
bool game_slot_restore(SaveSlot* slot, Game* g);
