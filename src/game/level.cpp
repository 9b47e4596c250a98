// Starts a level record empty: camera at the origin and no entity in use.
#include "game/level.h"

Level::Level() {
  for (float& c : map.camera) c = 0.0f;
  for (Entity& e : entities) e.kind = 0;
}
