// Layout figures: boxes, tables, spacing, labels and scrolling.
#include <gtest/gtest.h>

#include "ui_env.h"

using namespace ui_test;

TEST(Layout, SizesOfTheFactoriesAndBoxes) {
  tw_test::env();
  Stars stars(3.5f, gfx_img_load("stars"), 20);
  stars.measure();
  EXPECT_EQ(stars.w, 100);
  EXPECT_EQ(stars.h, 20);
  Table* small = gui_menu_button_small("A very long label indeed", "icon-play");
  small->measure();
  EXPECT_EQ(small->w, 120);
  delete small;
  // A 640 by 640 Box centres its content.
  Container root;
  Box* b = new Box(box(100, 50));
  b->st(SW_WIDTH, 640);
  b->st(SW_HEIGHT, 640);
  root.add(b, 0, 0);
  root.measure();
  EXPECT_EQ(b->w, 640);
  EXPECT_EQ(b->content()->x, 270);
  EXPECT_EQ(b->content()->y, 295);
  // Its place follows the content's size alone, whatever it was before.
  for (int h : {600, 0, 500, 100}) {
    b->content()->st(SW_HEIGHT, h);
    b->content()->restyle();
    root.measure();
    EXPECT_EQ(b->h, 640);
    EXPECT_EQ(b->content()->y, (640 - h) / 2) << h;
  }
  // Left alignment and exact sizes.
  Box* left = new Box(box(100, 50));
  left->st(SW_WIDTH, 300);
  left->st(SW_ALIGN, -1);
  root.add(left, 0, 0);
  EXPECT_EQ(left->content()->x, 0);
  Box* exact = new Box(box(100, 50));
  exact->st(SW_WIDTH, 60);
  exact->st(SW_FIXED, 1);
  root.add(exact, 0, 0);
  EXPECT_EQ(exact->w, 60);
  Box* minimum = new Box(box(100, 50));
  minimum->st(SW_WIDTH, 60);
  root.add(minimum, 0, 0);
  EXPECT_EQ(minimum->w, 100);
}

TEST(Layout, SpacingGroupsFrameAndContent) {
  Widget* w = box(40, 40);
  w->st4(SW_PAD, 5, 5, 5, 5);
  w->st4(SW_MARGIN, -20, -20, -20, -20);
  w->st4(SW_BORDER, 1, 2, 3, 4);
  w->restyle();
  w->measure();
  EXPECT_EQ(w->w, 0);  // 40 frame less 20 on both sides
  Box* b = new Box(w);
  b->st4(SW_PAD, 10, 0, 10, 0);
  b->restyle();
  b->measure();
  EXPECT_EQ(b->h, 20);
  Widget* v = box(10, 10);
  v->st4(SW_PAD, 1, 2, 3, 4);
  v->st4(SW_BORDER, 1, 1, 1, 1);
  v->st4(SW_MARGIN, 5, 6, 7, 8);
  v->st(SW_WIDTH, 0);
  v->st(SW_HEIGHT, 0);
  v->restyle();
  v->measure();
  EXPECT_EQ(v->w, 2 + 4 + 2 + 6 + 8);
  EXPECT_EQ(v->h, 1 + 3 + 2 + 5 + 7);
  EXPECT_EQ(v->cx, 8 + 1 + 4);
  EXPECT_EQ(v->cy, 5 + 1 + 1);
  delete b;
  delete v;
}

TEST(Layout, TablesRowsSpansAndWidth) {
  Table t;
  Widget* a = box(50, 10);
  Widget* b = box(30, 20);
  t.add(a);
  t.add(b);
  t.new_row();
  Widget* c = box(100, 10);
  t.add_at(c, 0, 1, 2, 1);
  t.new_row();
  Widget* spacer = box(0, 15, 0, 0);
  t.add(spacer);
  t.measure();
  EXPECT_EQ(t.cols(), 2);
  EXPECT_EQ(t.rows(), 3);
  EXPECT_EQ(b->x, 50);
  EXPECT_EQ(t.w, 100);  // the spanning cell widens the last column
  EXPECT_EQ(b->w, 50);
  EXPECT_EQ(c->y, 20);
  EXPECT_EQ(t.h, 45);
  EXPECT_EQ(a->h, 20);  // cells take the row's height
  t.st(SW_WIDTH, 300);
  t.restyle();
  t.measure();
  EXPECT_EQ(t.w, 300);
  EXPECT_EQ(b->x, 150);
  // add() skips the columns that a span from above takes.
  Table u;
  u.add_at(box(10, 10), 0, 0, 1, 2);
  u.new_row();
  Widget* d = box(10, 10);
  u.add(d);
  EXPECT_EQ(d->col, 1);
  // Any mix of rows of every length, spans and cells taken out: add() puts each cell into the open row's
  // first column, from the last cell's on, that no cell or span takes.
  for (unsigned round = 0, op = 0; round < 40; round++) {
    Table m;
    for (int step = 0, row, col; step < 80; step++, op = (op * 1103515245u + 12345u) >> 1) {
      row = std::max(m.cur_row, 0), col = m.cur_row < 0 ? 0 : m.cur_col;
      if (op % 9 == 0) m.new_row();
      if (op % 9 == 1) m.add_at(box(5, 5), op / 7 % 5, row + op / 11 % 3, 1 + op / 9 % 3, 1 + op / 27 % 3);
      if (op % 9 == 2 && !m.children.empty()) m.remove(m.children[op / 9 % m.children.size()]);
      if (op % 9 < 3) continue;
      for (size_t k = 0; k < m.children.size(); k++) {
        Widget* c = m.children[k];
        if (c->row <= row && row < c->row + c->row_span && c->col <= col && col < c->col + c->col_span)
          col = c->col + c->col_span, k = static_cast<size_t>(-1);
      }
      m.add(box(5, 5));
      ASSERT_TRUE(m.children.back()->row == row && m.children.back()->col == col) << step;
    }
  }
}

TEST(Layout, LongLevelTitlesAreCutToTheirBoxAtAWholeCharacter) {
  tw_test::env();
  std::string title;
  while (title.size() + 2 <= 255) title += "\xc3\xa9";  // 127 two-byte letters
  title += "z";
  Box* b = gui_level_title(title.c_str());
  b->measure();
  EXPECT_EQ(b->w, 426);
  std::string shown = b->content()->get_value_s();
  ASSERT_GT(shown.size(), 5u);
  ASSERT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_EQ(shown.compare(0, shown.size() - 3, title, 0, shown.size() - 3), 0);
  EXPECT_EQ((shown.size() - 3) % 2, 0u);  // no half letter before the dots
  delete b;
  Box* short_title = gui_level_title("Mine");
  EXPECT_EQ(short_title->content()->get_value_s(), "Mine");
  delete short_title;
}

TEST(Layout, LabelsWrapAtTheirWidth) {
  tw_test::env();
  int f = font_load("font2");
  Label one(f, "aa bb cc");
  one.measure();
  EXPECT_EQ(one.w, 80);
  EXPECT_EQ(one.h, 16);
  Label wrapped(f, "aa bb cc");
  wrapped.st(SW_WIDTH, 50);
  wrapped.restyle();
  wrapped.measure();
  EXPECT_EQ(wrapped.w, 50);
  EXPECT_EQ(wrapped.h, 32);
  MyLabel my(f, "x");
  EXPECT_EQ(my.sv(SW_LABEL_COLOR), 0xffaa55);
}

TEST(Layout, ScrollBoxWheelDragAndSlider) {
  tw_test::env();
  Container root;
  Table* list = new Table;
  Widget* rows[10];
  for (int i = 0; i < 10; i++) {
    list->new_row();
    rows[i] = box(100, 50, 0x10000 + i);
    list->add(rows[i]);
  }
  ScrollBox* sb = new ScrollBox(list, 100, 120);
  ScrollBox2* sb2 = new ScrollBox2(sb);
  root.add(sb2, 0, 0);
  EXPECT_EQ(sb2->slider->w, 20);
  EXPECT_EQ(sb2->w, 120);
  EXPECT_EQ(sb->max_scroll_y(), 380);
  send(root, [] { Event e = pointer(EVT_WHEEL, 50, 50, 0); e[EVW_WHEEL] = 1; return e; }());
  EXPECT_EQ(sb->scroll_y, 30);
  send(root, [] { Event e = pointer(EVT_WHEEL, 50, 50, 0); e[EVW_WHEEL] = -1; return e; }());
  send(root, [] { Event e = pointer(EVT_WHEEL, 50, 50, 0); e[EVW_WHEEL] = -1; return e; }());
  EXPECT_EQ(sb->scroll_y, 0);
  // Clicks land on the scrolled content.
  sb->scroll_y = 100;
  EXPECT_EQ(click(root, 50, 10), 0x10000 + 2);
  // Dragging scrolls and is no click.
  send(root, pointer(EVT_DOWN, 50, 100));
  send(root, pointer(EVT_MOTION, 50, 40, 1));
  EXPECT_EQ(sb->scroll_y, 160);
  EXPECT_EQ(send(root, pointer(EVT_UP, 50, 40)), 0);
  // A subclass-style save and restore keeps the offset.
  float saved = sb->scroll_y;
  send(root, [] { Event e = pointer(EVT_WHEEL, 50, 50, 0); e[EVW_WHEEL] = 1; return e; }());
  sb->scroll_y = saved;
  EXPECT_EQ(sb->scroll_y, 160);
  // The slider follows the box, and dragging it moves the box.
  root.loop();
  EXPECT_NEAR(sb2->slider->value, 160.0 / 380, 1e-4);
  float sx, sy;
  sb2->slider->abs_pos(&sx, &sy);
  send(root, pointer(EVT_DOWN, static_cast<int>(sx + 10), static_cast<int>(sy + 1)));
  send(root, pointer(EVT_MOTION, static_cast<int>(sx + 10), static_cast<int>(sy + 500), 1));
  EXPECT_EQ(sb->scroll_y, 380);
  send(root, pointer(EVT_UP, static_cast<int>(sx + 10), static_cast<int>(sy + 500)));
  // An offset that a subclass sets past the end survives layout and paint;
  // the plain box's loop pulls it back.
  sb->scroll_y = 420;
  root.measure();
  EXPECT_EQ(sb->scroll_y, 420);
  root.set_focus(nullptr);  // no focused row to bring into view
  root.loop();
  EXPECT_EQ(sb->scroll_y, 380);
}

TEST(Layout, ScrollBoxFollowsTheFocusOnlyWhenItMoves) {
  tw_test::env();
  Container root;
  Table* list = new Table;
  Widget* rows[10];
  for (int i = 0; i < 10; i++) {
    list->new_row();
    rows[i] = box(100, 50, 0x10000 + i);
    list->add(rows[i]);
  }
  ScrollBox* sb = new ScrollBox(list, 100, 120);
  ScrollBox2* sb2 = new ScrollBox2(sb);
  root.add(sb2, 0, 0);
  select(rows[0]);
  root.loop();
  // The wheel and the slider move the view away from a focus that stays
  // put, tick after tick.
  for (int i = 0; i < 3; i++) {
    send(root, [] { Event e = pointer(EVT_WHEEL, 50, 50, 0); e[EVW_WHEEL] = 1; return e; }());
    root.loop();
  }
  EXPECT_EQ(sb->scroll_y, 90);
  float sx, sy;
  sb2->slider->abs_pos(&sx, &sy);
  send(root, pointer(EVT_DOWN, static_cast<int>(sx + 10), static_cast<int>(sy + 1)));
  send(root, pointer(EVT_MOTION, static_cast<int>(sx + 10), static_cast<int>(sy + 500), 1));
  send(root, pointer(EVT_UP, static_cast<int>(sx + 10), static_cast<int>(sy + 500)));
  root.loop();
  root.loop();
  EXPECT_EQ(sb->scroll_y, 380);
  EXPECT_EQ(root.get_focus(), rows[0]);
  // The arrow keys move the focus, and the view follows it.
  press(root, GK_DOWN);
  root.loop();
  EXPECT_EQ(root.get_focus(), rows[1]);
  EXPECT_EQ(sb->scroll_y, 50);
  for (int i = 0; i < 5; i++) press(root, GK_DOWN);
  root.loop();
  EXPECT_EQ(root.get_focus(), rows[6]);
  EXPECT_EQ(sb->scroll_y, 350 - 120);
}

namespace {
struct Counted : Widget {
  int measures = 0, steps = 0;
  void measure() override {
    measures++;
    Widget::measure();
  }
  void loop() override {
    steps++;
    Widget::loop();
  }
};
}  // namespace

TEST(Layout, TheRootLaysOutOnlyAfterAChange) {
  tw_test::env();
  Container root;
  Counted* c = new Counted;
  c->focusable = 1;
  c->st(SW_WIDTH, 40);
  c->st(STYLE_HOVER, SW_OVERLAY_ALPHA, 255);
  c->st(STYLE_HOVER_FOCUS, SW_PAD, 6);
  c->restyle();
  Box* b = new Box(new Label(font_load("font2"), "a"));
  b->content()->st(SW_ALIGN, 0);
  root.add(c, 0, 0);
  root.add(b, 0, 100);
  root.loop();
  int n = c->measures;
  for (int i = 0; i < 5; i++) root.loop();
  EXPECT_EQ(c->measures, n);
  // Hovered: only an alpha changes, no layout.
  send(root, pointer(EVT_MOTION, 5, 5, 0));
  root.loop();
  EXPECT_EQ(c->measures, n);
  // Focused under the pointer: the inner spacing grows.
  select(c);
  root.loop();
  EXPECT_EQ(c->measures, n + 1);
  EXPECT_EQ(c->h, 6);
  // A new text, a new child.
  float w0 = b->content()->w;
  b->content()->set_value_s("a much longer text");
  root.loop();
  EXPECT_GT(b->content()->w, w0);
  EXPECT_EQ(c->measures, n + 2);
  root.add(box(10, 10), 0, 200);
  root.loop();
  EXPECT_EQ(c->measures, n + 3);
}

TEST(Layout, AScrolledViewStepsWhatItShowsAndEveryFadeRunsOn) {
  tw_test::env();
  Container root;
  Table* list = new Table;
  Counted* rows[40];
  for (int i = 0; i < 40; i++) {
    rows[i] = new Counted;
    rows[i]->st(SW_WIDTH, 100);
    rows[i]->st(SW_HEIGHT, 50);
    rows[i]->st(SW_OVERLAY_ALPHA, 0);
    rows[i]->st(STYLE_HOVER, SW_OVERLAY_ALPHA, 255);
    rows[i]->restyle();
    list->new_row();
    list->add(rows[i]);
  }
  // The list sits in a plain container inside the view, as pages do.
  Container* holder = new Container;
  holder->add(list, 0, 0);
  ScrollBox* sb = new ScrollBox(holder, 100, 120);
  root.add(sb, 0, 0);
  // The rows that one step of the root steps.
  auto step = [&] {
    for (Counted* r : rows) r->steps = 0;
    root.loop();
    std::vector<int> out;
    for (int i = 0; i < 40; i++)
      if (rows[i]->steps) out.push_back(i);
    return out;
  };
  step();
  EXPECT_EQ(step(), (std::vector<int>{0, 1, 2}));
  // A fade started in the view runs on, tick by tick, once scrolled out of
  // it; the row is stepped only while it fades.
  send(root, pointer(EVT_MOTION, 50, 75, 0));
  ASSERT_TRUE(rows[1]->hovered);
  root.loop();
  EXPECT_FLOAT_EQ(rows[1]->style.alpha(SW_OVERLAY_ALPHA), 51 / 255.0f);
  sb->scroll_y = 1010;
  EXPECT_EQ(step(), (std::vector<int>{1, 20, 21, 22}));
  EXPECT_FLOAT_EQ(rows[1]->style.alpha(SW_OVERLAY_ALPHA), 102 / 255.0f);
  for (int i = 0; i < 3; i++) root.loop();
  EXPECT_FLOAT_EQ(rows[1]->style.alpha(SW_OVERLAY_ALPHA), 1.0f);
  EXPECT_EQ(step(), (std::vector<int>{20, 21, 22}));
  // A fading row taken out of the tree takes its fade with it: row 1
  // fades out, row 21 in.
  send(root, pointer(EVT_MOTION, 50, 65, 0));
  ASSERT_TRUE(rows[21]->hovered);
  EXPECT_EQ(root.fading, 2);
  list->remove(rows[21]);
  EXPECT_EQ(root.fading, 1);
  for (int i = 0; i < 5; i++) root.loop();
  EXPECT_EQ(root.fading, 0);
}
