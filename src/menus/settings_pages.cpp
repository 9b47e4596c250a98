// The settings screen's widget tree: the tab row, the back button and the
// four pages. Every page reads its values from the Game when it is built.
#include <SDL/SDL.h>

#include <cstdio>

#include "game/game.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "menus/menus.h"
#include "menus/menus_settings.h"
#include "ui/binding_cells.h"
#include "ui/ui.h"

namespace {

// Up to this many choices in the resolution picker.
const int MAX_RESOLUTIONS = 20;
const int MIN_SIDE = 320;

struct Size {
  int w, h;
};
const Size FIXED_SIZES[] = {{320, 320},  {480, 320}, {640, 640},  {960, 640},  {1024, 768},
                            {768, 1024}, {960, 540}, {1280, 720}, {1920, 1080}};

int font2() { return font_load("font2"); }

Box* boxed(Widget* w) { return new Box(w); }

Box* label_box(const char* text) { return boxed(new MyLabel(font2(), text)); }

Box* spaced_label(const char* text, int top, int right, int bottom, int left) {
  Box* b = label_box(text);
  b->st4(SW_MARGIN, top, right, bottom, left);
  b->restyle();
  return b;
}

int resolution_value(int w, int h) { return (w << 16) | h; }

void add_resolution(GridPicker* p, int w, int h) {
  char text[32];
  std::snprintf(text, sizeof text, "%dx%d", w, h);
  p->add_choice(text, resolution_value(w, h));
}

}  // namespace

void settings_resolution_choices(GridPicker* p, const std::vector<std::pair<int, int>>& listed) {
  p->add_choice("Auto", -1);
  for (const Size& s : FIXED_SIZES) add_resolution(p, s.w, s.h);
  int count = 1 + static_cast<int>(sizeof FIXED_SIZES / sizeof FIXED_SIZES[0]);
  for (const auto& m : listed) {
    if (count >= MAX_RESOLUTIONS) break;
    if (m.first < MIN_SIDE || m.second < MIN_SIDE) continue;
    bool fixed = false;
    for (const Size& s : FIXED_SIZES) fixed = fixed || (s.w == m.first && s.h == m.second);
    if (fixed) continue;
    add_resolution(p, m.first, m.second);
    count++;
  }
}

std::vector<std::pair<int, int>> settings_listed_modes() {
  std::vector<std::pair<int, int>> out;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return out;
  SDL_Rect** modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_OPENGL);
  // Null: no mode at all; -1: any size will do, so there is nothing to list.
  if (!modes || modes == reinterpret_cast<SDL_Rect**>(-1)) return out;
  for (int i = 0; modes[i]; i++) out.emplace_back(modes[i]->w, modes[i]->h);
  return out;
}

void MenusSettings::build_tabs(int tab) {
  settings_tab = tab;
  MenuScreen::init();  // an empty root with the background, then build()
}

void MenusSettings::build() {
  const int tab = settings_tab;
  font_load("font1");
  font_load("font2");
  font_load("font3");

  Table* page = nullptr;
  switch (tab) {
    case PAGE_CONTROLS: page = page_controls(); break;
    case PAGE_AUDIO: page = page_audio(); break;
    case PAGE_VIDEO: page = page_video(); break;
    case PAGE_OPTIONS: page = page_options(); break;
    default: break;
  }
  Box* page_box = new Box(page);
  page_box->name = SETTINGS_PAGE_NAME;

  struct TabDef {
    const char* text;
    int page;
    const char* icon;
  };
  static const TabDef tabs[] = {{"Controls", PAGE_CONTROLS, "icon-controls"},
                                {"Options", PAGE_OPTIONS, "icon-account"},
                                {"Audio", PAGE_AUDIO, "icon-audio"},
                                {"Video", PAGE_VIDEO, "icon-video"}};
  Table* tab_row = new Table;
  tab_row->new_row();
  for (const TabDef& t : tabs) {
    char name[16];
    std::snprintf(name, sizeof name, "tab-%d", t.page);
    tab_row->add(gui_menu_tab(t.text, name, t.icon, SETTINGS_ACT_TAB + t.page, t.page == tab));
  }

  Table* outer = new Table;
  Box* tab_box = new Box(tab_row);
  tab_box->st(SW_ALIGN, 0);
  tab_box->st(SW_VALIGN, -1);
  tab_box->st4(SW_MARGIN, 15, 0, 0, 0);
  tab_box->restyle();
  outer->new_row();
  outer->add(tab_box);
  tab_box->measure();
  page_box->st(SW_HEIGHT, static_cast<int>(480 - tab_box->h));
  page_box->restyle();
  outer->add_at(page_box, 0, 2, 1, 1);
  outer->st(SW_HEIGHT, 480);
  outer->restyle();

  Box* square = new Box(outer);
  square->st(SW_WIDTH, 480);
  square->st(SW_HEIGHT, 480);
  square->restyle();

  Table* frame = new Table;
  frame->new_row();
  frame->add(gui_menu_box(square, 50));
  frame->new_row();
  bool from_main = game->settings_return_state == STATE_MENUS_MAIN;
  Box* back_button = gui_back_button(from_main ? "Main Menu" : "Done", SETTINGS_ACT_BACK);
  back_button->name = SETTINGS_BACK_NAME;
  Box* back = new Box(back_button);
  back->st(SW_ALIGN, -1);
  back->restyle();
  frame->add(back);

  Box* view = new Box(frame);
  view->st(SW_WIDTH, 640);
  view->st(SW_HEIGHT, 640);
  view->restyle();
  root.add(view, 0, 0);

  char name[16];
  std::snprintf(name, sizeof name, "tab-%d", tab);
  if (Widget* w = root.find(name)) {
    std::fprintf(stderr, "focus on %s\n", name);
    select(w);  // the tab's focus code is not acted on: this is its page
  }
}

Table* MenusSettings::page_controls() {
  const Settings& s = game->settings;
  Table* t = new Table;
  t->new_row();
  t->add(new Widget);
  t->add(spaced_label("Keyboard", 10, 0, 10, 0));
  t->add(spaced_label("Gamepad", 10, 0, 10, 0));

  struct Row {
    const char* label;
    const char* key;   // keyboard cell, or null for an empty cell
    int key_action;
    const char* joy;   // gamepad cell, or null for none
  };
  static const Row rows[] = {
      {"Up:", "keys_up", ACT_UP, nullptr},
      {"Left:", "keys_left", ACT_LEFT, nullptr},
      {"Down:", "keys_down", ACT_DOWN, nullptr},
      {"Right:", "keys_right", ACT_RIGHT, nullptr},
      {"Flashlight:", "keys_battery", ACT_BATTERY, "joys_battery"},
      {"Bombs:", "keys_bomb", ACT_BOMB, "joys_bomb"},
      {"Mini-Map:", "keys_minimap", ACT_MINIMAP, "joys_minimap"},
      {"Escape:", nullptr, ACT_ESCAPE, "joys_escape"},
  };
  for (const Row& r : rows) {
    t->new_row();
    Box* label = label_box(r.label);
    label->st(SW_WIDTH, 128);
    label->restyle();
    t->add(label);
    if (r.key)
      t->add(gui_key_code(r.key, s.keys[r.key_action]));
    else
      t->add(new Widget);
    if (r.joy) t->add(gui_joy_code(r.joy, s.joys[r.key_action]));
  }
  return t;
}

Table* MenusSettings::page_audio() {
  const Settings& s = game->settings;
  Table* t = new Table;
  t->new_row();
  t->add(spaced_label("Music:", 10, 10, 10, 10));
  t->add(gui_num_slider("music", s.music));
  t->new_row();
  t->add(spaced_label("Sound Effects:", 10, 10, 10, 10));
  NumSlider* sfx = gui_num_slider("sfx", s.sfx);
  sfx->up_code = SETTINGS_ACT_SFX;
  t->add(sfx);
  return t;
}

Table* MenusSettings::page_video() {
  const LocalSettings& l = game->lsettings;
  Table* t = new Table;
  auto row = [t](Widget* w) {
    t->new_row();
    t->add(boxed(w));
  };
  int f = font2();
  row(new MyLabel(f, "Mode"));
  GridPicker* full = gui_grid_picker("vfull", l.vfull, 2);
  full->add_choice("Fullscreen", 1);
  full->add_choice("Windowed", -1);
  row(full);
  row(new MyLabel(f, " "));
  row(new MyLabel(f, "Resolution"));
  GridPicker* res = gui_grid_picker("vres", l.vres, 4);
  settings_resolution_choices(res, settings_listed_modes());
  row(res);
  // Wrapped within the page, as the account note is: one long line would
  // widen the page's frame past the view.
  MyLabel* note = new MyLabel(f, video_refused ? "That video mode could not be set; the previous one is back."
                                               : " ");
  note->st(SW_WIDTH, 426);
  note->st(SW_ALIGN, 0);
  note->restyle();
  row(note);
  if (video_refused) row(new MyLabel(f, " "));  // the note takes the blank line's place
  row(new MyLabel(f, "VSYNC @ 60 FPS"));
  row(gui_toggle("vsync", l.vsync));
  return t;
}

Table* MenusSettings::page_options() {
  const Settings& s = game->settings;
  int f = font2();
  Table* t = new Table;

  Table* toggles = new Table;
  struct Option {
    const char* label;
    const char* key;
    int value;
  };
  const Option options[] = {{"\"Tobias Fenn\" Mode", "vfenn", s.vfenn},
                            {"In-Game HUD", "game_hud", s.game_hud},
                            {"In-Game Timer", "game_timer", s.game_timer},
                            {"In-Game Hints", "game_hints", s.game_hints}};
  for (const Option& o : options) {
    toggles->new_row();
    toggles->add(label_box(o.label));
    toggles->add(boxed(gui_toggle(o.key, o.value)));
  }
  t->new_row();
  t->add(boxed(toggles));
  t->new_row();
  t->add(new MyLabel(f, " "));

  MyLabel* note = new MyLabel(f, "You may sign in using your BRINDLENET account.");
  note->st(SW_WIDTH, 426);
  note->st(SW_ALIGN, 0);
  note->restyle();
  t->new_row();
  t->add(boxed(note));
  t->new_row();
  t->add(new MyLabel(f, " "));

  Table* account = new Table;
  TextInput* name = gui_text_input("name", s.name, 63);
  TextInput* passwd = gui_text_input("passwd", s.passwd, 63);
  passwd->password = 1;
  for (TextInput* in : {name, passwd}) {
    in->st(SW_WIDTH, 213);
    in->restyle();
  }
  account->new_row();
  account->add(label_box("Username "));
  account->add(boxed(name));
  account->new_row();
  account->add(label_box("Password "));
  account->add(boxed(passwd));
  name->tab_target = "passwd";
  passwd->tab_target = "name";
  t->new_row();
  t->add(boxed(account));
  t->new_row();
  t->add(new MyLabel(f, " "));

  int f15 = font_load("font15");
  Table* buttons = new Table;
  buttons->new_row();
  buttons->add(gui_button(new MyLabel(f15, "New Account"), SETTINGS_ACT_NEW_ACCOUNT, 160));
  buttons->add(gui_button(new MyLabel(f15, "Sign In"), SETTINGS_ACT_SIGN_IN, 160));
  t->new_row();
  t->add(boxed(buttons));
  return t;
}
