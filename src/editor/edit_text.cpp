// Title, intro and music form: copies what is typed or chosen into the map's text slots each frame.
#include "editor/edit_text.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "gfx/text.h"
#include "ui/ui.h"

namespace {
struct Page {
  int slot;
  const char* tab;
  const char* hint;
};
const Page PAGES[] = {
    {LEVEL_TEXT_TITLE, "Title", "Title of map as displayed to the player."},
    {LEVEL_TEXT_INTRO, "Intro", "Intro text is displayed just before playing."},
    {LEVEL_TEXT_MUSIC, "Music", "Select a music track for your map."},
};
}  // namespace

static void music_name(int n, char* out, size_t cap) { snprintf(out, cap, "mus-play%d", n); }

void EditText::init() {
  page = LEVEL_TEXT_TITLE;
  EditScreen::init();
}

void EditText::build_form(int p) {
  page = p;
  root.reset();
  root.add(gui_menu_background(), 0, 0);
  build();
}

void EditText::build() {
  int font1 = font_load("font1"), font2 = font_load("font2");
  Table* form = new Table;
  Table* tabs = new Table;
  const Page* current = nullptr;
  for (const Page& pg : PAGES) {
    int code = TEXT_ACT_PAGE + pg.slot;
    if (pg.slot == page) {
      tabs->add(gui_button_small(new MyLabel(font1, pg.tab), code));
      current = &pg;
    } else {
      tabs->add(gui_button(new MyLabel(font1, pg.tab), code, 128));
    }
  }
  form->new_row();
  form->add(new Box(tabs));

  char* slot = game->level.map.text[page & 7];
  Widget* editor;
  if (page == LEVEL_TEXT_MUSIC) {
    int chosen = 0;
    for (int n = 0; n <= EDIT_MUSIC_TRACKS; n++) {
      char name[16];
      music_name(n, name, sizeof name);
      if (strncmp(slot, name, LEVEL_TEXT_SIZE) == 0) chosen = n;
    }
    GridPicker* music = gui_grid_picker("music", chosen, EDIT_MUSIC_TRACKS + 1);
    for (int n = 0; n <= EDIT_MUSIC_TRACKS; n++) music->add_choice(std::to_string(n), n);
    music->st(SW_WIDTH, 440);
    music->up_code = 0;
    music->restyle();
    editor = music;
  } else {
    editor = edit_field("text", game_text_get(slot, LEVEL_TEXT_SIZE), 440);
  }
  Box* editor_box = new Box(editor);
  editor_box->st4(SW_MARGIN, 10, 10, 10, 10);
  editor_box->restyle();
  form->new_row();
  form->add(editor_box);
  if (current) {
    Box* hint = new Box(new MyLabel(font2, current->hint));
    hint->st(SW_MARGIN + 2, 10);
    hint->restyle();
    form->new_row();
    form->add(hint);
  }
  form->new_row();
  form->add(new Box(gui_button(new MyLabel(font1, "Done"), TEXT_ACT_DONE, 200)));
  form->st(SW_WIDTH, 640);
  form->restyle();
  add_centred(form);
}

void EditText::action(int code, const Event& e) {
  if (code & TEXT_ACT_PAGE) {
    build_form(code & 0xff);
    return;
  }
  if (code == TEXT_ACT_DONE || (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE)) {
    edit_open_menu(game);
  }
}

void EditText::loop() {
  root.loop();
  char* slot = game->level.map.text[page & 7];
  if (page == LEVEL_TEXT_MUSIC) {
    Widget* music = root.find("music");
    char name[16];
    music_name(music ? music->get_value_i() : 0, name, sizeof name);
    edit_text_to_slot(slot, name);
  } else if (Widget* text = root.find("text")) {
    edit_text_to_slot(slot, text->get_value_s());
  }
  level_music(game);
}
