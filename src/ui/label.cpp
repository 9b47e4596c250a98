// Label and MyLabel.
#include "ui/label.h"

#include "gfx/gfx.h"
#include "gfx/text.h"

Label::Label(int f, const std::string& t) : font(f), text(t) {}

std::string Label::get_value_s() { return text; }
void Label::set_value_s(const std::string& v) {
  if (v == text) return;
  text = v;
  layout_changed();
}

// The wrap width: style word 0 less the frame's sides; 0 when unset.
static float wrap_width(Widget* w) {
  if (!w->shas(SW_WIDTH)) return 0;
  float side = 0;
  for (int i : {1, 3})
    side += w->style.get_or(SW_BORDER + i, 0) + w->style.get_or(SW_PAD + i, 0);
  float wrap = w->sv(SW_WIDTH) - side;
  return wrap > 1 ? wrap : 1;
}

void Label::measure() {
  text_size(font, text, wrap_width(this), &content_w, &content_h);
  box_measure();
  box_resize();
}

void Label::paint() {
  std::vector<std::string> lines = text_wrap(font, text, wrap_width(this));
  int align = style.get_or(SW_ALIGN, -1);
  int valign = style.get_or(SW_VALIGN, 0);
  float lh = static_cast<float>(font_height(font));
  float th = lh * lines.size();
  float y0 = cy + (valign < 0 ? 0 : valign > 0 ? ch - th : (ch - th) / 2);
  gfx_color_rgb(static_cast<uint32_t>(style.get_or(SW_LABEL_COLOR, 0xffffff)), 1);
  for (const std::string& l : lines) {
    float lw = text_width(font, l);
    float x0 = cx + (align == 0 ? (cw - lw) / 2 : align > 0 ? cw - lw : 0);
    text_draw_wrapped(font, l, static_cast<float>(static_cast<int>(x0)),
                      static_cast<float>(static_cast<int>(y0)), 0, -1);
    y0 += lh;
  }
  gfx_color(1, 1, 1, 1);
}

MyLabel::MyLabel(int f, const std::string& t) : Label(f, t) {
  st(SW_LABEL_COLOR, 0xffaa55);
  restyle();
}
