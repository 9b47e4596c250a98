// The main menu in a real window as a player sees it: the column stays
// inside its 640-high frame, clear of the version line and the presenter
// line, and the focused button shows without the pointer over it.
#include <gtest/gtest.h>

#include <vector>

#include "driver/event.h"
#include "game/game.h"
#include "game/state.h"
#include "gfx/gfx.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "support/game_window.h"
#include "ui/ui.h"

namespace {

struct MainMenuFrame : WindowedGame {
  void install_hooks() override { game_hooks.register_menu_states = register_menu_states; }
  Picture paint() {
    g->paint_state();
    return grab();
  }
  // The picture without the menu frame's images.
  Picture without_frame(MenuBox* m) {
    int keep1 = m->img1, keep2 = m->img2;
    m->img1 = m->img2 = 0;
    Picture p = paint();
    m->img1 = keep1;
    m->img2 = keep2;
    return p;
  }
  // The picture with the widget's icon image see-through.
  Picture without_icon(Widget* w) {
    w->st(SW_ICON_ALPHA, 0);
    w->restyle();
    Picture p = paint();
    w->style.unset(STYLE_BASE, SW_ICON_ALPHA);
    w->restyle();
    return p;
  }
};

template <class T>
T* find_first(Widget* w, bool (*pick)(T*)) {
  if (T* t = dynamic_cast<T*>(w))
    if (pick(t)) return t;
  if (Container* c = dynamic_cast<Container*>(w))
    for (Widget* k : c->children)
      if (T* t = find_first<T>(k, pick)) return t;
  return nullptr;
}

Widget* focusable_around(Widget* w) {
  while (w && !w->focusable) w = w->parent;
  return w;
}

}  // namespace

TEST_F(MainMenuFrame, TheColumnFitsAndTheFocusShows) {
  game_frame(g, 15);
  ASSERT_FALSE(transition_running());
  ASSERT_EQ(g->state, STATE_MENUS_MAIN);
  Container& root = state_get(STATE_MENUS_MAIN)->root;
  Picture full = paint();
  ASSERT_GT(full.w, 0);

  // The menu frame: nothing of it in the version line's 20 rows.
  MenuBox* frame = find_first<MenuBox>(&root, [](MenuBox*) { return true; });
  ASSERT_NE(frame, nullptr);
  Picture no_frame = without_frame(frame);
  EXPECT_GT(changed(full, no_frame, 0, 0, 640, 620), 1000);
  EXPECT_EQ(changed(full, no_frame, 0, 620, 640, 20), 0);

  // The logo: nothing of it over the presenter line.
  static int logo_img;
  logo_img = gfx_img_load("logo");
  Widget* logo = find_first<Widget>(&root, [](Widget* w) { return w->sv(SW_ICON_IMG) == logo_img; });
  ASSERT_NE(logo, nullptr);
  Label* presenter = find_label(&root, "Talvik presents ...");
  ASSERT_NE(presenter, nullptr);
  float px, py;
  presenter->abs_pos(&px, &py);
  Picture no_logo = without_icon(logo);
  EXPECT_GT(changed(full, no_logo, 0, 0, 640, 640), 1000);
  EXPECT_EQ(changed(full, no_logo, px, py, presenter->w, presenter->h), 0);

  // Down moves the focus from "Play" to "Build", and "Build" lights up.
  Widget* build = focusable_around(find_label(&root, "Build"));
  ASSERT_NE(build, nullptr);
  float bx, by;
  build->abs_pos(&bx, &by);
  Event down(EVT_KEYDOWN);
  down[EVW_KEY] = GK_DOWN;
  g->event(down);
  game_frame(g, 30);  // the glow fades in
  ASSERT_TRUE(build->focused);
  ASSERT_FALSE(build->hovered);
  Picture focused = paint();
  EXPECT_GT(changed(full, focused, bx, by, build->w, build->h), build->w * build->h / 4);
}
