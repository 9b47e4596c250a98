// Share dialog: checks the map may be shared, uploads it and marks the stored map as shared.
#include "editor/edit_share.h"

#include <cstring>
#include <memory>

#include "editor/edit_limits.h"
#include "editor/editor.h"
#include "game/game.h"
#include "game/levels_db.h"
#include "game/pack.h"
#include "gfx/text.h"
#include "gfx/transition.h"
#include "online/web_actions.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "ui/ui.h"
#include "util/db.h"

const char* const EDIT_SHARE_RULES =
    "Before sharing your map you MUST be able to win it and collect all the cartridges and jewels.  It is "
    "also recommended that you ensure the following are also possible:\n\n- Collect all Items\n- Kill no "
    "Enemies\n- Destroy all Technology\n- Collect and use all Keycards\n- Win without Dying\n\nPlease keep "
    "your maps and text family friendly!  By sharing a map you give the rights to use the map (in any way) "
    "to the creators of this game.";

static const char* const RESHARE_WARNING =
    "Warning!  Re-sharing this map will reset all scores and ratings.  Only re-share a map if you REALLY "
    "need to.";

// The long rules lie on the dark ground of a menu box, readable over the
// bright background; wrapped this wide, the dialog with all its rows fits
// the view inside that frame.
enum { WARNING_BG = 0xff5555, SHARE_GROUND_MARGIN = 40, SHARE_TEXT_W = 540 };

bool edit_may_share(Game* g) {
  edit_recount_limits(g);
  const LevelMap& m = g->level.map;
  return m.changes != 0 && m.win_changes >= m.changes && !m.over_limit;
}

void EditShare::build() {
  bool may = edit_may_share(game);
  int font2 = font_load("font2");
  Table* t = new Table;
  t->new_row();
  t->add(edit_title(game));
  if (may) {
    t->new_row();
    t->add(edit_centred_label(font2, "Are you sure you want to Share this Map?", SHARE_TEXT_W));
  }
  if (game->level.map.share_changes != 0) {
    Label* warning = new Label(font2, RESHARE_WARNING);
    warning->st(SW_WIDTH, SHARE_TEXT_W);
    warning->st(SW_ALIGN, 0);
    warning->st(SW_BG_COLOR, WARNING_BG);
    warning->st4(SW_PAD, 10, 10, 10, 10);
    warning->st4(SW_MARGIN, 5, 10, 5, 10);
    warning->restyle();
    // Boxed, the red block keeps its own width instead of the column's.
    t->new_row();
    t->add(new Box(warning));
  }
  Label* rules = edit_centred_label(font2, EDIT_SHARE_RULES, SHARE_TEXT_W);
  rules->st4(SW_MARGIN, 5, 10, 5, 10);
  rules->restyle();
  t->new_row();
  t->add(rules);
  t->new_row();
  t->add(edit_button("Play / Test", SHARE_ACT_PLAY));
  if (may) {
    t->new_row();
    t->add(edit_button("Share", SHARE_ACT_SHARE));
  }
  t->new_row();
  t->add(edit_button("Cancel", SHARE_ACT_CANCEL));
  t->st(SW_WIDTH, 320);
  t->st(SW_HEIGHT, 426);
  t->restyle();
  add_centred(gui_menu_box(t, SHARE_GROUND_MARGIN));
}

void EditShare::action(int code, const Event& e) {
  if (code == SHARE_ACT_PLAY) {
    edit_play_test(game);
  } else if (code == SHARE_ACT_SHARE) {
    if (edit_may_share(game)) edit_share_map(game);
  } else if (code == SHARE_ACT_CANCEL || (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE)) {
    game_switch(game, TRANS_FADE, STATE_EDIT_MENU);
  }
}

// The map as it goes out: marked as shared at its change count, and without
// the path of the player's own files.
static std::string packed_for_upload(Game* g) {
  LevelMap& m = g->level.map;
  char path[LEVEL_TEXT_SIZE];
  memcpy(path, m.text[LEVEL_TEXT_PATH], sizeof path);
  int32_t mark = m.share_changes;
  memset(m.text[LEVEL_TEXT_PATH], 0, LEVEL_TEXT_SIZE);
  m.share_changes = m.changes;
  std::string packed = game_pack_level(g);
  memcpy(m.text[LEVEL_TEXT_PATH], path, sizeof path);
  m.share_changes = mark;
  return packed;
}

void edit_share_map(Game* g) {
  // A map that cannot be stored is not sent: what the service would list
  // must be what the player's database holds.
  if (!edit_save(g)) {
    edit_show_error(g, "Error sharing map.", g->state);
    return;
  }
  std::string packed = packed_for_upload(g);
  const LevelMap& m = g->level.map;
  std::string id = g->current_level_id;
  int changes = m.changes;
  if (packed.empty()) {
    edit_share_ended(g, id, changes, WEB_END_FAILED);
    return;
  }
  WebRequest* r = web_ushare(g, id, game_text_get(m.text[LEVEL_TEXT_TITLE], LEVEL_TEXT_SIZE),
                             game_text_get(m.text[LEVEL_TEXT_INTRO], LEVEL_TEXT_SIZE),
                             packed);
  r->on_end = [id, changes](Game* game, int how) { edit_share_ended(game, id, changes, how); };
  game_switch(g, TRANS_FADE, STATE_EDIT_MENU);
}

// Puts the share mark into the stored map of that id, whatever map the
// Level holds now.
static void mark_stored(const std::string& id, int changes) {
  DBWrap& db = game_db(GAME_DB_USER);
  var rows = db_query(db, "select data from levels where id = ?", var(id));
  if (rows.len() == 0) {
    fprintf(stderr, "edit_share: map %s is gone, not marked as shared\n", id.c_str());
    return;
  }
  std::unique_ptr<Game> scratch(new Game());
  if (!game_unpack_level(scratch.get(), rows[0]["data"].str())) return;
  scratch->level.map.share_changes = changes;
  std::string packed = game_pack_level(scratch.get());
  if (!packed.empty()) db_query(db, "update levels set data = ? where id = ?", var_list(packed, id));
}

void edit_share_ended(Game* g, const std::string& id, int changes, int how) {
  if (how == WEB_END_OK) {
    mark_stored(id, changes);
    if (id == g->current_level_id) g->level.map.share_changes = changes;
    return;
  }
  fprintf(stderr, "edit_share: map %s was not shared\n", id.c_str());
  // The service's own error text is already shown.
  if (how == WEB_END_FAILED) web_message(g, "Error sharing map.");
}
