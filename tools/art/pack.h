// Places pictures on textures and writes the textures.
#pragma once
#include <string>
#include <vector>

#include "art/canvas.h"

namespace tw {

struct Placed {
  int tex = 0;            // which texture
  int x = 0, y = 0;       // top left on it
};

// Packs the sizes onto as few square textures of the side as needed, with
// the padding around each. Answers false when one does not fit at all.
bool pack_rects(const std::vector<std::pair<int, int>>& sizes, int side, int pad, std::vector<Placed>& out,
                int* textures);

// Copies the picture onto the texture and repeats its edge pixels into the
// padding, so linear filtering at the rim never picks up a neighbour.
void blit_extruded(Canvas& tex, const Canvas& pic, int x, int y, int pad);

bool write_png(const std::string& path, const Canvas& c);

}  // namespace tw
