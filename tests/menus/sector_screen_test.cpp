// The campaign's sector screen through the game's headless entry: the map
// of a fresh profile, selecting and starting levels with the pointer and
// the keys, what wins open, locked levels and broken level files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/audio.h"
#include "driver/driver.h"
#include "game/headless.h"
#include "gfx/transition.h"
#include "menus/lev_map.h"
#include "menus/lev_scroller.h"
#include "menus/menus.h"
#include "menus/menus_main.h"
#include "menus/level_panel.h"
#include "menus/menus_play.h"
#include "menus_fixture.h"
#include "util/encode.h"

using namespace menus_test;

namespace {

struct SectorScreen : MenusGame {
  void SetUp() override {
    MenusGame::SetUp();
    game_hooks.register_menu_states = register_menu_states;  // with the real intro
  }
  // Enters the sector screen and lets the map glide to its sector.
  void enter() {
    g->transition(TRANS_ZOOM, STATE_MENUS_PLAY);
    glide();
  }
  void glide() { game_headless_run(60); }
  Container& root() { return current()->root; }
  LevScroller* scroller() { return static_cast<LevScroller*>(root().find("levscroller")); }
  Widget* icon(int n) { return root().find(std::to_string(n)); }
  std::string panel_text() {
    Widget* text = root().find("cur_text");
    return text ? first_label(text) : "";
  }
  static std::string first_label(Widget* w) {
    if (Label* l = dynamic_cast<Label*>(w)) return l->text;
    if (Container* c = dynamic_cast<Container*>(w))
      for (Widget* k : c->children) {
        std::string s = first_label(k);
        if (!s.empty()) return s;
      }
    return "";
  }
  void pointer(int type, Widget* w) {
    int x, y;
    centre(w, &x, &y);
    Event e(type);
    e[EVW_X] = x;
    e[EVW_Y] = y;
    e[EVW_BUTTON] = type == EVT_MOTION ? 0 : 1;
    game_headless_event(e);
  }
  bool played(const std::string& name) {
    for (const std::string& s : sounds())
      if (s == name) return true;
    return false;
  }
  static std::string all_text(Widget* w) {
    std::string s;
    if (Label* l = dynamic_cast<Label*>(w)) s = l->text + "|";
    if (Container* c = dynamic_cast<Container*>(w))
      for (Widget* k : c->children) s += all_text(k);
    return s;
  }
  struct Rect {
    float x, y, w, h;
    bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
  };
  static Rect rect(Widget* w) {
    Rect r{0, 0, 0, 0};
    if (w) {
      w->abs_pos(&r.x, &r.y);
      r.w = w->w;
      r.h = w->h;
    }
    return r;
  }
  // The label of the title row (the panel's second row).
  std::string title_row() {
    Table* panel = dynamic_cast<Table*>(root().find("cur_level"));
    return panel && panel->children.size() > 1 ? first_label(panel->children[1]) : "";
  }
};

}  // namespace

TEST_F(SectorScreen, FreshProfilePicksAndStartsALevelWithPointerAndKeys) {
  start();
  settle();
  click("Play");  // the intro movie, skipped with a key
  settle();
  ASSERT_EQ(g->state, STATE_MOVIE_INTRO);
  key(GK_SPACE);
  glide();
  ASSERT_EQ(g->state, STATE_MENUS_PLAY);
  EXPECT_EQ(g->return_menu, STATE_MENUS_PLAY);

  // Sector 1 is open with its three levels; the rest is closed.
  EXPECT_EQ(g->progress.max_sector, 1);
  EXPECT_EQ(g->progress.current_level, 1);
  for (int n : {1, 2, 3}) EXPECT_NE(icon(n), nullptr) << n;
  for (int n : {4, 6, 24}) EXPECT_EQ(icon(n), nullptr) << n;
  LevScroller* s = scroller();
  ASSERT_NE(s, nullptr);
  LevMap* map = static_cast<LevMap*>(s->content->find("levmap"));
  EXPECT_EQ(map->max_sector, 1);
  // The map glided in from the top, with its sound, and sector 1 glows.
  EXPECT_EQ(s->settled, 1);
  EXPECT_EQ(s->scroll_y, static_cast<int>(8 * s->chunk_h));
  EXPECT_EQ(map->focus_sector, 1);
  EXPECT_GT(map->glow[1], 0.9f);
  EXPECT_LT(map->glow[1], 1.0f);
  EXPECT_TRUE(played("map-scroll"));
  // The first level is selected, with its panel.
  EXPECT_TRUE(icon(1)->selected);
  EXPECT_EQ(focused(), icon(1));
  EXPECT_EQ(title_row(), "First Steps");
  EXPECT_NE(panel_text().find(' '), std::string::npos);  // the intro

  // The wheel and the up arrow cannot go past the highest open sector.
  Event wheel(EVT_WHEEL);
  wheel[EVW_WHEEL] = -1;
  game_headless_event(wheel);
  click(root().children[2]);  // the up arrow
  EXPECT_TRUE(played("gui-down"));
  game_headless_run(1);
  EXPECT_EQ(s->sector, 1);
  EXPECT_EQ(s->settled, 1);

  // Pressing on another icon of the scrolled map selects it only on release.
  sounds();
  pointer(EVT_MOTION, icon(2));
  pointer(EVT_DOWN, icon(2));
  EXPECT_EQ(g->progress.current_level, 1);
  pointer(EVT_UP, icon(2));
  EXPECT_EQ(g->progress.current_level, 2);
  EXPECT_TRUE(played("map-select"));
  EXPECT_EQ(title_row(), "Drip Line");
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);

  // The keys: the focus moves to the nearest icon and selects it at once.
  key(GK_LEFT);
  EXPECT_EQ(s->get_value_i(), 3);
  EXPECT_EQ(title_row(), "Lantern Row");

  // An achievement's text while the pointer is on its icon.
  Widget* ach = root().find("cur_level");
  std::vector<Widget*> focusable;
  ach->collect_focusable(&focusable);
  ASSERT_GE(focusable.size(), 3u);
  pointer(EVT_MOTION, focusable[0]);
  EXPECT_EQ(panel_text(), "Untouchable - Finish the level without dying once. <LOCKED>");
  pointer(EVT_MOTION, icon(1));
  EXPECT_EQ(panel_text().find("Untouchable"), std::string::npos);

  // Return on the selected icon starts the level.
  key(GK_RETURN);
  EXPECT_EQ(g->state, STATE_PLAY_INTRO);
  EXPECT_STREQ(g->current_level_id, "level03.map");
  EXPECT_STREQ(g->map_id, "level03.map");
  EXPECT_EQ(g->return_menu, STATE_MENUS_PLAY);
}

TEST_F(SectorScreen, WinsOpenSectorsLocksHoldAndBrokenFilesFailCleanly) {
  start();
  Progress& p = g->progress;
  // A first win moves the selection on to the next level to play.
  p.levels[1].plays = 1;
  p.levels[1].best_carts = 3;
  p.levels[1].best_crystal_pct = 100;
  p.levels[1].history[0] = RunRecord{1, 6543, 3, 3, 1, 100, 0, 0};
  enter();
  EXPECT_EQ(p.current_level, 2);
  EXPECT_EQ(p.max_sector, 1);
  EXPECT_TRUE(icon(2)->selected);

  // The won level shows its last run, and its own text below.
  click(icon(1));
  ASSERT_EQ(p.current_level, 1);
  EXPECT_NE(find_label(&root(), "1:05.43 "), nullptr);
  EXPECT_NE(all_text(root().find("cur_text")).find("The old service"), std::string::npos);
  EXPECT_NE(find_label(&root(), "x  3"), nullptr);
  EXPECT_NE(find_label(&root(), "  100%"), nullptr);

  // Winning all of sector 1 opens sector 2 and its locked level.
  settle();
  p.levels[2].plays = p.levels[3].plays = 1;
  p.levels[2].best_carts = 1;
  g->transition(TRANS_FADE, STATE_MENUS_PLAY);
  glide();
  EXPECT_EQ(p.max_sector, 2);
  EXPECT_EQ(p.current_sector, 2);
  for (int n : {4, 5, 6}) ASSERT_NE(icon(n), nullptr) << n;
  EXPECT_EQ(icon(7), nullptr);
  EXPECT_EQ(scroller()->sector, 2);

  // The locked level: its message, "Locked", and Play does nothing.
  click(icon(6));
  ASSERT_EQ(p.current_level, 6);
  EXPECT_EQ(panel_text(), "This area is locked.  You have collected 0 / 3 cartridges needed to unlock this area.");
  EXPECT_EQ(find_button(&root(), "Play"), nullptr);
  sounds();
  click("Locked");
  EXPECT_TRUE(played("map-locked"));
  click(icon(6));
  EXPECT_FALSE(transition_running());

  // A number that no record in use carries leaves the map's aim alone.
  scroller()->set_value_i(40);
  EXPECT_EQ(scroller()->sector, 2);

  // The leaderboard of a level: the digest of its map and the player's id.
  click(icon(5));
  ASSERT_EQ(p.current_level, 5);
  click("Leaderboard");
  std::string lid = md5_hex(data_read("level05.map"));
  std::string page = g_driver->last_weblink;
  EXPECT_NE(page.find("/tunnelwick/scores.php?lid=" + lid + "&uid=" + url_escape(g->settings.uid)),
            std::string::npos)
      << page;
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);

  // A level whose file is missing: its own title, the empty intro, and
  // neither Play nor the leaderboard go anywhere.
  std::strcpy(p.levels[4].name, "no-such-level");
  g_driver->last_weblink.clear();
  ::testing::internal::CaptureStderr();
  click(icon(4));
  click("Leaderboard");
  click("Play");
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(title_row(), "Pump Station");
  EXPECT_EQ(panel_text(), "Prepare yourself.");
  EXPECT_TRUE(g_driver->last_weblink.empty());
  EXPECT_NE(log.find("m:leaderboard: cannot read no-such-level.map"), std::string::npos) << log;
  EXPECT_EQ(g->state, STATE_MENUS_PLAY);

  // Developer keys only with the debug setting on and Ctrl held.
  key(GK_A + ('w' - 'a'), 0x40);
  EXPECT_EQ(p.max_sector, 2);
  g->settings.debug = 1;
  key(GK_A + ('r' - 'a'), 0x40);
  EXPECT_EQ(p.max_sector, 1);
  EXPECT_EQ(p.levels[1].plays, 0);
  EXPECT_EQ(p.levels[1].history[0].valid, 0);
  EXPECT_EQ(icon(4), nullptr);
  key(GK_A + ('w' - 'a'), 0x40);
  EXPECT_EQ(p.max_sector, 8);
  EXPECT_EQ(p.levels[24].plays, 1);
  EXPECT_EQ(g->state, STATE_MOVIE_OUTRO);

  // Escape goes back to the main menu.
  settle();
  g->transition(TRANS_ZOOM, STATE_MENUS_PLAY);
  settle();
  sounds();
  key(GK_ESCAPE);
  EXPECT_EQ(g->state, STATE_MENUS_MAIN);
  EXPECT_EQ(g_transition.type, TRANS_BZOOM);
}

// Whatever the level is (never won, won once or often, locked, with or
// without cartridges and crystals, a long title), the panel keeps one
// layout: Play and Leaderboard stay where a click aimed at them lands, the
// text area keeps its place and is never an empty block, and the panel
// stays clear of the back button.
TEST_F(SectorScreen, ThePanelKeepsOneLayoutForEveryLevel) {
  start();
  Progress& p = g->progress;
  p.max_sector = 8;
  enter();
  auto* screen = static_cast<MenusPlay*>(current());
  Rect back = rect(find_button(&root(), "Main Menu"));
  std::vector<Rect> first;
  int shown = 0;
  for (int n = 1; n < PROGRESS_LEVELS; n++) {
    LevelInfo& l = p.levels[n];
    if (!l.in_use) continue;
    int kind = n % 6;
    l.plays = kind == 1 || kind == 3 || kind == 5 ? kind : 0;
    for (int i = 0; i < LEVEL_HISTORY; i++) l.history[i] = RunRecord{i < l.plays, 100 * n + i, i, 0, 0, 0, 0, 0};
    if (kind == 2) l.total_carts = 0;
    if (kind == 3) l.has_jewels = 0;
    if (kind == 4) {
      l.has_lock = 1;
      l.unlocked = 0;
    }
    if (kind == 5) {  // a map that does not load shows the record's title
      std::memset(l.title, 'W', sizeof l.title);
      std::strcpy(l.name, "no-such-level");
    }
    p.current_level = n;
    p.current_sector = l.sector;
    screen->level_panel();
    root().measure();
    Widget* button = find_button(&root(), level_locked(l) ? "Locked" : "Play");
    ASSERT_NE(button, nullptr) << n;
    Widget* area = root().find("cur_text");
    // Play (or Locked), Leaderboard and the text area where the first level had them.
    std::vector<Rect> layout = {rect(button), rect(find_button(&root(), "Leaderboard")), rect(area)};
    if (shown++ == 0) first = layout;
    EXPECT_EQ(layout, first) << n;
    // The panel's frame ends above the back button.
    Rect frame = rect(root().find("cur_level")->parent);
    EXPECT_LE(frame.y + frame.h, back.y) << n;
    EXPECT_LE(rect(root().find("cur_level")).w, 240) << n;
    // Fewer than three runs leave room for the level's own text.
    std::string words = all_text(area);
    if (l.plays > 0 && l.plays < 3) {
      std::string intro = level_intro_text(g);
      EXPECT_NE(words.find(intro.substr(0, intro.find(' '))), std::string::npos) << n << ": " << words;
    }
    EXPECT_EQ(words.find("||"), std::string::npos) << n;
    EXPECT_FALSE(words.empty()) << n;
  }
  EXPECT_GT(shown, 20);
}
