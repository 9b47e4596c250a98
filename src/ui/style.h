// The animated style block of a widget: seven layers of style words.
//
// Layers (a word set in a later applicable layer overrides the earlier):
//   0 STYLE_BASE        always applies
//   1 STYLE_NORMAL      neither hovered nor focused
//   2 STYLE_DOWN        pressed (pointer held down on the widget)
//   3 STYLE_HOVER       hovered, not focused
//   4 STYLE_FOCUS       focused, not hovered
//   5 STYLE_HOVER_FOCUS hovered and focused
//   6 STYLE_SELECTED    the widget's selected flag is set
// The current style is base, then exactly one of layers 1, 3, 4, 5 (by the
// hover and focus flags), then layer 2 while pressed, then layer 6 while
// selected.
//
// Style words:
//   0 width, 1 height (a minimum; exact when word 2 is 1). They size the
//     frame rectangle: border, inner spacing and content.
//   2 fixed-size flag
//   3 horizontal alignment (-1 left, 0 centre, 1 right)
//   4 vertical alignment (-1 top, 0 centre, 1 bottom)
//   5 a label's text colour (0xRRGGBB)
//   6 background colour of the frame rectangle (unset: none)
//   8-11 border widths (top, right, bottom, left), drawn in colour 12 when
//     it is set (else they only add space)
//   12 border colour
//   13-16 inner spacing (top, right, bottom, left) between frame and content
//   17-20 outer spacing (top, right, bottom, left) outside the frame; a
//     negative spacing lets the frame reach past the widget's place
//   21 text colour of widgets that draw text other than labels
//   23 frame mode: the frame image's nine-slice edge in view units (0: the
//     image is stretched whole)
//   24 frame image, 25 frame alpha (0-255, 255 when unset)
//   26 icon or picture image (drawn over the content rectangle), 28 its alpha
//   31 focus image (over the content rectangle), 33 its alpha
//   34 overlay image (over the frame rectangle), 36 its alpha
//   38 the overlay's nine-slice edge, like word 23
//   39-43 GUI sound numbers played on EVT_CLICK, EVT_DOWN, EVT_UP, EVT_ENTER
//     and EVT_FOCUS (see gui_sound)
// Image words hold gfx_img_load indexes.
//
// Animation: the alpha words (25, 28, 33, 36) move towards their targets by
// STYLE_ALPHA_STEP per tick (Widget::loop); everything else changes at once.
#pragma once

#include <cstdint>

enum {
  STYLE_BASE = 0,
  STYLE_NORMAL = 1,
  STYLE_DOWN = 2,
  STYLE_HOVER = 3,
  STYLE_FOCUS = 4,
  STYLE_HOVER_FOCUS = 5,
  STYLE_SELECTED = 6,
  STYLE_LAYERS = 7,
};

enum {
  SW_WIDTH = 0,
  SW_HEIGHT = 1,
  SW_FIXED = 2,
  SW_ALIGN = 3,
  SW_VALIGN = 4,
  SW_LABEL_COLOR = 5,
  SW_BG_COLOR = 6,
  SW_BORDER = 8,       // 8 to 11
  SW_BORDER_COLOR = 12,
  SW_PAD = 13,         // 13 to 16
  SW_MARGIN = 17,      // 17 to 20
  SW_TEXT_COLOR = 21,
  SW_FRAME_MODE = 23,
  SW_FRAME_IMG = 24,
  SW_FRAME_ALPHA = 25,
  SW_ICON_IMG = 26,
  SW_ICON_ALPHA = 28,
  SW_FOCUS_IMG = 31,
  SW_FOCUS_ALPHA = 33,
  SW_OVERLAY_IMG = 34,
  SW_OVERLAY_ALPHA = 36,
  SW_OVERLAY_MODE = 38,
  SW_SOUND_CLICK = 39,
  SW_SOUND_DOWN = 40,
  SW_SOUND_UP = 41,
  SW_SOUND_ENTER = 42,
  SW_SOUND_FOCUS = 43,
  STYLE_WORDS = 44,
};

constexpr float STYLE_ALPHA_STEP = 51.0f;  // 0 to 255 in five ticks

struct Style {
  int32_t word[STYLE_LAYERS][STYLE_WORDS] = {};
  uint64_t set_mask[STYLE_LAYERS] = {};
  // The current words (targets) and which of them are set.
  int32_t cur[STYLE_WORDS] = {};
  uint64_t cur_mask = 0;
  // The animated alpha words as shown.
  float shown[STYLE_WORDS] = {};
  bool shown_valid = false;
  // Some alpha word is still on its way to its target: only then does a
  // tick do anything.
  bool fading = false;

  void set(int layer, int w, int32_t value);
  void unset(int layer, int w);
  // Recomputes the current words from the flags; without animation the
  // shown alphas jump to their targets.
  void update(bool hover, bool focus, bool down, bool selected, bool animate);
  // One tick of animation; nothing to do for a style at rest.
  void tick();
  bool has(int w) const { return (cur_mask >> w) & 1; }
  int32_t get(int w) const { return cur[w]; }
  int32_t get_or(int w, int32_t dflt) const { return has(w) ? cur[w] : dflt; }
  // The alpha word as shown, 0 to 1 (1 when unset).
  float alpha(int w) const;
};
