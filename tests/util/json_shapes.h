// Two document shapes for the JSON benchmark and its round-trip test: a
// community page (dicts of short strings and a few numbers) and a resource
// catalogue (atlas rectangles and font glyph tables: mostly small numbers).
#pragma once
#include <string>

#include "util/json.h"

namespace json_shapes {

inline var page(size_t target) {
  var page = var::new_list();
  page.append(var_dict("type", "title", "text", "Newest maps"));
  page.append(var_dict("type", "tab", "text", "Top rated", "action", "qlink", "value", "@top"));
  for (long i = 0; json_dump(page).size() < target; ++i) {
    for (int k = 0; k < 64; ++k, ++i) {
      page.append(var_dict("type", "level", "id", std::to_string(100000 + i), "title",
                           "Tunnel number " + std::to_string(i) + " \"deep\"", "name",
                           "player_" + std::to_string(i % 977), "stars", (i % 50) / 10.0,
                           "u_stars", static_cast<int>(i % 6)));
      if (i % 16 == 0) page.append(var_dict("type", "text", "text", "Shared on day " + std::to_string(i)));
    }
  }
  return page;
}

inline var catalogue(size_t target) {
  var textures = var::new_dict(), images = var::new_dict(), fonts = var::new_dict();
  var samples = var::new_dict();
  var cat = var_dict("textures", textures, "images", images, "fonts", fonts, "samples", samples);
  for (int t = 0; t < 16; ++t)
    textures.set("atlas" + std::to_string(t), var_dict("file", "gfx/atlas" + std::to_string(t) + ".png",
                                                       "filter", t % 3 ? "linear" : "nearest"));
  for (long i = 0; json_dump(cat).size() < target; ++i) {
    for (int k = 0; k < 256; ++k) {
      long n = i * 256 + k;
      images.set("img-" + std::to_string(n),
                 var_dict("tex", "atlas" + std::to_string(n % 16), "rect",
                          var_list(n * 37 % 2048, n * 91 % 2048, 8 + n % 120, 8 + n * 7 % 120)));
    }
    var glyphs = var::new_dict();
    for (int c = 32; c < 288; ++c)
      glyphs.set(std::to_string(c), var_list(c * 13 % 512, c * 29 % 160, c % 27, 5 + c % 20, c % 4,
                                             3 + c % 19, 4 + c % 23));
    fonts.set("font" + std::to_string(i),
              var_dict("tex", "font" + std::to_string(i), "height", 30, "base", 24, "glyphs", glyphs));
    samples.set("sfx-" + std::to_string(i), var_dict("file", "sfx/s" + std::to_string(i) + ".wav",
                                                     "volume", 0.5 + (i % 5) / 10.0));
  }
  return cat;
}

}  // namespace json_shapes
