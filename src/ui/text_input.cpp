// TextInput: a one-line field with a length limit and a password mode.
#include "ui/text_input.h"

#include <SDL/SDL.h>

#include <algorithm>

#include "driver/clipboard.h"
#include "gfx/gfx.h"
#include "gfx/text.h"

namespace {
// Bytes of the UTF-8 character that starts with byte c (1 for stray bytes).
size_t char_len(unsigned char c) {
  return c < 0x80 ? 1 : (c & 0xe0) == 0xc0 ? 2 : (c & 0xf0) == 0xe0 ? 3 : (c & 0xf8) == 0xf0 ? 4 : 1;
}
std::string utf8(int cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xc0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3f));
  } else {
    s += static_cast<char>(0xe0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    s += static_cast<char>(0x80 | (cp & 0x3f));
  }
  return s;
}
}  // namespace

TextInput::TextInput(int f, const std::string& t, size_t lim)
    : font(f), limit(lim) {
  focusable = 1;
  insert(t);
}

std::string TextInput::get_value_s() { return text; }

void TextInput::set_value_s(const std::string& v) {
  text.clear();
  insert(v);
  layout_changed();
}

size_t TextInput::insert(const std::string& s) {
  size_t added = 0, i = 0;
  while (i < s.size()) {
    size_t n = char_len(static_cast<unsigned char>(s[i]));
    if (i + n > s.size()) n = s.size() - i;
    // Whole characters only, and never past the limit.
    if (text.size() + n > limit) break;
    if (static_cast<unsigned char>(s[i]) >= 32 && s[i] != 127)
      text.append(s, i, n);
    added += n;
    i += n;
  }
  if (added) layout_changed();
  return added;
}

void TextInput::backspace() {
  if (text.empty()) return;
  size_t i = text.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xc0) == 0x80) i--;
  text.erase(i);
  layout_changed();
}

std::string TextInput::shown_text() const {
  if (!password) return text;
  std::string out;
  size_t last = 0;
  for (size_t i = 0; i < text.size(); i += char_len(static_cast<unsigned char>(text[i]))) {
    out += "*";
    last = i;
  }
  if (show_last && !text.empty()) {
    out.pop_back();
    out += text.substr(last);
  }
  return out;
}

int TextInput::event(Event* e) {
  if (e->type() == EVT_KEYDOWN) {
    int key = e->key();
    if (key == GK_BACKSPACE) {
      backspace();
      return 0;
    }
    if (key == GK_RETURN) return 0;
    if ((e->w[EVW_MOD] & KMOD_CTRL) && key == GK_A + ('v' - 'a')) {
      insert(clipboard_text());
      return 0;
    }
    int c = e->w[EVW_CHAR];
    if (c >= 32 && c != 127 && !(e->w[EVW_MOD] & (KMOD_CTRL | KMOD_ALT | KMOD_META)))
      insert(utf8(c));
    return 0;
  }
  if (e->type() == EVT_KEYUP) return e->key() == GK_RETURN ? return_code : 0;
  return Widget::event(e);
}

void TextInput::loop() {
  Widget::loop();
  blink = (blink + 1) % 60;
}

void TextInput::measure() {
  content_w = text_width(font, shown_text());
  content_h = static_cast<float>(font_height(font));
  box_measure();
  box_resize();
}

// The rounded ends of a frame image stretched whole take this share of
// the frame's width on each side.
constexpr float FIELD_FRAME_END = 1.0f / 8;

void TextInput::box_resize() {
  Widget::box_resize();
  if (!style.has(SW_FRAME_IMG) || !style.get(SW_FRAME_IMG) || style.get_or(SW_FRAME_MODE, 0) != 0) return;
  float ml = static_cast<float>(style.get_or(SW_MARGIN + 3, 0));
  float mr = static_cast<float>(style.get_or(SW_MARGIN + 1, 0));
  float end = (w - ml - mr) * FIELD_FRAME_END;
  float left = std::max(cx, ml + end), right = std::min(cx + cw, w - mr - end);
  cx = left;
  cw = std::max(0.0f, right - left);
}

void TextInput::paint() {
  std::string shown = shown_text();
  if (focused && blink < 30) shown += "_";
  float tw = text_width(font, shown);
  float x0 = cx + (tw > cw ? cw - tw : 0);  // the end stays in view
  float y0 = cy + (ch - font_height(font)) / 2;
  gfx_clip_push(cx, cy, cw, ch);
  gfx_color_rgb(static_cast<uint32_t>(style.get_or(SW_TEXT_COLOR, 0xffffff)), 1);
  text_draw_wrapped(font, shown, static_cast<float>(static_cast<int>(x0)),
                    static_cast<float>(static_cast<int>(y0)), 0, -1);
  gfx_color(1, 1, 1, 1);
  gfx_clip_pop();
}
