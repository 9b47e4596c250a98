// The style block: layered words and animated alphas.
#include "ui/style.h"

#include <cmath>

#include "ui/widget.h"

static const int kAlphaWords[] = {SW_FRAME_ALPHA, SW_ICON_ALPHA, SW_FOCUS_ALPHA, SW_OVERLAY_ALPHA};

static float alpha_target(const Style& s, int w) { return s.has(w) ? static_cast<float>(s.get(w)) : 255.0f; }

void Style::set(int layer, int w, int32_t value) {
  if (layer < 0 || layer >= STYLE_LAYERS || w < 0 || w >= STYLE_WORDS) return;
  word[layer][w] = value;
  set_mask[layer] |= uint64_t(1) << w;
}

void Style::unset(int layer, int w) {
  if (layer < 0 || layer >= STYLE_LAYERS || w < 0 || w >= STYLE_WORDS) return;
  set_mask[layer] &= ~(uint64_t(1) << w);
}

void Style::update(bool hover, bool focus, bool down, bool selected,
                   bool animate) {
  // The words that size and place widgets: width, height, fixed, the
  // alignments, border, inner and outer spacing.
  constexpr uint64_t kLayoutWords = 0x1fULL | (0xfULL << SW_BORDER) | (0xffULL << SW_PAD);
  int32_t before[STYLE_WORDS];
  uint64_t before_mask = cur_mask & kLayoutWords;
  for (int w = 0; w < STYLE_WORDS; w++) before[w] = cur[w];
  int state = hover && focus ? STYLE_HOVER_FOCUS
              : hover        ? STYLE_HOVER
              : focus        ? STYLE_FOCUS
                             : STYLE_NORMAL;
  int order[4] = {STYLE_BASE, state, down ? STYLE_DOWN : -1,
                  selected ? STYLE_SELECTED : -1};
  cur_mask = 0;
  for (int layer : order) {
    if (layer < 0) continue;
    for (int w = 0; w < STYLE_WORDS; w++)
      if ((set_mask[layer] >> w) & 1) {
        cur[w] = word[layer][w];
        cur_mask |= uint64_t(1) << w;
      }
  }
  bool changed = (cur_mask & kLayoutWords) != before_mask;
  for (int w = 0; w < STYLE_WORDS && !changed; w++)
    if (((kLayoutWords & cur_mask) >> w) & 1) changed = cur[w] != before[w];
  if (changed) Widget::layout_changed();
  if (!animate || !shown_valid) {
    for (int w : kAlphaWords) shown[w] = alpha_target(*this, w);
    shown_valid = true;
  }
  fading = false;
  for (int w : kAlphaWords) fading = fading || shown[w] != alpha_target(*this, w);
}

void Style::tick() {
  if (!fading) return;
  fading = false;
  for (int w : kAlphaWords) {
    float target = alpha_target(*this, w);
    if (shown[w] < target)
      shown[w] = std::fmin(target, shown[w] + STYLE_ALPHA_STEP);
    else if (shown[w] > target)
      shown[w] = std::fmax(target, shown[w] - STYLE_ALPHA_STEP);
    fading = fading || shown[w] != target;
  }
}

float Style::alpha(int w) const {
  if (!has(w)) return 1.0f;
  float a = shown_valid ? shown[w] : static_cast<float>(cur[w]);
  if (a < 0) a = 0;
  if (a > 255) a = 255;
  return a / 255.0f;
}
