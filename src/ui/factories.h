// Widget factories: the standard looks of menus and dialogs.
#pragma once

#include "ui/controls.h"
#include "ui/label.h"
#include "ui/layout.h"
#include "ui/scroll.h"
#include "ui/text_input.h"

// The 1137 by 640 picture "menu-background", centred on the view when added
// to the root at (0, 0).
Widget* gui_menu_background();
// A MenuBox around the content with the margin on all four sides, inside a
// Box whose outer spacing is -13 on all sides; answers that Box.
Box* gui_menu_box(Widget* content, int margin);
// A focusable framed button of a 30 by 30 icon and a MyLabel in "font2";
// answers the action code when clicked; when name is given the button's
// Box carries it. Answers the Box around the button.
Box* gui_menu_button(const char* text, const char* icon, int action, int width,
                     const char* name);
// A 120-wide button of a 30 by 30 icon and a MyLabel in "font15"; click
// code 1. Answers the button Table.
Table* gui_menu_button_small(const char* text, const char* icon);
// A tab: a focusable Box named `name` around a 20 by 20 icon and a MyLabel
// in "font2"; it answers the action code when it gains the focus.
Box* gui_menu_tab(const char* text, const char* name, const char* icon,
                  int action, int selected);
// A focusable framed button around the content ("dialog-box1" frame,
// "dialog-box2" hover overlay).
Box* gui_button(Widget* content, int action, int width);
// A focusable framed Box 128 wide ("dialog-box2" frame, "dialog-box" hover
// overlay).
Box* gui_button_small(Widget* content, int action);
// A button drawn on "backbutton" ("backbutton-focus" while focused), 45
// high, with the text as a MyLabel in "font2".
Box* gui_back_button(const char* text, int action);
// A named TextInput in "font2", 320 wide whatever its text, "dialog-box1" frame and
// "dialog-box2" overlay; its limit is the larger of limit and the initial
// text's length.
TextInput* gui_text_input(const char* name, const char* text, int limit);
// A named MyToggle in "font2", 128 by 30.
MyToggle* gui_toggle(const char* name, int value);
// A named NumSlider (0 to 100) in "font2", 213 by 20.
NumSlider* gui_num_slider(const char* name, int value);
// The map's title (a MyLabel in "font1", centred) inside a Box 426 wide; a
// title too wide for it is cut at a whole character and ends in "...".
Box* gui_level_title(const char* title);
// The dialog frame: "dialog-box1", overlay "dialog-box2" at alpha 85 (170
// hovered), 1 on the eight inner spacing words (8-11, 13-16).
void gui_style_dialog(Widget* w);
// The hover frame: overlay "dialog-box2" at alpha 0, 170 hovered, 85
// focused.
void gui_style_dialog2(Widget* w);
// A named GridPicker in "font2".
GridPicker* gui_grid_picker(const char* name, int value, int columns);
