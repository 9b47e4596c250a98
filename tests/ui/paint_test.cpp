// Frames, overlays and the selected layer drawn into the window.
#include <gtest/gtest.h>

#include "ui_env.h"

using namespace ui_test;
using namespace tw_test;

namespace {
void paint(Container& root) {
  frame_start();
  root.measure();
  root.paint();
}
}  // namespace

TEST(Paint, FrameOverlayAndSelectedLayer) {
  env();
  Container root;
  Widget* w = box(100, 40);
  w->st(SW_FRAME_IMG, gfx_img_load("red"));
  w->st(SW_OVERLAY_IMG, gfx_img_load("green"));
  w->st(SW_OVERLAY_ALPHA, 0);
  w->st(STYLE_HOVER, SW_OVERLAY_ALPHA, 255);
  w->st(STYLE_SELECTED, SW_OVERLAY_IMG, gfx_img_load("blue"));
  w->st(STYLE_SELECTED, SW_OVERLAY_ALPHA, 255);
  w->restyle();
  root.add(w, 50, 60);
  paint(root);
  expect_pixels({{55, 65, 0xff0000u}, {149, 99, 0xff0000u}, {151, 65, 0u}});
  // Hovered: the overlay fades in over the ticks.
  send(root, pointer(EVT_MOTION, 60, 70, 0));
  paint(root);
  EXPECT_EQ(pixel(55, 65), 0xff0000u);
  for (int i = 0; i < 5; i++) root.loop();
  paint(root);
  EXPECT_EQ(pixel(55, 65), 0x00ff00u);
  w->selected = 1;
  w->restyle();
  paint(root);
  EXPECT_EQ(pixel(55, 65), 0x0000ffu);
}

TEST(Paint, MarginsPlaceTheFrameAndBoxesCentre) {
  env();
  Container root;
  Widget* w = box(40, 40, 0, 0);
  w->st(SW_ICON_IMG, gfx_img_load("white"));
  w->st4(SW_MARGIN, -20, -20, -20, -20);
  w->st(SW_BG_COLOR, 0x0000ff);
  w->restyle();
  root.add(w, 100, 100);  // a 0 by 0 place: the frame reaches 20 around
  Box* b = new Box(box(20, 20, 0, 0));
  b->content()->st(SW_BG_COLOR, 0xff0000);
  b->content()->restyle();
  b->st(SW_WIDTH, 640);
  b->st(SW_HEIGHT, 640);
  root.add(b, 0, 0);
  paint(root);
  expect_pixels({{81, 81, 0xffffffu}, {118, 118, 0xffffffu}, {121, 100, 0u}, {320, 320, 0xff0000u},
                 {308, 320, 0u}});
}

TEST(Paint, LabelsTogglesAndClipping) {
  env();
  Container root;
  MyLabel* l = new MyLabel(font_load("font2"), "AB");
  root.add(l, 10, 10);
  ScrollBox* sb = new ScrollBox(box(200, 200, 0, 0), 50, 50);
  sb->content()->st(SW_BG_COLOR, 0xffffff);
  sb->content()->restyle();
  root.add(sb, 300, 300);
  paint(root);
  // (360, 320): clipped to 50 by 50.
  expect_pixels({{11, 11, 0xffaa55u}, {18, 11, 0u}, {320, 320, 0xffffffu}, {360, 320, 0u}});
  EXPECT_EQ(gfx_clip_depth(), 0);
}

namespace {
struct Painted : Widget {
  int paints = 0, loops = 0;
  void paint() override { paints++; }
  void loop() override { loops++; }
};
}  // namespace

TEST(Paint, ChildrenOutsideTheScrolledViewAreNotPainted) {
  env();
  Container root;
  Table* list = new Table;
  Painted* rows[20];
  for (int i = 0; i < 20; i++) {
    rows[i] = new Painted;
    rows[i]->st(SW_WIDTH, 100);
    rows[i]->st(SW_HEIGHT, 50);
    rows[i]->st(SW_BG_COLOR, 0xffffff);
    rows[i]->restyle();
    list->new_row();
    list->add(rows[i]);
  }
  // A frame that reaches 30 above its row: drawn although the row is not in
  // the view.
  rows[10]->st(SW_MARGIN, -30);
  rows[10]->st(SW_BG_COLOR, 0xff0000);
  rows[10]->restyle();
  ScrollBox* sb = new ScrollBox(list, 100, 120);
  root.add(sb, 100, 100);
  auto painted = [&] {
    std::vector<int> out;
    for (int i = 0; i < 20; i++)
      if (rows[i]->paints) out.push_back(i);
    for (Painted* r : rows) r->paints = 0;
    return out;
  };
  paint(root);
  EXPECT_EQ(painted(), (std::vector<int>{0, 1, 2}));
  sb->scroll_y = 500 - 120 - 20;  // the view ends 20 above row 10
  paint(root);
  EXPECT_EQ(painted(), (std::vector<int>{7, 8, 9, 10}));
  EXPECT_EQ(pixel(150, 215), 0xff0000u);  // row 10's frame, above its row
  // A row grown by a new style moves the others: culling follows at once.
  rows[0]->st(SW_HEIGHT, 450);
  rows[0]->restyle();
  paint(root);
  EXPECT_EQ(painted(), (std::vector<int>{0, 1}));
  EXPECT_EQ(gfx_clip_depth(), 0);

  // Children in any order of their bottoms (a tall table, then small icons
  // above it, and so on): every child that meets the view is stepped and
  // painted, wherever the view is scrolled; those far from it are not.
  Container* page = new Container;
  unsigned seed = 7;
  for (int i = 0; i < 40; i++) {
    seed = seed * 1103515245u + 12345u;
    Painted* k = new Painted;
    k->st(SW_WIDTH, 20);
    k->st(SW_HEIGHT, i % 5 == 0 ? 400 : 10 + static_cast<int>(seed >> 24) % 40);
    page->add(k, 0, static_cast<float>((seed >> 8) % 900));
  }
  ScrollBox* view = new ScrollBox(page, 100, 120);
  root.add(view, 300, 0);
  for (int y = 0; y < 1000; y += 13) {
    view->scroll_y = static_cast<float>(y);
    for (Widget* k : page->children) static_cast<Painted*>(k)->paints = static_cast<Painted*>(k)->loops = 0;
    root.loop();
    paint(root);
    for (size_t i = 0; i < page->children.size(); i++) {
      auto* k = static_cast<Painted*>(page->children[i]);
      const float top = k->y - y, bottom = top + k->h;
      const int want = bottom > 0 && top < 120 ? 1 : bottom < -20 || top > 140 ? 0 : k->paints;
      EXPECT_EQ(std::make_pair(k->paints, k->loops), std::make_pair(want, want)) << "child " << i << " view at " << y;
    }
  }

  // A long list scrolled before any step (a transition's picture of a new
  // screen): its first paint builds and paints the rows in view.
  RowList* long_list = new RowList(1000, [](int) {
    Widget* r = box(100, 50);
    r->st(SW_BG_COLOR, 0xffffff);
    r->restyle();
    return r;
  });
  ScrollBox* lv = new ScrollBox(long_list, 100, 120);
  Container top;
  top.add(lv, 0, 0);
  lv->scroll_y = 4975;
  paint(top);
  EXPECT_EQ(long_list->children.size(), 3u);
  EXPECT_EQ(pixel(50, 10), 0xffffffu);
}
