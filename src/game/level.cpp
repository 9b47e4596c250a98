#include "game/level.h"

Level::Level() {
  for (float& c : map.camera) c = 0.0f;
  for (Entity& e : entities) e.kind = 0;
}
