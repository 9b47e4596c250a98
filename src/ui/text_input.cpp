// TextInput: a one-line field with a length limit and a password mode.
#include "ui/text_input.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <cmath>

#include "driver/clipboard.h"
#include "gfx/gfx.h"
#include "gfx/text.h"

namespace {
// Bytes of the UTF-8 character that starts with byte c (1 for stray bytes).
size_t char_len(unsigned char c) {
  return c < 0x80 ? 1 : (c & 0xe0) == 0xc0 ? 2 : (c & 0xf0) == 0xe0 ? 3 : (c & 0xf8) == 0xf0 ? 4 : 1;
}
// The boundary after / before the character at byte i.
size_t next_char(const std::string& s, size_t i) {
  return i >= s.size() ? s.size() : std::min(s.size(), i + char_len(static_cast<unsigned char>(s[i])));
}
size_t prev_char(const std::string& s, size_t i) {
  if (i == 0) return 0;
  i--;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xc0) == 0x80) i--;
  return i;
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
  wants_arrows = 1;
  insert(t);
}

std::string TextInput::get_value_s() { return text; }

void TextInput::set_value_s(const std::string& v) {
  text.clear();
  cursor = 0;
  insert(v);
  layout_changed();
}

size_t TextInput::insert(const std::string& s) {
  std::string add;
  size_t i = 0;
  while (i < s.size()) {
    size_t n = std::min(char_len(static_cast<unsigned char>(s[i])), s.size() - i);
    // Whole characters only, and never past the limit.
    if (text.size() + add.size() + n > limit) break;
    if (static_cast<unsigned char>(s[i]) >= 32 && s[i] != 127) add.append(s, i, n);
    i += n;
  }
  if (add.empty()) return 0;
  cursor = std::min(cursor, text.size());  // text is public: it may have been set directly
  text.insert(cursor, add);
  cursor += add.size();
  layout_changed();
  return add.size();
}

void TextInput::backspace() {
  cursor = std::min(cursor, text.size());
  if (cursor == 0) return;
  size_t from = prev_char(text, cursor);
  text.erase(from, cursor - from);
  cursor = from;
  layout_changed();
}

void TextInput::del() {
  if (cursor >= text.size()) return;
  text.erase(cursor, next_char(text, cursor) - cursor);
  layout_changed();
}

std::string TextInput::shown_text() const {
  if (!password) return text;
  std::string out;
  size_t last = 0;
  for (size_t i = 0; i < text.size(); i = next_char(text, i)) {
    out += "*";
    last = i;
  }
  if (show_last && !text.empty()) {
    out.pop_back();
    out += text.substr(last);
  }
  return out;
}

std::string TextInput::shown_upto(size_t pos) const {
  if (!password) return text.substr(0, pos);
  if (pos >= text.size()) return shown_text();
  size_t chars = 0;
  for (size_t i = 0; i < pos; i = next_char(text, i)) chars++;
  return std::string(chars, '*');
}

size_t TextInput::cursor_at(float x) const {
  size_t best = 0;
  float best_d = -1;
  for (size_t b = 0;; b = next_char(text, b)) {
    float d = std::fabs(text_width(font, shown_upto(b)) - x);
    if (best_d < 0 || d < best_d) {
      best = b;
      best_d = d;
    }
    if (b >= text.size()) break;
  }
  return best;
}

int TextInput::event(Event* e) {
  cursor = std::min(cursor, text.size());
  if (e->type() == EVT_KEYDOWN) {
    switch (e->key()) {
      case GK_LEFT: cursor = prev_char(text, cursor); break;
      case GK_RIGHT: cursor = next_char(text, cursor); break;
      case GK_HOME: cursor = 0; break;
      case GK_END: cursor = text.size(); break;
      case GK_BACKSPACE: backspace(); return 0;
      case GK_DELETE: del(); return 0;
      case GK_RETURN: return 0;
      default: {
        int mod = e->w[EVW_MOD];
        if ((mod & KMOD_CTRL) && e->key() == GK_A + ('v' - 'a')) {
          insert(clipboard_text());
          return 0;
        }
        int c = e->w[EVW_CHAR];
        if (c >= 32 && c != 127 && !(mod & (KMOD_CTRL | KMOD_ALT | KMOD_META))) insert(utf8(c));
        return 0;
      }
    }
    return 0;
  }
  if (e->type() == EVT_KEYUP) return e->key() == GK_RETURN ? return_code : 0;
  if (e->type() == EVT_DOWN && contains(e->x(), e->y())) {
    cursor = cursor_at(static_cast<float>(e->x()) - cx + view_x);
  }
  return Widget::event(e);
}

// The caret: this wide, in view units, whatever the window's scale.
constexpr float CARET_W = 2.0f;

void TextInput::measure() {
  // Room for the caret past the end.
  content_w = text_width(font, shown_text()) + CARET_W;
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
  float tw = text_width(font, shown);
  float caret = text_width(font, shown_upto(cursor));
  // The cursor stays in view; no room is left empty past the text's end.
  if (caret - view_x > cw - CARET_W) view_x = caret - cw + CARET_W;
  if (caret < view_x) view_x = caret;
  view_x = std::max(0.0f, std::min(view_x, tw + CARET_W - cw));
  float x0 = static_cast<float>(static_cast<int>(cx - view_x));
  float y0 = static_cast<float>(static_cast<int>(cy + (ch - font_height(font)) / 2));
  gfx_clip_push(cx, cy, cw, ch);
  gfx_color_rgb(static_cast<uint32_t>(style.get_or(SW_TEXT_COLOR, 0xffffff)), 1);
  text_draw_wrapped(font, shown, x0, y0, 0, -1);
  if (focused) gfx_rect(x0 + caret, y0, CARET_W, static_cast<float>(font_height(font)));
  gfx_color(1, 1, 1, 1);
  gfx_clip_pop();
}
