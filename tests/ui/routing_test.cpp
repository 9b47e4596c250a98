// The road of an event through a widget tree: hit order, enter and leave,
// focus movement, activation, Tab, and removal while hovered or focused.
#include <gtest/gtest.h>

#include <vector>

#include "driver/audio.h"
#include "support/recording_audio.h"
#include "ui_env.h"

using namespace ui_test;

TEST(Routing, TopmostChildTakesThePointerAndEnterLeaveFollow) {
  Container root;
  Widget* a = box(100, 100);
  a->enter_code = 1;
  a->leave_code = 2;
  Widget* b = box(100, 100);
  b->enter_code = 3;
  b->leave_code = 4;
  Widget* ghost = box(400, 400);
  ghost->no_input = 1;
  ghost->enter_code = 99;
  root.add(a, 0, 0);
  root.add(b, 50, 50);
  root.add(ghost, 0, 0);
  EXPECT_EQ(send(root, pointer(EVT_MOTION, 60, 60, 0)), 3);  // b was added later
  EXPECT_EQ(root.hover_child, b);
  EXPECT_EQ(send(root, pointer(EVT_MOTION, 70, 70, 0)), 0);  // no change
  EXPECT_EQ(send(root, pointer(EVT_MOTION, 10, 10, 0)), 1);  // leave b, enter a
  EXPECT_FALSE(b->hovered);
  EXPECT_TRUE(a->hovered);
  EXPECT_EQ(send(root, pointer(EVT_MOTION, 300, 300, 0)), 2);
  EXPECT_EQ(root.hover_child, nullptr);
}

TEST(Routing, ClicksAnswerTheClickCodeOnlyWhenReleasedOnTheWidget) {
  Container root;
  Widget* a = box(100, 40, 7);
  a->focus_code = 9;
  root.add(a, 10, 10);
  EXPECT_EQ(send(root, pointer(EVT_DOWN, 20, 20)), 9);  // the press focuses
  EXPECT_EQ(root.get_focus(), a);
  EXPECT_EQ(send(root, pointer(EVT_UP, 20, 20)), 7);
  send(root, pointer(EVT_DOWN, 20, 20));
  send(root, pointer(EVT_MOTION, 300, 20, 1));
  EXPECT_EQ(send(root, pointer(EVT_UP, 300, 20)), 0);  // released elsewhere
  // Nested: the codes come up through the containers.
  Table* t = new Table;
  Widget* c = box(30, 30, 11);
  t->add(c);
  root.add(new Box(t), 200, 200);
  EXPECT_EQ(click_on(root, c), 11);
}

TEST(Routing, ArrowsMoveTheFocusSpaceAndReturnActivate) {
  Container root;
  Table* col = new Table;
  Widget* w[3];
  for (int i = 0; i < 3; i++) {
    col->new_row();
    w[i] = box(100, 30, 20 + i);
    w[i]->focus_code = 30 + i;
    col->add(new Box(w[i]));
  }
  root.add(col, 0, 0);
  EXPECT_EQ(press(root, GK_DOWN), 30);  // nothing focused: the first takes it
  EXPECT_EQ(press(root, GK_DOWN), 31);
  EXPECT_EQ(press(root, GK_DOWN), 32);
  EXPECT_EQ(press(root, GK_DOWN), 0);  // nothing further down
  EXPECT_EQ(root.get_focus(), w[2]);
  EXPECT_EQ(press(root, GK_UP), 31);
  EXPECT_EQ(press(root, GK_RIGHT), 0);
  EXPECT_EQ(root.get_focus(), w[1]);
  EXPECT_EQ(press(root, GK_SPACE), 21);
  EXPECT_EQ(press(root, GK_RETURN), 21);
  EXPECT_TRUE(w[1]->is_focused());
  EXPECT_FALSE(w[0]->is_focused());
}

namespace {
// A container that keeps the codes its own event answers, as a scrolled
// map of level icons does to follow the focus.
struct Recorder : ScrollBox {
  std::vector<int> seen;
  Recorder(Widget* content, float w, float h) : ScrollBox(content, w, h) {}
  int event(Event* e) override {
    int code = ScrollBox::event(e);
    if (code) seen.push_back(code);
    return code;
  }
};
}  // namespace

TEST(Routing, ArrowsMoveTheFocusInsideTheInnermostGroupFirst) {
  Container root;
  // A column of two buttons on the left; on the right a padded scrolled
  // group with a row of three icons.
  Table* left = new Table;
  Widget* b1 = box(60, 30, 1);
  Widget* b2 = box(60, 30, 2);
  left->add(b1);
  left->new_row();
  left->add(b2);
  root.add(left, 0, 0);
  Table* icons = new Table;
  Widget* icon[3];
  for (int i = 0; i < 3; i++) {
    icon[i] = box(40, 40, 512 + i);
    icon[i]->focus_code = 256 + i;
    icons->add(icon[i]);
  }
  Recorder* map = new Recorder(icons, 200, 60);
  map->st4(SW_PAD, 10, 10, 10, 10);
  map->restyle();
  root.add(map, 100, 0);
  select(icon[0]);
  EXPECT_EQ(press(root, GK_RIGHT), 257);
  EXPECT_EQ(press(root, GK_RIGHT), 258);
  EXPECT_EQ(press(root, GK_LEFT), 257);
  // The group saw the focus codes of its icons in its own event.
  EXPECT_EQ(map->seen, (std::vector<int>{257, 258, 257}));
  // Keys reach the focused icon inside the padded group wherever the
  // pointer is: Return clicks it.
  map->seen.clear();
  EXPECT_EQ(press(root, GK_RETURN), 513);
  EXPECT_EQ(map->seen, std::vector<int>{513});
  // At the group's edge the focus leaves it for the widgets around it.
  press(root, GK_LEFT);
  EXPECT_EQ(root.get_focus(), icon[0]);
  EXPECT_EQ(press(root, GK_LEFT), 0);
  EXPECT_EQ(root.get_focus(), b1);
  EXPECT_EQ(press(root, GK_DOWN), 0);
  EXPECT_EQ(root.get_focus(), b2);
  EXPECT_EQ(press(root, GK_DOWN), 0);  // nothing below: stays
  EXPECT_EQ(root.get_focus(), b2);
}

TEST(Routing, SelectingANamedBoxSelectsTheButtonInside) {
  tw_test::env();
  Container root;
  Table* col = new Table;
  col->add(gui_menu_button("Build", "icon-build", 3, 180, nullptr));
  col->new_row();
  col->add(gui_menu_button("Play", "icon-play", 1, 180, "play"));
  root.add(col, 0, 0);
  Widget* named = root.find("play");
  ASSERT_NE(named, nullptr);
  select(named);
  Widget* button = static_cast<Box*>(named)->content();
  EXPECT_EQ(root.get_focus(), button);
  EXPECT_TRUE(button->hovered);
  EXPECT_EQ(press(root, GK_RETURN), 1);
  EXPECT_EQ(press(root, GK_UP), 0);
  EXPECT_EQ(press(root, GK_SPACE), 3);
}

TEST(Routing, TheRootLoopLaysOutWhatChanged) {
  tw_test::env();
  Container root;
  Label* l = new Label(font_load("font2"), "a");
  l->focusable = 1;
  l->click_code = 9;
  root.add(new Box(l), 0, 0);
  float before = l->w;
  l->set_value_s("a much longer text");
  root.loop();
  EXPECT_GT(l->w, before);
  EXPECT_EQ(click(root, static_cast<int>(l->w) - 2, 5), 9);
}

TEST(Routing, TabGivesTheFocusToTheTabTarget) {
  tw_test::env();
  Container root;
  Table* t = new Table;
  TextInput* name = gui_text_input("name", "", 63);
  TextInput* pass = gui_text_input("passwd", "", 63);
  name->tab_target = "passwd";
  pass->tab_target = "name";
  t->add(name);
  t->new_row();
  t->add(pass);
  root.add(t, 0, 0);
  select(name);
  press(root, GK_TAB);
  EXPECT_EQ(root.get_focus(), pass);
  press(root, GK_TAB);
  EXPECT_EQ(root.get_focus(), name);
  send(root, key(EVT_KEYDOWN, GK_A, 'a'));
  EXPECT_EQ(name->get_value_s(), "a");
  EXPECT_EQ(pass->get_value_s(), "");
}

TEST(Routing, SelectHoversThenFocusesAndAnswersTheFirstCode) {
  Container root;
  Widget* a = box(10, 10);
  a->enter_code = 0;
  a->focus_code = 256 + 3;
  Widget* b = box(10, 10);
  b->enter_code = 1024 + 2;
  b->focus_code = 5;
  root.add(new Box(a), 0, 0);
  root.add(new Box(b), 100, 0);
  EXPECT_EQ(select(a), 259);
  EXPECT_TRUE(a->hovered && a->focused);
  EXPECT_EQ(select(b), 1026);
  EXPECT_FALSE(a->hovered || a->focused);
  EXPECT_TRUE(b->is_focused());
}

TEST(Routing, RemovingOrReplacingASubtreeLeavesNoPointerIntoIt) {
  Container root;
  Box* panel = new Box(new Table);
  panel->name = "panel";
  Table* inner = static_cast<Table*>(panel->content());
  Widget* button = box(50, 50, 4);
  inner->add(new Box(button));
  root.add(panel, 0, 0);
  Widget* other = box(50, 50, 8);
  root.add(other, 200, 0);
  int x, y;
  centre(button, &x, &y);
  send(root, pointer(EVT_MOTION, x, y, 0));
  send(root, pointer(EVT_DOWN, x, y));
  ASSERT_EQ(root.get_focus(), button);
  ASSERT_TRUE(button->hovered);
  // Removing the panel drops the hovered, focused and pressed widget deep
  // inside it.
  root.remove(panel);
  EXPECT_EQ(root.get_focus(), nullptr);
  EXPECT_EQ(root.hover_child, nullptr);
  EXPECT_EQ(root.press_child, nullptr);
  EXPECT_EQ(send(root, pointer(EVT_UP, x, y)), 0);
  EXPECT_EQ(press(root, GK_SPACE), 0);
  EXPECT_EQ(press(root, GK_RIGHT), 0);  // focus goes to the one left
  EXPECT_EQ(root.get_focus(), other);

  // widget_replace: the same through the replacement.
  Box* old_panel = new Box(box(40, 40, 5));
  old_panel->name = "cur";
  Table* t = new Table;
  t->add(box(10, 10));
  t->add(old_panel);
  root.add(t, 0, 300);
  Widget* inside = old_panel->content();
  select(inside);
  ASSERT_EQ(root.get_focus(), inside);
  Box* fresh = new Box(box(60, 60, 6));
  fresh->name = "cur";
  ASSERT_TRUE(widget_replace(root.find("cur"), fresh));
  EXPECT_EQ(root.find("cur"), fresh);
  EXPECT_EQ(fresh->col, 1);
  EXPECT_EQ(fresh->parent, t);
  EXPECT_EQ(root.get_focus(), nullptr);
  EXPECT_EQ(t->hover_child, nullptr);
  EXPECT_EQ(click_on(root, fresh->content()), 6);
  Widget* lone = box(1, 1);
  Widget* spare = box(1, 1);
  EXPECT_FALSE(widget_replace(lone, spare));  // no parent: nothing happens
  delete lone;
  delete spare;
}

TEST(Routing, StyleSoundsPlayByNumber) {
  tw_test::env();
  RecordingAudio rec;
  audio_init(&rec);
  Container root;
  Widget* a = box(50, 50, 3);
  a->st(SW_SOUND_CLICK, 2);
  a->st(SW_SOUND_DOWN, 3);
  a->st(SW_SOUND_FOCUS, 4);
  root.add(a, 0, 0);
  send(root, pointer(EVT_DOWN, 5, 5));
  EXPECT_EQ(rec.last(), "gui-down");
  send(root, pointer(EVT_UP, 5, 5));
  EXPECT_EQ(rec.last(), "gui-click");
  root.set_focus(nullptr);
  select(a);
  EXPECT_EQ(rec.last(), "gui-enter");
  audio_shutdown();
}
