// Gives unset options and key bindings their defaults and repairs values read from the files.
#include "game/settings.h"

#include <SDL/SDL_keysym.h>

#include "game/level_map.h"

static void def(int32_t& field, int32_t value) {
  if (field == 0) field = value;
}

// The key each action starts with; 0 for the slots no action uses.
static int32_t default_key(int action) {
  switch (action) {
    case ACT_UP: return SDLK_UP;
    case ACT_RIGHT: return SDLK_RIGHT;
    case ACT_DOWN: return SDLK_DOWN;
    case ACT_LEFT: return SDLK_LEFT;
    case ACT_BATTERY: return SDLK_z;
    case ACT_BOMB: return SDLK_x;
    case ACT_MINIMAP: return SDLK_m;
    case ACT_ESCAPE: return SDLK_ESCAPE;
    default: return 0;
  }
}

void settings_defaults(Settings* s) {
  s->version = SETTINGS_VERSION;
  if (!s->volumes_set) {
    def(s->music, DEFAULT_MUSIC);
    def(s->sfx, DEFAULT_SFX);
    s->volumes_set = 1;
  }
  s->music = s->music < 0 ? 0 : s->music > 100 ? 100 : s->music;
  s->sfx = s->sfx < 0 ? 0 : s->sfx > 100 ? 100 : s->sfx;
  def(s->debug, -1);
  for (int a = ACT_UP; a < ACT_COUNT; a++) def(s->keys[a], default_key(a));
  def(s->joys[ACT_BATTERY], 0x100 + 0);
  def(s->joys[ACT_BOMB], 0x100 + 1);
  def(s->joys[ACT_MINIMAP], 0x100 + 2);
  def(s->joys[ACT_ESCAPE], 0x100 + 3);
  def(s->game_hud, 1);
  def(s->game_hints, 1);
  def(s->game_timer, 1);
  def(s->vfenn, -1);
}

void local_settings_defaults(LocalSettings* s) {
  s->version = LSETTINGS_VERSION;
  def(s->vres, -1);
  def(s->vfull, -1);
  // Off unless the player asks: with it on the display paces the steps.
  def(s->vsync, -1);
}

void settings_sanitize(Settings* s) {
  game_text_terminate(s->name, sizeof s->name);
  game_text_terminate(s->passwd, sizeof s->passwd);
  game_text_terminate(s->udid, sizeof s->udid);
  game_text_terminate(s->id_name, sizeof s->id_name);
  game_text_terminate(s->uid, sizeof s->uid);
  game_text_terminate(s->token, sizeof s->token);
  // A code no key can send would bind the action to nothing the player can
  // press, shown only as an unknown key.
  for (int a = 0; a < static_cast<int>(sizeof s->keys / sizeof s->keys[0]); a++)
    if (s->keys[a] < 0 || s->keys[a] >= SDLK_LAST) s->keys[a] = default_key(a);
}
