// Builds the drawing screen's tool icons and the tile picker, and loads each tile type's picture.
#include "editor/edit_icons.h"

#include "game/tile_info.h"
#include "gfx/gfx.h"

// The frame of icons and picker cells: hidden, half on hover, whole while
// selected.
static void hover_frame(Widget* w) {
  w->st(SW_TEXT_COLOR, 0xffffff);
  w->st(SW_FRAME_MODE, 2);
  w->st(SW_FRAME_IMG, gfx_img_load("dialog-box2"));
  w->st(STYLE_NORMAL, SW_FRAME_ALPHA, 0);
  w->st(STYLE_FOCUS, SW_FRAME_ALPHA, 0);
  w->st(STYLE_HOVER, SW_FRAME_ALPHA, 170);
  w->st(STYLE_HOVER_FOCUS, SW_FRAME_ALPHA, 170);
  w->st(STYLE_SELECTED, SW_FRAME_ALPHA, 255);
  w->focusable = 1;
}

EIcon* gui_tool_icon(const char* image, int action, const char* hint, const char* name) {
  EIcon* icon = new EIcon;
  icon->hint = hint;
  icon->st(SW_ICON_IMG, gfx_img_load(image));
  icon->click_code = action;
  icon->name = name;
  icon->st(SW_WIDTH, 40);
  icon->st(SW_HEIGHT, 40);
  icon->st4(SW_PAD, 5, 5, 5, 5);
  hover_frame(icon);
  icon->restyle();
  return icon;
}

int edit_tile_img(int type) {
  TileInfo& t = game_tiles[type & 0xff];
  if (t.img == 0) t.img = t.img_name[0] ? gfx_img_load(t.img_name) : 0;
  if (t.img == 0) t.img = -1;
  return t.img > 0 ? t.img : 0;
}

std::vector<int> edit_picker_tiles() {
  std::vector<int> out;
  for (int s = 0; s <= 100; s++)
    for (int t = 0; t < 256; t++) {
      const TileInfo& info = game_tiles[t];
      if (info.sortby == s && info.editor && edit_tile_img(t)) out.push_back(t);
    }
  return out;
}

Box* edit_picker_build(int current_tile) {
  Table* table = new Table;
  int k = 0;
  for (int t : edit_picker_tiles()) {
    if (k % PICK_COLUMNS == 0) table->new_row();
    Widget* c = new Widget;
    c->st(SW_WIDTH, 43);
    c->st(SW_HEIGHT, 43);
    c->st(SW_ICON_IMG, edit_tile_img(t));
    c->st4(SW_PAD, 3, 3, 3, 3);
    c->st4(SW_MARGIN, 2, 2, 2, 2);
    hover_frame(c);
    c->click_code = PICK_CLICK + t;
    c->enter_code = PICK_ENTER + t;
    c->leave_code = PICK_LEAVE;
    c->selected = t == current_tile;
    c->restyle();
    table->add(c);
    k++;
  }
  table->st4(SW_PAD, 5, 5, 5, 5);
  table->st(SW_BG_COLOR, 0);
  table->restyle();
  Box* box = new Box(table);
  box->st(SW_WIDTH, 640);
  box->st(SW_HEIGHT, 640);
  box->name = "picker";
  box->restyle();
  return box;
}
