// The main menu in a real window: the game starts as the program does
// (video mode, renderer, box-art fade), and the picture is checked against
// the laid-out widget tree. Each element is found by what it adds to the
// picture, so a change of font or artwork does not break the test.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "game/game.h"
#include "game/hooks.h"
#include "game/identity.h"
#include "game/paths.h"
#include "game/state.h"
#include "gfx/gfx.h"
#include "gfx/gl.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "menus/menus_main.h"
#include "menus_fixture.h"
#include "support/game_window.h"

using namespace menus_test;

namespace {

struct Rect {
  float x, y, w, h;
};

// The widget's content rectangle in view units.
Rect content_rect(Widget* w) {
  float ax, ay;
  w->abs_pos(&ax, &ay);
  return {ax + w->cx, ay + w->cy, w->cw, w->ch};
}

int changed(const Picture& a, const Picture& b, Rect r) { return changed(a, b, r.x, r.y, r.w, r.h); }

struct MainMenuPicture : WindowedGame {
  void install_hooks() override { game_hooks.register_menu_states = register_menu_states; }
};

}  // namespace

TEST_F(MainMenuPicture, LogoButtonsAndVersionWhereTheLayoutPutsThem) {
  const char* title = nullptr;
  SDL_WM_GetCaption(const_cast<char**>(&title), nullptr);
  ASSERT_NE(title, nullptr);
  EXPECT_STREQ(title, "Tunnelwick");

  // The first picture fades in from the box art.
  EXPECT_EQ(g_transition.type, TRANS_FADE);
  game_frame(g, 15);
  ASSERT_FALSE(transition_running());
  ASSERT_EQ(g->state, STATE_MENUS_MAIN);
  Container& root = state_get(STATE_MENUS_MAIN)->root;

  Picture full = settled_picture(g);
  ASSERT_GT(full.w, 0);

  // The layout: a 640 by 640 box at (0, 0) centring a 320-wide column, and
  // the version line in a 640 by 20 box at (0, 620).
  ASSERT_EQ(root.children.size(), 3u);
  Widget* view = root.children[1];
  Widget* version_box = root.children[2];
  EXPECT_EQ(view->x, 0);
  EXPECT_EQ(view->y, 0);
  EXPECT_EQ(view->w, 640);
  EXPECT_EQ(view->h, 640);
  EXPECT_EQ(version_box->x, 0);
  EXPECT_EQ(version_box->y, 620);
  EXPECT_EQ(version_box->w, 640);
  EXPECT_GE(version_box->h, 20);

  // The logo: 280 high, as wide as its image's aspect makes it.
  int logo_img = gfx_img_load("logo");
  ASSERT_GT(logo_img, 0);
  Widget* logo = nullptr;
  std::vector<Widget*> todo = {&root};
  while (!todo.empty()) {
    Widget* w = todo.back();
    todo.pop_back();
    if (w->shas(SW_ICON_IMG) && w->sv(SW_ICON_IMG) == logo_img) logo = w;
    if (Container* c = dynamic_cast<Container*>(w))
      for (Widget* k : c->children) todo.push_back(k);
  }
  ASSERT_NE(logo, nullptr);
  Rect lr = content_rect(logo);
  EXPECT_EQ(lr.h, 280);
  EXPECT_EQ(lr.w, static_cast<int>(280 * gfx_img_aspect(logo_img)));
  EXPECT_NEAR(lr.x + lr.w / 2, 320, 1);

  // The presenter line above the logo, six buttons below it, one per row,
  // each 180 wide, in a column centred on the view.
  Widget* presenter = find_label(&root, "Talvik presents ...");
  ASSERT_NE(presenter, nullptr);
  float logo_slot_x, logo_slot_y;
  logo->parent->abs_pos(&logo_slot_x, &logo_slot_y);
  EXPECT_LE(content_rect(presenter).y + content_rect(presenter).h, logo_slot_y);
  EXPECT_NEAR(content_rect(presenter).x + content_rect(presenter).w / 2, 320, 1);
  const char* labels[] = {"Play", "Build", "Community Maps", "Settings", "Become a Fan", "Quit"};
  const int codes[] = {1, 3, 11, 2, 23, 4};
  float last_y = lr.y + lr.h - 1;
  for (int i = 0; i < 6; i++) {
    SCOPED_TRACE(labels[i]);
    Widget* b = find_button(&root, labels[i]);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->click_code, codes[i]);
    float bx, by;
    b->abs_pos(&bx, &by);
    EXPECT_GT(by, last_y);
    last_y = by;
    EXPECT_EQ(b->sv(SW_WIDTH), 180);
    EXPECT_GE(b->w, 180);
    EXPECT_NEAR(bx + b->w / 2, 320, 1);
  }

  // Each element adds to the picture what the tree says, where it says:
  // without it, its rectangle looks different.
  // The logo's part: the picture with it taken out for a moment.
  auto without = [&](Widget* w) {
    Container* parent = w->parent;
    size_t at = 0;
    while (parent->children[at] != w) at++;
    parent->children.erase(parent->children.begin() + at);
    Picture p = settled_picture(g);
    parent->children.insert(parent->children.begin() + at, w);
    return p;
  };
  Picture no_logo = without(logo);
  EXPECT_GT(changed(full, no_logo, lr), lr.w * lr.h / 4) << "logo";
  ASSERT_EQ(settled_picture(g).px, full.px);
  // Each label's text: the picture with the text blanked.
  std::vector<std::string> texts(labels, labels + 6);
  texts.push_back("Talvik presents ...");
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    Label* l = find_label(&root, text);
    Rect r = content_rect(l);
    l->text = "";
    Picture blank = settled_picture(g);
    l->text = text;
    EXPECT_GT(changed(full, blank, r), r.w * r.h / 20);
  }
  ASSERT_EQ(settled_picture(g).px, full.px);
  Label* version = find_label(&root, game_version());
  ASSERT_NE(version, nullptr);
  Rect vr = content_rect(version);
  EXPECT_NEAR(vr.x + vr.w / 2, 320, 1);
  EXPECT_GE(vr.y, 620);
  EXPECT_LE(vr.y, 625);
  version->text = "";
  Picture no_version = settled_picture(g);
  version->text = game_version();
  EXPECT_GT(changed(full, no_version, vr), 10);
  // Nothing else changed with it.
  EXPECT_EQ(changed(full, no_version, Rect{g_view.x0, g_view.y0, g_view.w, 600}), 0);
}

