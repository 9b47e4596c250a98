// The standard widgets of menus and dialogs.
#include "ui/factories.h"

#include <algorithm>
#include <cstring>

#include "gfx/gfx.h"
#include "gfx/text.h"

namespace {
int img(const char* name) { return gfx_img_load(name); }

void sounds(Widget* w, int click, int down, int focus) {
  if (click) w->st(SW_SOUND_CLICK, click);
  if (down) w->st(SW_SOUND_DOWN, down);
  if (focus) w->st(SW_SOUND_FOCUS, focus);
}

// Overlay alphas by layer: normal, hover, focus, hover-and-focus.
void overlay(Widget* w, const char* image, int normal, int hover, int focus,
             int both) {
  w->st(SW_OVERLAY_IMG, img(image));
  w->st(SW_OVERLAY_ALPHA, normal);
  w->st(STYLE_HOVER, SW_OVERLAY_ALPHA, hover);
  w->st(STYLE_FOCUS, SW_OVERLAY_ALPHA, focus);
  w->st(STYLE_HOVER_FOCUS, SW_OVERLAY_ALPHA, both);
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

static Table* menu_button_table(const char* text, const char* icon_name,
                                int font, int width) {
  Table* t = new Table;
  t->add(icon(icon_name, 30));
  t->add(left_label(font, text));
  t->focusable = 1;
  t->st(SW_WIDTH, width);
  t->st4(SW_PAD, 5, 5, 5, 5);
  t->st(SW_FRAME_IMG, img("menu-button1"));
  overlay(t, "menu-button2", 0, 85, 0, 170);
  sounds(t, 2, 3, 4);
  t->restyle();
  return t;
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
  if (name) b->name = name;
  b->focusable = 1;
  b->focus_code = action;
  b->selected = selected ? 1 : 0;
  b->st4(SW_PAD, 5, 10, 5, 10);
  b->st(SW_FRAME_IMG, img("menu-tab1"));
  overlay(b, "menu-tab2", 0, 85, 0, 170);
  b->st(STYLE_SELECTED, SW_OVERLAY_ALPHA, 255);
  sounds(b, 2, 3, 4);
  b->restyle();
  return b;
}

Box* gui_button(Widget* content, int action, int width) {
  Box* b = new Box(content);
  b->focusable = 1;
  b->click_code = action;
  b->st(SW_WIDTH, width);
  b->st4(SW_PAD, 5, 5, 5, 5);
  b->st(SW_FRAME_IMG, img("dialog-box1"));
  overlay(b, "dialog-box2", 0, 170, 85, 255);
  sounds(b, 2, 3, 4);
  b->restyle();
  return b;
}

Box* gui_button_small(Widget* content, int action) {
  Box* b = new Box(content);
  b->focusable = 1;
  b->click_code = action;
  b->st(SW_WIDTH, 128);
  b->st(SW_FIXED, 1);
  b->st4(SW_PAD, 5, 5, 5, 5);
  b->st(SW_FRAME_IMG, img("dialog-box2"));
  overlay(b, "dialog-box", 0, 170, 85, 255);
  sounds(b, 2, 3, 4);
  b->restyle();
  return b;
}

Box* gui_back_button(const char* text, int action) {
  Box* b = new Box(new MyLabel(font_load("font2"), text ? text : ""));
  b->focusable = 1;
  b->click_code = action;
  b->st(SW_HEIGHT, 45);
  b->st(SW_FIXED, 1);
  b->st4(SW_PAD, 0, 20, 0, 20);
  b->st(SW_FRAME_IMG, img("backbutton"));
  b->st(STYLE_FOCUS, SW_FRAME_ALPHA, 0);
  b->st(STYLE_HOVER_FOCUS, SW_FRAME_ALPHA, 0);
  overlay(b, "backbutton-focus", 0, 0, 255, 255);
  sounds(b, 2, 3, 4);
  b->restyle();
  return b;
}

TextInput* gui_text_input(const char* name, const char* text, int limit) {
  std::string initial = text ? text : "";
  size_t lim = std::max(static_cast<size_t>(std::max(limit, 0)), initial.size());
  TextInput* t = new TextInput(font_load("font2"), initial, lim);
  if (name) t->name = name;
  t->st(SW_WIDTH, 320);
  t->st(SW_FIXED, 1);  // a long text scrolls inside; the field keeps its width
  t->st4(SW_PAD, 5, 5, 5, 5);
  t->st(SW_FRAME_IMG, img("dialog-box1"));
  overlay(t, "dialog-box2", 0, 170, 85, 255);
  sounds(t, 0, 3, 4);
  t->restyle();
  return t;
}

MyToggle* gui_toggle(const char* name, int value) {
  MyToggle* t = new MyToggle(font_load("font2"), value);
  if (name) t->name = name;
  t->st(SW_WIDTH, 128);
  t->st(SW_HEIGHT, 30);
  t->st(SW_TEXT_COLOR, 0xffffff);
  t->st(SW_FRAME_IMG, img("dialog-box3"));
  t->st(SW_FRAME_MODE, 10);
  overlay(t, "dialog-box2", 0, 170, 85, 255);
  t->st(SW_OVERLAY_MODE, 10);
  t->st4(SW_MARGIN, 5, 5, 5, 5);
  sounds(t, 1, 3, 4);
  t->restyle();
  return t;
}

NumSlider* gui_num_slider(const char* name, int value) {
  NumSlider* s = new NumSlider(font_load("font2"), value);
  if (name) s->name = name;
  s->st(SW_WIDTH, 213);
  s->st(SW_HEIGHT, 20);
  s->st(SW_FIXED, 1);
  overlay(s, "dialog-box2", 0, 170, 85, 255);
  sounds(s, 0, 3, 4);
  s->restyle();
  return s;
}

Box* gui_level_title(const char* title) {
  MyLabel* l = new MyLabel(font_load("font1"), title ? title : "");
  l->st(SW_ALIGN, 0);
  l->restyle();
  Box* b = new Box(l);
  b->st(SW_WIDTH, 426);
  b->restyle();
  return b;
}

void gui_style_dialog(Widget* w) {
  w->st(SW_FRAME_IMG, img("dialog-box1"));
  overlay(w, "dialog-box2", 85, 170, 85, 170);
  for (int i = 0; i < 4; i++) {
    w->st(SW_BORDER + i, 1);
    w->st(SW_PAD + i, 1);
  }
  w->restyle();
}

void gui_style_dialog2(Widget* w) {
  overlay(w, "dialog-box2", 0, 170, 85, 170);
  w->restyle();
}

GridPicker* gui_grid_picker(const char* name, int value, int columns) {
  GridPicker* g = new GridPicker(font_load("font2"), value, columns);
  if (name) g->name = name;
  return g;
}
