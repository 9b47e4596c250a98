// Lays out a community page the service sent: search row, entries, corner icons, back button.
#include "menus/community_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gfx/gfx.h"
#include "gfx/text.h"
#include "menus/menu_screen.h"
#include "ui/looks.h"
#include "ui/ui.h"

namespace {

// Measures of the layout, in view units.
enum {
  FRAME_SIDE = 2,           // the dialog frame's border and padding
  TEXT_CLEAR = 6,           // text kept clear of the frame's rounded ends
  LEVEL_TEXT_W = 154,       // a shared map's title and author column
  LEVEL_LEADERBOARD_W = 120,
  LEVEL_MORE_W = 59,
  TAB_ROW_GAP = 6,          // above and below a row of tabs
  RATING_LABEL_GAP = 10,    // between a rating's label and its stars
};

// Cuts the text to at most max bytes without splitting a UTF-8 character.
std::string cut_utf8(std::string s, size_t max) {
  if (s.size() <= max) return s;
  size_t n = max;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xc0) == 0x80) n--;
  s.resize(n);
  return s;
}

// A focusable widget that answers its code, with the button sounds.
template <class W>
W* clickable(W* w, int code) {
  w->focusable = 1;
  w->click_code = code;
  look_sounds(w, SOUNDS_BUTTON);
  w->restyle();
  return w;
}

// A label in the dialog frame; a fixed width cuts its text to fit.
Box* framed_label(int font, const std::string& text, int width, bool fixed, int code) {
  const float room = width - 2.0f * (FRAME_SIDE + TEXT_CLEAR);
  MyLabel* l = new MyLabel(font, fixed && width > 0 ? text_fit(font, text, room) : text);
  l->st(SW_MARGIN + 1, TEXT_CLEAR);
  l->st(SW_MARGIN + 3, TEXT_CLEAR);
  l->restyle();
  Box* b = new Box(l);
  if (width > 0) b->st(SW_WIDTH, width);
  if (fixed) b->st(SW_FIXED, 1);
  gui_style_dialog(b);
  return clickable(b, code);
}

Widget* plain(int w, int h) {
  Widget* p = new Widget;
  if (w >= 0) p->st(SW_WIDTH, w);
  p->st(SW_HEIGHT, h);
  p->restyle();
  return p;
}

Widget* stars(float value, const char* image) {
  Stars* s = new Stars(value, gfx_img_load(image), 20);
  s->focusable = 0;
  s->st(SW_FRAME_IMG, 0);  // the frame is the look of a rating to give
  s->restyle();
  Box* b = new Box(s);
  b->no_input = 1;
  return b;
}

// A text of a shared map's play row: left in a column of LEVEL_TEXT_W.
Box* level_text(int font, const std::string& text) {
  Box* b = new Box(new MyLabel(font, text_fit(font, text, LEVEL_TEXT_W)));
  b->st(SW_WIDTH, LEVEL_TEXT_W);
  b->st(SW_FIXED, 1);
  b->st(SW_ALIGN, -1);
  b->st(SW_MARGIN + 3, 5);
  b->restyle();
  return b;
}

// A shared map: the play row (title over author, and the rating),
// "Leaderboard" and "More", together no wider than the list.
Widget* level_entry(const var& e, int i) {
  Table* play = new Table;
  Widget* pic = plain(28, 28);
  pic->st(SW_ICON_IMG, gfx_img_load("icon-play"));
  pic->restyle();
  Box* pic_box = new Box(pic);
  pic_box->st(SW_MARGIN + 3, 4);
  pic_box->restyle();
  play->add_at(pic_box, 0, 0, 1, 2);
  play->add_at(level_text(font_load("font2"), community_text(e, "title")), 1, 0, 1, 1);

  // The player's own rating when there is one, else the map's.
  double own = community_number(e, "u_stars", 0, 5);
  Widget* rating = static_cast<int>(own) != 0 ? stars(static_cast<float>(own), "stars")
                                              : stars(static_cast<float>(community_number(e, "stars", 0, 5)), "u_stars");
  rating->st(SW_MARGIN + 1, TEXT_CLEAR);  // clear of the frame's rounded end
  rating->restyle();
  play->add_at(rating, 2, 0, 1, 2);

  // The author in the lighter small face, under the title.
  Box* author = level_text(font_load("font15"), community_text(e, "uname"));
  author->no_input = 1;
  play->add_at(author, 1, 1, 1, 1);
  gui_style_dialog(play);
  clickable(play, COMMUNITY_ACT_ENTRY_PLAY + i);

  Table* row = new Table;
  row->add(play);
  row->add(framed_label(font_load("font15"), "Leaderboard", LEVEL_LEADERBOARD_W, false,
                        COMMUNITY_ACT_ENTRY_LEADERBOARD + i));
  row->add(framed_label(font_load("font15"), "More", LEVEL_MORE_W, false, COMMUNITY_ACT_ENTRY_MORE + i));
  return row;
}

// A rating on a row of its own, named by the label before it.
Widget* rating_row(const char* label, float value, const char* image) {
  Box* name = new Box(new MyLabel(font_load("font2"), label));
  name->st(SW_MARGIN + 1, RATING_LABEL_GAP);
  name->restyle();
  Table* t = new Table;
  t->add(name);
  t->add(stars(value, image));
  return new Box(t);
}

// The widget of one entry, or null for a type that builds none.
Widget* entry_widget(const var& e, const std::string& type, int i) {
  if (type == "level") return level_entry(e, i);
  if (type == "title") {
    MyLabel* l = new MyLabel(font_load("font1"), community_text(e, "text"));
    l->st(SW_WIDTH, 360);  // a long heading wraps inside its box
    l->st(SW_ALIGN, 0);
    l->restyle();
    Box* inner = new Box(l);
    inner->st(SW_WIDTH, 360);
    inner->st(SW_FIXED, 1);
    inner->restyle();
    return new Box(inner);
  }
  if (type == "break") return plain(10, 10);
  if (type == "text") {
    MyLabel* l = new MyLabel(font_load("font2"), community_text(e, "text"));
    l->st(SW_WIDTH, 460);
    l->st(SW_ALIGN, 0);
    l->restyle();
    return new Box(l);
  }
  if (type == "button")
    return framed_label(font_load("font15"), community_text(e, "text"), COMMUNITY_LIST_W, true, COMMUNITY_ACT_ENTRY + i);
  if (type == "image") {
    int img = gfx_img_load(community_text(e, "src").c_str());
    if (!img) return nullptr;
    Widget* pic = plain(static_cast<int>(community_number(e, "width", 0, COMMUNITY_LIST_W)),
                        static_cast<int>(community_number(e, "height", 0, COMMUNITY_LIST_W)));
    pic->st(SW_ICON_IMG, img);
    gui_style_dialog2(pic);
    return new Box(clickable(pic, COMMUNITY_ACT_ENTRY + i));
  }
  // The map's rating, and the player's own.
  if (type == "stars")
    return rating_row(COMMUNITY_RATING_TEXT, static_cast<float>(community_number(e, "value", 0, 5)), "u_stars");
  if (type == "u_stars")
    return rating_row(COMMUNITY_OWN_RATING_TEXT, static_cast<float>(community_number(e, "value", 0, 5)), "stars");
  return nullptr;
}

// Fills the entries table, which already hangs in the screen's tree: each
// row added is measured once, not again with every frame around it.
void fill_entries(Table* entries, const var& page, const std::string& query, CommunityForm form) {
  Table* tabs = nullptr;  // the open row of tabs
  size_t count = form == COMMUNITY_SHOWN ? std::min<size_t>(page.len(), COMMUNITY_MAX_ENTRIES) : 0;
  var_iter it = page.iter();
  var e;
  // Every entry takes an index, whatever it builds, so that each code names
  // the entry that built its widget.
  for (int i = 0; static_cast<size_t>(i) < count && it.next(e); i++) {
    std::string type = community_text(e, "type");
    if (type == "tab") {
      if (!tabs) {
        tabs = new Table;
        tabs->new_row();
        // Apart from the heading above and the rows below.
        tabs->st4(SW_MARGIN, TAB_ROW_GAP, 0, TAB_ROW_GAP, 0);
        tabs->restyle();
      }
      Box* tab = framed_label(font_load("font15"), community_text(e, "text"),
                              static_cast<int>(community_number(e, "width", 0, COMMUNITY_LIST_W)), true, COMMUNITY_ACT_ENTRY + i);
      tabs->add(tab);
      continue;
    }
    Widget* w = entry_widget(e, type, i);
    if (!w) continue;
    if (tabs) {
      entries->new_row();
      entries->add(new Box(tabs));
      tabs = nullptr;
    }
    entries->new_row();
    entries->add(w);
  }
  if (tabs) {
    entries->new_row();
    entries->add(tabs);
  }
  if (form != COMMUNITY_SHOWN) {
    bool failed = form == COMMUNITY_FAILED;
    entries->new_row();
    MyLabel* l = new MyLabel(font_load(failed ? "font2" : "font1"), failed ? COMMUNITY_FAILED_TEXT : "Loading data ...");
    if (failed) {
      l->st(SW_WIDTH, 360);  // clear of the corner icons
      l->st(SW_ALIGN, 0);
      l->restyle();
    }
    entries->add(new Box(l));
  } else if (query != "@default" && query != "@home") {
    entries->new_row();
    entries->add(framed_label(font_load("font2"), "Back to Home", 0, false, COMMUNITY_ACT_HOME));
  }
  entries->new_row();
  entries->add(plain(COMMUNITY_LIST_W, 1));
}

Widget* corner_icon(const char* image, int code) {
  Widget* w = plain(40, 40);
  w->st(SW_ICON_IMG, gfx_img_load(image));
  gui_style_dialog2(w);
  return clickable(w, code);
}

}  // namespace

const char* const COMMUNITY_RATING_TEXT = "Rating";
const char* const COMMUNITY_OWN_RATING_TEXT = "Your rating";
const char* const COMMUNITY_FAILED_TEXT = "The page could not be loaded. The restart icon tries again.";

var community_page_kept(const var& page) {
  static const char* const fields[] = {"type", "title", "uname", "u_stars", "stars", "id",
                                       "text", "action", "value", "width", "height", "src"};
  var kept = var::new_list();
  size_t count = page.len();
  if (count > COMMUNITY_MAX_ENTRIES) {
    std::fprintf(stderr, "community: %zu entries of the page dropped\n", count - COMMUNITY_MAX_ENTRIES);
    count = COMMUNITY_MAX_ENTRIES;
  }
  var_iter it = page.iter();
  var e;
  for (size_t i = 0; i < count && it.next(e); i++) {
    if (!e.is_dict()) {
      kept.append(var());
      continue;
    }
    var k = var::new_dict();
    for (const char* f : fields) {
      var v = e[f];
      // Lists and dicts read as none wherever a field is read.
      if (v.is_string()) k.set(f, cut_utf8(v.str(), COMMUNITY_TEXT_MAX));
      else if (v.is_number()) k.set(f, v);
    }
    kept.append(k);
  }
  return kept;
}

std::string community_text(const var& entry, const char* field) {
  if (!entry.is_dict()) return std::string();
  var v = entry[field];
  if (v.is_list() || v.is_dict()) return std::string();
  return cut_utf8(var_str(v), COMMUNITY_TEXT_MAX);
}

double community_number(const var& entry, const char* field, double lo, double hi) {
  if (!entry.is_dict()) return 0;
  double n = entry[field].num();
  if (!std::isfinite(n)) return 0;
  return n < lo ? lo : n > hi ? hi : n;
}

void community_build_page(Container& root, const var& page, const std::string& query,
                          const std::string& search_text, CommunityForm form) {
  font_load("font1");
  font_load("font15");
  font_load("font2");
  font_load("font3");

  Table* header = new Table;
  TextInput* search = gui_text_input("search", search_text.c_str(), COMMUNITY_SEARCH_SIZE - 1);
  search->st(SW_WIDTH, 256);
  search->return_code = COMMUNITY_ACT_SEARCH;
  search->restyle();
  Box* search_box = new Box(search);
  search_box->st(SW_HEIGHT, 40);
  search_box->st(SW_MARGIN + 1, -10);
  search_box->restyle();
  header->add(search_box);
  header->add(new Box(gui_button_small(new MyLabel(font_load("font15"), "Search"), COMMUNITY_ACT_SEARCH)));

  Table* outer = new Table;
  outer->new_row();
  outer->add(new Box(header));
  outer->new_row();
  outer->add(plain(-1, 20));

  Container* list = new Container;
  list->st4(SW_MARGIN, 10, 8, 10, 12);
  list->restyle();
  Table* entries = new Table;
  entries->st(SW_WIDTH, COMMUNITY_LIST_W);
  entries->restyle();
  list->add(entries, 0, 0);
  Widget* home = corner_icon("icon-home", COMMUNITY_ACT_HOME);
  home->name = "home";
  list->add(home, 0, 0);
  list->add(corner_icon("icon-restart", COMMUNITY_ACT_RESTART), 440, 0);

  outer->new_row();
  outer->add(new Box(gui_menu_box(new ScrollBox2(new ScrollBox(list, 500, 384)), 50)));
  outer->new_row();
  outer->add(plain(-1, 20));
  Box* back = new Box(gui_back_button("Main Menu", MENUS_ACT_BACK));
  back->st(SW_ALIGN, -1);
  back->restyle();
  outer->new_row();
  outer->add(back);
  outer->st(SW_WIDTH, 320);
  outer->st(SW_HEIGHT, 426);
  outer->restyle();

  Box* view = new Box(outer);
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  root.add(view, 0, 0);
  fill_entries(entries, page, query, form);
  root.measure();  // laid out whole once, as the screen comes up
  menus_select(root, "home");
}
