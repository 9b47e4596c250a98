// Settings screen: copies widget values into the options each frame; applies or undoes video.
#include "menus/menus_settings.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/audio.h"
#include "driver/driver.h"
#include "game/game.h"
#include "game/identity.h"
#include "game/levels_db.h"
#include "game/video.h"
#include "gfx/transition.h"
#include "menus/menus.h"
#include "online/web_actions.h"
#include "online/web_config.h"
#include "ui/binding_cells.h"
#include "ui/ui.h"

// Whether the window shows the mode that the LocalSettings ask for. A mode
// SDL could not set leaves no video surface; a full screen it could not
// give leaves the driver's windowed fallback.
static bool video_shows(const LocalSettings& l) {
  if (!g_driver || !g_driver->sdl_up) return true;
  SDL_Surface* s = SDL_GetVideoSurface();
  if (!s || !(s->flags & SDL_OPENGL)) return false;
  if (l.vres > 0 && (s->w != ((l.vres >> 16) & 0xffff) || s->h != (l.vres & 0xffff))) return false;
  if (l.vfull == 1 && !g_driver->web_windowed && !(s->flags & SDL_FULLSCREEN)) return false;
  return true;
}

// game_video_init answers false when it had to fall back to another mode
// (LocalSettings then name the fallback) or could set none.
static bool video_apply(Game* g) {
  bool set = game_video_init(g);
  return set && video_shows(g->lsettings);
}

void MenusSettings::init() {
  if (game->settings_return_state == STATE_PLAY)
    level_music(game);
  else
    music_play("mus-menus");
  build_tabs(settings_tab);
}

// "1920x1080 full screen, vsync on", as the log names a mode.
static std::string mode_text(int res, int full, int sync) {
  char size[32] = "Auto";
  if (res > 0) std::snprintf(size, sizeof size, "%dx%d", (res >> 16) & 0xffff, res & 0xffff);
  return std::string(size) + (full == 1 ? " full screen" : " windowed") +
         (sync == 1 ? ", vsync on" : ", vsync off");
}

// Stores the new video value and re-creates the mode; when the window
// cannot show it, the old values come back and the old mode with them, so
// no later start tries the refused one again. Either way the screen is
// entered again, which rebuilds every widget: nothing found before this
// call may be used after it.
void MenusSettings::video_change(int32_t* field, int value) {
  LocalSettings& l = game->lsettings;
  const int old_res = l.vres, old_full = l.vfull, old_sync = l.vsync;
  *field = value;
  // Kept for the log: a refused mode leaves the fallback in the settings.
  const int want_res = l.vres, want_full = l.vfull, want_sync = l.vsync;
  video_refused = 0;
  if (!video_apply(game)) {
    std::fprintf(stderr, "settings: %s could not be set; back to %s\n",
                 mode_text(want_res, want_full, want_sync).c_str(),
                 mode_text(old_res, old_full, old_sync).c_str());
    l.vres = old_res;
    l.vfull = old_full;
    l.vsync = old_sync;
    video_refused = 1;
    if (!video_apply(game)) {
      // The old mode is gone too: the default window is the last resort.
      std::fprintf(stderr, "settings: old video mode refused too; default window\n");
      l.vres = -1;
      l.vfull = -1;
      video_apply(game);
    }
  }
  game->transition(TRANS_ZOOM, game->state);
}

namespace {
bool is_key_cell(const Widget* w) {
  return dynamic_cast<const WKeyCode*>(w) && !dynamic_cast<const WJoyCode*>(w);
}
}  // namespace

void MenusSettings::loop() {
  root.loop();
  Settings& s = game->settings;
  LocalSettings& l = game->lsettings;
  // Looked up afresh for every key: a video change rebuilds the tree.
  auto find = [this](const char* key) { return root.find(key); };

  if (Widget* w = find("name")) game_text_set(s.name, sizeof s.name, w->get_value_s().c_str());
  if (Widget* w = find("passwd")) game_text_set(s.passwd, sizeof s.passwd, w->get_value_s().c_str());

  struct IntKey {
    const char* key;
    int32_t* field;
  };
  const IntKey plain[] = {
      {"game_hud", &s.game_hud},         {"game_timer", &s.game_timer},
      {"game_hints", &s.game_hints},     {"keys_up", &s.keys[ACT_UP]},
      {"keys_left", &s.keys[ACT_LEFT]},  {"keys_down", &s.keys[ACT_DOWN]},
      {"keys_right", &s.keys[ACT_RIGHT]}, {"keys_battery", &s.keys[ACT_BATTERY]},
      {"keys_bomb", &s.keys[ACT_BOMB]},  {"keys_minimap", &s.keys[ACT_MINIMAP]},
  };
  for (const IntKey& k : plain)
    if (Widget* w = find(k.key)) *k.field = w->get_value_i();

  const IntKey joys[] = {{"joys_battery", &s.joys[ACT_BATTERY]},
                         {"joys_bomb", &s.joys[ACT_BOMB]},
                         {"joys_minimap", &s.joys[ACT_MINIMAP]},
                         {"joys_escape", &s.joys[ACT_ESCAPE]}};
  for (const IntKey& k : joys)
    if (Widget* w = find(k.key)) *k.field = w->get_value_i() | 0x100;

  // The music fader reads its volume on every step; the effects volume is
  // handed on here so that the very next sound is heard at it.
  if (Widget* w = find("music")) s.music = w->get_value_i();
  if (Widget* w = find("sfx")) {
    s.sfx = w->get_value_i();
    g_audio.sfx_volume = s.sfx;
  }

  if (Widget* w = find("vfull")) {
    int v = w->get_value_i();
    if (v != l.vfull) video_change(&l.vfull, v);
  }
  if (Widget* w = find("vres")) {
    int v = w->get_value_i();
    if (v != l.vres) video_change(&l.vres, v);
  }
  // Vertical sync is part of the mode: it takes effect when the mode is
  // made again.
  if (Widget* w = find("vsync")) {
    int v = w->get_value_i();
    if (v != l.vsync) video_change(&l.vsync, v);
  }
  if (Widget* w = find("vfenn")) s.vfenn = w->get_value_i();
}

void MenusSettings::event(Event e) {
  Widget* before = root.get_focus();
  // A keyboard cell that was clicked takes the next key whatever it is;
  // the arrows would otherwise move the focus before it saw them, and a
  // binding moved off an arrow could never be put back.
  if (e.type() == EVT_KEYDOWN && e.sym() && is_key_cell(before) &&
      static_cast<WKeyCode*>(before)->armed) {
    before->event(&e);
    return;
  }
  // Down from a tab enters its page at the top: the nearest widget below
  // a tab at the row's end can lie rows down the page.
  if (e.type() == EVT_KEYDOWN && e.key() == GK_DOWN && before && before->name.rfind("tab-", 0) == 0)
    if (Widget* page = root.find(SETTINGS_PAGE_NAME)) {
      std::vector<Widget*> first;
      page->collect_focusable(&first);
      if (!first.empty()) {
        root.set_focus(first.front());
        return;
      }
    }
  int code = root.event(&e);
  // The back button sits below the page's left edge, out of reach of the
  // arrows from most of the page: Down that finds nothing further down
  // goes to it, so that keyboard and gamepad players can always leave.
  if (!code && e.type() == EVT_KEYDOWN && e.key() == GK_DOWN && before &&
      root.get_focus() == before)
    if (Widget* back = root.find(SETTINGS_BACK_NAME)) code = root.set_focus(back);
  if (code >= SETTINGS_ACT_TAB && code < 2 * SETTINGS_ACT_TAB) {
    // A name or password typed on the Options page counts from now on.
    game_login_identity(game);
    video_refused = 0;
    build_tabs(code & 0xff);
    return;
  }
  switch (code) {
    case SETTINGS_ACT_SFX:
      loop();
      sfx_play("gui-ping", 0, 0);
      break;
    case SETTINGS_ACT_BACK: {
      game_login_identity(game);
      game->save();
      settings_tab = PAGE_CONTROLS;
      video_refused = 0;
      int target = game->settings_return_state;
      // Never back into this screen or a message screen (a damaged
      // "state.dat" can name them): the main menu instead.
      if (target == STATE_MENUS_SETTINGS || target == STATE_MENUS_ERROR ||
          target == STATE_MENUS_POPUP || !state_get(target))
        target = STATE_MENUS_MAIN;
      game_switch(game, TRANS_BZOOM, target);
      // The service checks the account; an empty name has nothing to check.
      if (game->settings.name[0]) web_valid(game);
      break;
    }
    case SETTINGS_ACT_NEW_ACCOUNT:
      if (g_driver) g_driver->weblink(web_page_url(WEB_PAGE_SIGNUP).c_str(), 0);
      break;
    case SETTINGS_ACT_SIGN_IN:
      // The service answers with a message or an error screen.
      if (game->settings.name[0]) web_valid_popup(game);
      break;
    default:
      break;
  }
}
