// The standard widgets of menus and dialogs.
#include "ui/factories.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gfx/gfx.h"
#include "gfx/text.h"
#include "ui/looks.h"

namespace {
int img(const char* name) { return gfx_img_load(name); }

// What the focusable standard widgets differ in beyond their size and
// spacing.
struct Look {
  const char* frame = nullptr;    // frame image, none when null
  int frame_mode = FRAME_STRETCH;
  const char* overlay = nullptr;  // overlay image, none when null
  OverlayAlphas alphas = OVERLAY_BUTTON;
  int overlay_mode = FRAME_STRETCH;
  WidgetSounds sounds = SOUNDS_BUTTON;
};

// The one construction path of the focusable standard widgets, after the
// factory set size and spacing: name, focus, click code, the look, restyle.
template <class W>
W* finish(W* w, const char* name, int click_code, const Look& look) {
  if (name) w->name = name;
  w->focusable = 1;
  if (click_code) w->click_code = click_code;
  if (look.frame) w->st(SW_FRAME_IMG, img(look.frame));
  if (look.frame_mode != FRAME_STRETCH) w->st(SW_FRAME_MODE, look.frame_mode);
  if (look.overlay) look_overlay(w, look.overlay, look.alphas);
  if (look.overlay_mode != FRAME_STRETCH) w->st(SW_OVERLAY_MODE, look.overlay_mode);
  look_sounds(w, look.sounds);
  w->restyle();
  return w;
}

Look look(const char* frame, const char* overlay, const OverlayAlphas& alphas,
          const WidgetSounds& sounds = SOUNDS_BUTTON) {
  Look l;
  l.frame = frame;
  l.overlay = overlay;
  l.alphas = alphas;
  l.sounds = sounds;
  return l;
}

Widget* icon(const char* name, int size) {
  Widget* w = new Widget;
  w->st(SW_WIDTH, size);
  w->st(SW_HEIGHT, size);
  w->st(SW_ICON_IMG, img(name));
  w->restyle();
  return w;
}

Widget* left_label(int font, const char* text) {
  Box* b = new Box(new MyLabel(font, text ? text : ""));
  b->st(SW_ALIGN, -1);
  b->st4(SW_PAD, 0, 0, 0, 5);
  b->restyle();
  return b;
}
}  // namespace

Widget* gui_menu_background() {
  Widget* w = new Widget;
  w->st(SW_WIDTH, 1137);
  w->st(SW_HEIGHT, 640);
  w->st(SW_FIXED, 1);
  w->st(SW_ICON_IMG, img("menu-background"));
  // Added at (0, 0), the picture reaches as far left of the 640-unit square
  // as right of it, so it stays centred on wide windows.
  w->st4(SW_MARGIN, 0, (1137 - 640) / 2, 0, -(1137 - 640) / 2);
  w->no_input = 1;
  w->restyle();
  return w;
}

Box* gui_menu_box(Widget* content, int margin) {
  MenuBox* m = new MenuBox(content);
  m->st4(SW_PAD, margin, margin, margin, margin);
  m->restyle();
  Box* b = new Box(m);
  b->st4(SW_MARGIN, -13, -13, -13, -13);
  b->restyle();
  return b;
}

// The inner spacing of a menu button, its icon's size, the room before the
// label, and what the frame's pointed right end takes beyond that.
constexpr int kMenuButtonPad = 5;
constexpr int kMenuButtonIcon = 30;
constexpr int kMenuLabelGap = 5;
constexpr int kMenuButtonEnd = 15;

// The font of a menu button's label: the given one while the text fits in
// the frame, else the small one, so the button keeps the width that the
// menu's layout counts on.
static int menu_button_font(const char* text, int font, int width) {
  int room = width - 2 * kMenuButtonPad - kMenuButtonIcon - kMenuLabelGap - kMenuButtonEnd;
  if (text && text_width(font, text) > room) return font_load("font15");
  return font;
}

static Table* menu_button_table(const char* text, const char* icon_name,
                                int font, int width) {
  font = menu_button_font(text, font, width);
  Table* t = new Table;
  t->add(icon(icon_name, kMenuButtonIcon));
  t->add(left_label(font, text));
  t->st(SW_WIDTH, width);
  t->st4(SW_PAD, kMenuButtonPad, kMenuButtonPad, kMenuButtonPad, kMenuButtonPad);
  return finish(t, nullptr, 0, look("menu-button1", "menu-button2", OVERLAY_MENU));
}

Box* gui_menu_button(const char* text, const char* icon_name, int action,
                     int width, const char* name) {
  Table* t = menu_button_table(text, icon_name, font_load("font2"), width);
  t->click_code = action;
  Box* b = new Box(t);
  if (name) b->name = name;
  return b;
}

Table* gui_menu_button_small(const char* text, const char* icon_name) {
  Table* t = menu_button_table(text, icon_name, font_load("font15"), 120);
  t->st(SW_FIXED, 1);
  t->click_code = 1;
  t->restyle();
  return t;
}

Box* gui_menu_tab(const char* text, const char* name, const char* icon_name,
                  int action, int selected) {
  Table* t = new Table;
  t->add(icon(icon_name, 20));
  t->add(left_label(font_load("font2"), text));
  Box* b = new Box(t);
  b->focus_code = action;
  b->selected = selected ? 1 : 0;
  b->st4(SW_PAD, 5, 10, 5, 10);
  b->st(STYLE_SELECTED, SW_OVERLAY_ALPHA, ALPHA_FULL);
  return finish(b, name, 0, look("menu-tab1", "menu-tab2", OVERLAY_MENU));
}

Box* gui_button(Widget* content, int action, int width) {
  Box* b = new Box(content);
  b->st(SW_WIDTH, width);
  b->st4(SW_PAD, 5, 5, 5, 5);
  return finish(b, nullptr, action, look("dialog-box1", "dialog-box2", OVERLAY_BUTTON));
}

Box* gui_button_small(Widget* content, int action) {
  Box* b = new Box(content);
  b->st(SW_WIDTH, 128);
  b->st(SW_FIXED, 1);
  b->st4(SW_PAD, 5, 5, 5, 5);
  return finish(b, nullptr, action, look("dialog-box2", "dialog-box", OVERLAY_BUTTON));
}

// The "backbutton" picture is 180 wide with its arrow in the leftmost 24;
// stretched to the button, the arrow grows with the text.
constexpr float kBackArrowShare = 24.0f / 180.0f;
constexpr int kBackPadRight = 20;
constexpr int kBackArrowGap = 8;

// The left spacing that starts the text past the arrow (and a small gap)
// once the picture is stretched to the whole button.
static int back_pad_left(int font, const std::string& text) {
  float rest = text_width(font, text) + kBackPadRight;
  float pad = (kBackArrowShare * rest + kBackArrowGap) / (1 - kBackArrowShare);
  return std::max(kBackPadRight, static_cast<int>(std::ceil(pad)));
}

Box* gui_back_button(const char* text, int action) {
  int font = font_load("font2");
  std::string label = text ? text : "";
  Box* b = new Box(new MyLabel(font, label));
  b->st(SW_HEIGHT, 45);
  b->st(SW_FIXED, 1);
  b->st4(SW_PAD, 0, kBackPadRight, 0, back_pad_left(font, label));
  // Focused, the overlay takes the frame's place.
  b->st(STYLE_FOCUS, SW_FRAME_ALPHA, ALPHA_NONE);
  b->st(STYLE_HOVER_FOCUS, SW_FRAME_ALPHA, ALPHA_NONE);
  return finish(b, nullptr, action, look("backbutton", "backbutton-focus", OVERLAY_FOCUS));
}

TextInput* gui_text_input(const char* name, const char* text, int limit) {
  std::string initial = text ? text : "";
  size_t lim = std::max(static_cast<size_t>(std::max(limit, 0)), initial.size());
  TextInput* t = new TextInput(font_load("font2"), initial, lim);
  t->st(SW_WIDTH, 320);
  t->st(SW_FIXED, 1);  // a long text scrolls inside; the field keeps its width
  t->st4(SW_PAD, 5, 5, 5, 5);
  return finish(t, name, 0, look("dialog-box1", "dialog-box2", OVERLAY_BUTTON, SOUNDS_FIELD));
}

MyToggle* gui_toggle(const char* name, int value) {
  MyToggle* t = new MyToggle(font_load("font2"), value);
  t->st(SW_WIDTH, 128);
  t->st(SW_HEIGHT, 30);
  t->st(SW_TEXT_COLOR, 0xffffff);
  t->st4(SW_MARGIN, 5, 5, 5, 5);
  Look l = look("dialog-box3", "dialog-box2", OVERLAY_BUTTON, SOUNDS_TOGGLE);
  l.frame_mode = l.overlay_mode = FRAME_EDGE_10;
  return finish(t, name, 0, l);
}

NumSlider* gui_num_slider(const char* name, int value) {
  NumSlider* s = new NumSlider(font_load("font2"), value);
  s->st(SW_WIDTH, 213);
  s->st(SW_HEIGHT, 20);
  s->st(SW_FIXED, 1);
  return finish(s, name, 0, look(nullptr, "dialog-box2", OVERLAY_BUTTON, SOUNDS_FIELD));
}

constexpr int kLevelTitleWidth = 426;

Box* gui_level_title(const char* title) {
  int font = font_load("font1");
  MyLabel* l = new MyLabel(font, text_fit(font, title ? title : "", kLevelTitleWidth));
  l->st(SW_ALIGN, 0);
  l->restyle();
  Box* b = new Box(l);
  b->st(SW_WIDTH, kLevelTitleWidth);
  b->restyle();
  return b;
}

void gui_style_dialog(Widget* w) {
  w->st(SW_FRAME_IMG, img("dialog-box1"));
  look_overlay(w, "dialog-box2", OVERLAY_DIALOG);
  for (int i = 0; i < 4; i++) {
    w->st(SW_BORDER + i, 1);
    w->st(SW_PAD + i, 1);
  }
  w->restyle();
}

void gui_style_dialog2(Widget* w) {
  look_overlay(w, "dialog-box2", OVERLAY_CHOICE);
  w->restyle();
}

GridPicker* gui_grid_picker(const char* name, int value, int columns) {
  GridPicker* g = new GridPicker(font_load("font2"), value, columns);
  if (name) g->name = name;
  return g;
}
