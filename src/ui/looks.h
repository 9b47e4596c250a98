// The named looks that the standard widgets share: overlay alphas by
// pointer state, frame modes and the GUI sounds of focusable widgets.
#pragma once

#include "driver/audio.h"

class Widget;

// Frame modes (style words 23 and 38): the frame image stretched whole, or
// drawn as nine slices with this edge in view units.
enum { FRAME_STRETCH = 0, FRAME_EDGE_10 = 10 };

// Alpha levels of the overlays.
enum { ALPHA_NONE = 0, ALPHA_THIRD = 85, ALPHA_TWO_THIRDS = 170, ALPHA_FULL = 255 };

// Overlay alphas by layer: normal, hover, focus, hover-and-focus.
struct OverlayAlphas {
  int normal, hover, focus, both;
};
// Menu buttons and tabs: a glow under the pointer, and the same glow on the
// focused one, so that a keyboard or gamepad player sees where the focus is.
constexpr OverlayAlphas OVERLAY_MENU = {ALPHA_NONE, ALPHA_THIRD, ALPHA_THIRD, ALPHA_TWO_THIRDS};
// Dialog buttons and fields: bright under the pointer, dim while focused.
constexpr OverlayAlphas OVERLAY_BUTTON = {ALPHA_NONE, ALPHA_TWO_THIRDS, ALPHA_THIRD, ALPHA_FULL};
// Choices of a picker and hover frames: as buttons, not brighter when both.
constexpr OverlayAlphas OVERLAY_CHOICE = {ALPHA_NONE, ALPHA_TWO_THIRDS, ALPHA_THIRD, ALPHA_TWO_THIRDS};
// Dialog frames: always a little lit.
constexpr OverlayAlphas OVERLAY_DIALOG = {ALPHA_THIRD, ALPHA_TWO_THIRDS, ALPHA_THIRD, ALPHA_TWO_THIRDS};
// The back button: its overlay replaces the frame while focused.
constexpr OverlayAlphas OVERLAY_FOCUS = {ALPHA_NONE, ALPHA_NONE, ALPHA_FULL, ALPHA_FULL};

// The GUI sounds of a focusable widget: on a click, on a press, on gaining
// the focus (GUI_SOUND_NONE: silent).
struct WidgetSounds {
  int click, down, focus;
};
constexpr WidgetSounds SOUNDS_BUTTON = {GUI_SOUND_CLICK, GUI_SOUND_DOWN, GUI_SOUND_ENTER};
constexpr WidgetSounds SOUNDS_TOGGLE = {GUI_SOUND_CHANGE, GUI_SOUND_DOWN, GUI_SOUND_ENTER};
constexpr WidgetSounds SOUNDS_FIELD = {GUI_SOUND_NONE, GUI_SOUND_DOWN, GUI_SOUND_ENTER};

// Sets the overlay image (loaded by name) and its alpha in each layer.
void look_overlay(Widget* w, const char* image, const OverlayAlphas& alphas);
// Sets the sound words that are not GUI_SOUND_NONE.
void look_sounds(Widget* w, const WidgetSounds& sounds);
