// The factories' action codes and the value widgets.
#include <gtest/gtest.h>

#include "driver/clipboard.h"
#include "support/text_field_rule.h"
#include "ui_env.h"

using namespace ui_test;

TEST(Factories, ButtonsAnswerTheirActionCodes) {
  tw_test::env();
  Container root;
  Box* menu = gui_menu_button("Play", "icon-play", 11, 180, "play");
  Table* small = gui_menu_button_small("Go", "icon-play");
  Box* dialog = gui_button(new MyLabel(font_load("font2"), "OK"), 21, 160);
  Box* tiny = gui_button_small(new MyLabel(font_load("font15"), "Search"), 14);
  Box* back = gui_back_button("Main Menu", 6);
  Table* col = new Table;
  for (Widget* w : {static_cast<Widget*>(menu), static_cast<Widget*>(small),
                    static_cast<Widget*>(dialog), static_cast<Widget*>(tiny),
                    static_cast<Widget*>(back)}) {
    col->new_row();
    col->add(new Box(w));
  }
  root.add(col, 0, 0);
  EXPECT_EQ(root.find("play"), menu);
  EXPECT_EQ(click_on(root, menu->content()), 11);
  EXPECT_EQ(click_on(root, small), 1);
  EXPECT_EQ(click_on(root, dialog), 21);
  EXPECT_EQ(click_on(root, tiny), 14);
  EXPECT_EQ(click_on(root, back), 6);
  select(dialog);
  EXPECT_EQ(press(root, GK_RETURN), 21);
  EXPECT_EQ(press(root, GK_SPACE), 21);
}

TEST(Factories, TabsAnswerOnTakingTheFocusNotOnClicks) {
  tw_test::env();
  Container root;
  Table* row = new Table;
  Box* t0 = gui_menu_tab("Controls", "tab-0", "icon-play", 256, 1);
  Box* t3 = gui_menu_tab("Options", "tab-3", "icon-play", 259, 0);
  row->add(t0);
  row->add(t3);
  root.add(row, 0, 0);
  EXPECT_TRUE(t0->selected);
  EXPECT_EQ(select(t0), 256);
  EXPECT_EQ(press(root, GK_RIGHT), 259);
  int x, y;
  centre(t0, &x, &y);
  EXPECT_EQ(send(root, pointer(EVT_DOWN, x, y)), 256);
  EXPECT_EQ(send(root, pointer(EVT_UP, x, y)), 0);
}

TEST(Factories, ToggleSliderAndPicker) {
  tw_test::env();
  Container root;
  Table* t = new Table;
  MyToggle* on = gui_toggle("vsync", 1);
  MyToggle* unset = gui_toggle("hud", 0);
  NumSlider* music = gui_num_slider("music", 50);
  GridPicker* res = gui_grid_picker("vres", 7, 2);
  res->add_choice("Auto", -1);
  res->add_choice("640x640", (640 << 16) | 640);
  res->add_choice("Other", 3);
  res->up_code = 44;
  t->add(on);
  t->new_row();
  t->add(unset);
  t->new_row();
  t->add(new Box(music));
  t->new_row();
  t->add(res);
  root.add(t, 0, 0);
  EXPECT_EQ(root.find("vsync"), on);
  click_on(root, on);
  EXPECT_EQ(on->get_value_i(), -1);
  click_on(root, on);
  EXPECT_EQ(on->get_value_i(), 1);
  click_on(root, unset);
  EXPECT_EQ(unset->get_value_i(), 1);
  select(unset);
  press(root, GK_SPACE);
  EXPECT_EQ(unset->get_value_i(), -1);

  music->up_code = 15;
  select(music);
  EXPECT_EQ(press(root, GK_RIGHT), 0);  // keys change without answering
  EXPECT_EQ(music->get_value_i(), 55);
  press(root, GK_LEFT);
  press(root, GK_LEFT);
  EXPECT_EQ(music->get_value_i(), 45);
  for (int i = 0; i < 30; i++) press(root, GK_LEFT);
  EXPECT_EQ(music->get_value_i(), 0);
  float ax, ay;
  music->abs_pos(&ax, &ay);
  int y = static_cast<int>(ay + music->h / 2);
  int left = static_cast<int>(ax + music->cx);
  EXPECT_EQ(send(root, pointer(EVT_DOWN, left + 10, y)), 0);
  EXPECT_EQ(send(root, pointer(EVT_MOTION, left + static_cast<int>(music->cw), y)), 0);
  EXPECT_EQ(music->get_value_i(), 100);
  EXPECT_EQ(send(root, pointer(EVT_UP, left + static_cast<int>(music->cw), y)), 15);
  music->continuous = 1;
  EXPECT_EQ(send(root, pointer(EVT_DOWN, left, y)), 15);
  EXPECT_EQ(music->get_value_i(), 0);
  send(root, pointer(EVT_UP, left, y));

  EXPECT_EQ(res->get_value_i(), 7);
  for (Widget* c : res->children) EXPECT_FALSE(c->selected);  // 7 is no choice
  EXPECT_EQ(click_on(root, res->children[1]), 44);
  EXPECT_EQ(res->get_value_i(), (640 << 16) | 640);
  EXPECT_TRUE(res->children[1]->selected);
  EXPECT_EQ(res->children[2]->row, 1);  // a new row every two cells
  select(res->children[0]);
  EXPECT_EQ(press(root, GK_RETURN), 44);
  EXPECT_EQ(res->get_value_i(), -1);
}

TEST(TextField, EditingKeysActAtTheCursorAndOnlyUpDownAndTabLeave) {
  tw_test::env();
  for (int password : {0, 1}) {
    // Something lies in every direction from the field.
    Container root;
    TextInput* field = gui_text_input("field", "", 63);
    field->password = password;
    field->tab_target = "other";
    TextInput* other = gui_text_input("other", "", 63);
    Widget* above = box(60, 30);
    Widget* below = box(60, 30);
    root.add(box(60, 30), 0, 100);
    root.add(field, 100, 100);
    root.add(box(60, 30), 460, 100);
    root.add(above, 230, 20);
    root.add(below, 230, 180);
    root.add(other, 100, 300);
    FieldUnderTest f;
    f.key = [&](int k, int ch, int mod) {
      send(root, key(EVT_KEYDOWN, k, ch, mod));
      send(root, key(EVT_KEYUP, k, 0, mod));
    };
    f.value = [&] { return field->get_value_s(); };
    f.focused = [&] { return root.get_focus() == field; };
    select(field);
    walk_text_field_rule(f);
    EXPECT_EQ(field->shown_text(), password ? "******" : "dXYzbe");
    for (auto [k, to] : {std::pair<int, Widget*>{GK_UP, above}, {GK_DOWN, below}, {GK_TAB, other}}) {
      select(field);
      press(root, k);
      EXPECT_EQ(root.get_focus(), to) << k;
    }
    // A press in the field puts the cursor at the nearest character.
    select(field);
    field->set_value_s("abcd");
    float ax, ay;
    field->abs_pos(&ax, &ay);
    int x = static_cast<int>(ax + field->cx + text_width(field->font, "ab") + 2);
    click(root, x, static_cast<int>(ay + field->h / 2));
    EXPECT_EQ(field->cursor, 2u);
  }
}

TEST(TextField, NeverGrowsPastItsLimitWhereverTheCursorIs) {
  tw_test::env();
  Container root;
  TextInput* t = gui_text_input("search", "", 5);
  t->return_code = 14;
  root.add(t, 0, 0);
  select(t);
  for (const char* c = "abcdefgh"; *c; c++)
    send(root, key(EVT_KEYDOWN, GK_A + (*c - 'a'), *c));
  EXPECT_EQ(t->get_value_s(), "abcde");
  press(root, GK_HOME);
  send(root, key(EVT_KEYDOWN, GK_A, 'x'));
  EXPECT_EQ(t->get_value_s(), "abcde");
  press(root, GK_END);
  send(root, key(EVT_KEYDOWN, GK_BACKSPACE));
  send(root, key(EVT_KEYDOWN, GK_LEFT));
  clipboard_set_text("XYZ-long paste");
  send(root, key(EVT_KEYDOWN, GK_A + ('v' - 'a'), 'v', KMOD_LCTRL));
  EXPECT_EQ(t->get_value_s(), "abcXd");
  send(root, key(EVT_KEYDOWN, GK_BACKSPACE));
  send(root, key(EVT_KEYDOWN, GK_DELETE));
  send(root, key(EVT_KEYDOWN, 0, 0xe9));    // a two-byte character fits
  send(root, key(EVT_KEYDOWN, 0, 0x20ac));  // a three-byte one does not
  EXPECT_EQ(t->get_value_s(), "abc\xc3\xa9");
  send(root, key(EVT_KEYDOWN, GK_LEFT));
  send(root, key(EVT_KEYDOWN, GK_DELETE));  // the whole character goes
  EXPECT_EQ(t->get_value_s(), "abc");
  t->set_value_s("0123456789");
  EXPECT_EQ(t->get_value_s(), "01234");
  EXPECT_EQ(t->cursor, 5u);
  // A long text stays inside the field's 320 units.
  TextInput* wide = gui_text_input("wide", "", 255);
  root.add(wide, 0, 100);
  wide->set_value_s(std::string(200, 'W'));
  root.measure();
  EXPECT_EQ(wide->w, 320);
  // Return answers on its release only.
  EXPECT_EQ(send(root, key(EVT_KEYDOWN, GK_RETURN)), 0);
  EXPECT_EQ(send(root, key(EVT_KEYUP, GK_RETURN)), 14);
  // The initial text may be longer than the limit asked for.
  TextInput* g = gui_text_input("text", "long initial", 4);
  EXPECT_EQ(g->limit, 12u);
  EXPECT_EQ(g->get_value_s(), "long initial");
  delete g;
}

// The caret shows where the cursor is, only while the field has the focus,
// and an idle field draws the same picture frame after frame.
TEST(TextField, CaretMarksTheCursorWhileFocusedAndStaysStill) {
  tw_test::env();
  Container root;
  TextInput* t = new TextInput(font_load("font2"), "ab", 63);
  root.add(t, 100, 100);
  Widget* other = box(20, 20);
  root.add(other, 300, 100);
  auto paint = [&] {
    tw_test::frame_start();
    root.measure();
    root.paint();
  };
  auto signature = [&] {
    gfx_sig_begin();
    paint();
    return gfx_sig_end();
  };
  // The test font's glyphs are 8 wide, 10 apart: right of "ab" is empty.
  int end_x = static_cast<int>(100 + t->cx) + 21, mid_y = static_cast<int>(100 + t->cy) + 8;
  paint();
  EXPECT_EQ(tw_test::pixel(end_x, mid_y), 0u);
  select(t);
  paint();
  EXPECT_NE(tw_test::pixel(end_x, mid_y), 0u);
  uint64_t at_end = signature();
  for (int i = 0; i < 120; i++) root.loop();
  EXPECT_EQ(signature(), at_end);
  press(root, GK_HOME);
  paint();
  EXPECT_EQ(tw_test::pixel(end_x, mid_y), 0u);
  EXPECT_NE(signature(), at_end);
  select(other);
  press(root, GK_END);
  paint();
  EXPECT_EQ(tw_test::pixel(end_x, mid_y), 0u);
}

TEST(TextField, PasswordModeMasksButKeepsTheText) {
  tw_test::env();
  TextInput t(font_load("font2"), "secret", 63);
  t.password = 1;
  EXPECT_EQ(t.shown_text(), "******");
  t.show_last = 1;
  EXPECT_EQ(t.shown_text(), "*****t");
  EXPECT_EQ(t.get_value_s(), "secret");
  t.set_value_s("");
  EXPECT_EQ(t.shown_text(), "");
}

TEST(Stars, PointerAndArrowsSetTheRating) {
  tw_test::env();
  Container root;
  Stars* s = new Stars(0, gfx_img_load("stars"), 20);
  s->name = "stars";
  s->up_code = 70;
  root.add(s, 100, 100);
  EXPECT_EQ(s->w, 100);
  EXPECT_EQ(s->h, 20);
  EXPECT_EQ(send(root, pointer(EVT_DOWN, 100 + 65, 110)), 70);  // the fourth star
  EXPECT_EQ(s->get_value_i(), 4);
  send(root, pointer(EVT_UP, 165, 110));
  EXPECT_EQ(press(root, GK_RIGHT), 70);
  EXPECT_EQ(press(root, GK_RIGHT), 0);  // 5 is the most
  EXPECT_EQ(s->get_value_i(), 5);
  press(root, GK_LEFT);
  EXPECT_EQ(s->get_value_i(), 4);
  s->no_input = 1;
  send(root, pointer(EVT_DOWN, 101, 110));
  EXPECT_EQ(s->get_value_i(), 4);
}
