// Applies a named look to a widget: overlay alphas by pointer state and its GUI sounds.
#include "ui/looks.h"

#include "gfx/gfx.h"
#include "ui/style.h"
#include "ui/widget.h"

void look_overlay(Widget* w, const char* image, const OverlayAlphas& alphas) {
  w->st(SW_OVERLAY_IMG, gfx_img_load(image));
  w->st(SW_OVERLAY_ALPHA, alphas.normal);
  w->st(STYLE_HOVER, SW_OVERLAY_ALPHA, alphas.hover);
  w->st(STYLE_FOCUS, SW_OVERLAY_ALPHA, alphas.focus);
  w->st(STYLE_HOVER_FOCUS, SW_OVERLAY_ALPHA, alphas.both);
}

void look_sounds(Widget* w, const WidgetSounds& sounds) {
  if (sounds.click) w->st(SW_SOUND_CLICK, sounds.click);
  if (sounds.down) w->st(SW_SOUND_DOWN, sounds.down);
  if (sounds.focus) w->st(SW_SOUND_FOCUS, sounds.focus);
}
