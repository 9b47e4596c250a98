// Rasterises the game's bitmap fonts from DejaVu.
#pragma once
#include <string>

#include "art/canvas.h"

namespace tw {

struct FontSpec {
  const char* name;  // catalogue name, also its texture's name
  const char* file;  // DejaVu file
  float px;          // em size in pixels
};

// Renders code points 32-126 and 160-255 of the font onto a texture and
// answers the catalogue entry (JSON object text) for it.
bool make_font(const FontSpec& spec, Canvas& texture, std::string& json);

const FontSpec* font_specs(int* count);

}  // namespace tw
