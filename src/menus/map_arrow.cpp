// Builds an up or down arrow beside the sector map, lit on hover and focus, with the button sound.
#include "menus/map_arrow.h"

#include <cstdio>

#include "gfx/gfx.h"
#include "ui/looks.h"
#include "ui/ui.h"

Box* gui_map_arrow(const char* direction, int action) {
  char name[64];
  Widget* w = new Widget;
  w->click_code = action;
  w->focusable = 1;
  std::snprintf(name, sizeof name, "map-arrow-%s-off", direction);
  int off = gfx_img_load(name);
  w->st(SW_ICON_IMG, off);
  w->st(SW_WIDTH, static_cast<int>(80 * gfx_img_aspect(off)));
  w->st(SW_HEIGHT, 80);
  for (int i = SW_PAD; i < SW_MARGIN + 4; i++) w->st(i, 0);
  std::snprintf(name, sizeof name, "map-arrow-%s-on", direction);
  w->st(SW_FOCUS_IMG, gfx_img_load(name));
  w->st(SW_FOCUS_ALPHA, ALPHA_NONE);
  w->st(STYLE_HOVER, SW_FOCUS_ALPHA, ALPHA_THIRD);
  w->st(STYLE_FOCUS, SW_FOCUS_ALPHA, ALPHA_NONE);
  w->st(STYLE_HOVER_FOCUS, SW_FOCUS_ALPHA, ALPHA_TWO_THIRDS);
  // Pressed, it sounds like every other button: a GUI sound number goes in
  // the press word, never a sample number.
  w->st(SW_SOUND_DOWN, GUI_SOUND_DOWN);
  w->restyle();
  return new Box(w);
}
