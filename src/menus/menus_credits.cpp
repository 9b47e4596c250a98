// Credits: the names and library notices rising up the screen until a key or click ends them.
#include "menus/menus_credits.h"

#include <algorithm>

#include "driver/audio.h"
#include "game/game.h"
#include "gfx/gfx.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "ui/ui.h"

// Each section: its heading, an empty line, its lines, three empty lines.
// The libraries are those the game is built with, each with its notice.
const char* const CREDITS_LINES[] = {
    "",
    "Tunnelwick",
    "A Stealth Game Under the Hills",
    "Copyright (c) Talvik. All rights reserved.",
    "", "", "", "", "", "",
    "Code", "",
    "Talvik",
    "", "", "",
    "Artwork", "",
    "Mira Oakhollow",
    "Jonas Veldtmaker",
    "Priya Stonebrook",
    "Elof Rainsford",
    "Talvik",
    "", "", "",
    "Sound Effects", "",
    "Hedda Lumm",
    "Cato Wrenfield",
    "Talvik",
    "", "", "",
    "Music", "",
    "Oskar Bellweather",
    "", "", "",
    "Testing", "",
    "Ruth Ambercombe",
    "Tobias Fenn",
    "Ines Marrow",
    "The players of the early builds",
    "", "", "",
    "Libraries", "",
    "SDL 1.2 - GNU LGPL 2.1 - Copyright (c) Sam Lantinga",
    "OpenGL through Mesa - MIT licence - Copyright (c) the Mesa authors",
    "GLEW - modified BSD licence - Copyright (c) Milan Ikits, Marcelo Magallon and others",
    "zlib - Copyright (c) Jean-loup Gailly and Mark Adler",
    "SQLite - public domain",
    "libvpx - BSD licence - Copyright (c) the WebM project authors",
    "stb_image - public domain - Sean Barrett",
    "DUMB - DUMB licence - Copyright (c) Ben Davis, Robert J Ohannessian and Julien Cugniere",
    "Ogg Vorbis - BSD licence - Copyright (c) Xiph.Org Foundation",
    "RapidJSON - MIT licence - Copyright (c) THL A29 Limited, a Tencent company, and Milo Yip",
    "libmd - BSD licence - Copyright (c) Guillem Jover and others",
    "", "", "",
    "Special Thanks", "",
    "Our families",
    "Everyone who sent a map",
    "The forum regulars",
    "The map makers of the forums",
    "You, for playing",
    "", "", "",
    "\n\n\n\n\n\n\n\n\n",
};
const int CREDITS_LINE_COUNT = static_cast<int>(sizeof CREDITS_LINES / sizeof CREDITS_LINES[0]);

namespace {
const int VIEW_H = 640;
const int COLUMN_W = 620;

Label* centred_line(int font, const char* text) {
  Label* l = new Label(font, text);
  l->st(SW_WIDTH, COLUMN_W);
  l->st(SW_ALIGN, 0);
  l->restyle();
  return l;
}
}  // namespace

void MenusCredits::init() {
  music_play(game->return_menu == STATE_MENUS_MAIN ? "mus-menus" : "mus-outro");
  tick_count = 0;
  root.reset();  // no menu background: the credits roll over black
  int font1 = font_load("font1");

  Table* t = new Table;
  for (int i = 0; i < CREDITS_LINE_COUNT; i++) {
    Box* b = new Box(centred_line(font1, CREDITS_LINES[i]));
    b->st4(SW_PAD, 10, 10, 10, 10);
    b->restyle();
    t->new_row();
    t->add(b);
  }
  Widget* logo = new Widget;
  logo->st(SW_WIDTH, 426);
  logo->st(SW_HEIGHT, 426);
  logo->st(SW_ICON_IMG, gfx_img_load("oldlogo"));
  logo->restyle();
  t->new_row();
  t->add(new Box(logo));
  Box* closing = new Box(centred_line(font1, "Be excellent to each other."));
  closing->st4(SW_PAD, 60, 0, 60, 0);
  closing->restyle();
  t->new_row();
  t->add(closing);

  Box* column = new Box(t);
  column->name = "credits";
  column->st(SW_WIDTH, 640);
  column->restyle();
  root.add(column, 0, VIEW_H);
}

void MenusCredits::loop() {
  root.loop();
  tick_count++;
  if (Widget* w = root.find("credits"))
    w->y = static_cast<float>(static_cast<int>(std::max(static_cast<float>(VIEW_H - tick_count),
                                                        VIEW_H - w->h)));
}

void MenusCredits::event(Event e) {
  root.event(&e);
  if (e.type() == EVT_KEYDOWN || e.type() == EVT_UP) game_switch(game, TRANS_ZOOM, STATE_MENUS_MAIN);
}
