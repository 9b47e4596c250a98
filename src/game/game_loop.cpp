// Start-up, the per-frame loop, event dispatch, painting and shutdown of the
// one Game object.
#include <SDL/SDL.h>

#include <cstdio>
#include <cstring>

#include "driver/audio.h"
#include "driver/audio_engine.h"
#include "driver/driver.h"
#include "game/game.h"
#include "game/game_main.h"
#include "game/gameinfo.h"
#include "game/hooks.h"
#include "game/identity.h"
#include "game/levels_db.h"
#include "game/paths.h"
#include "game/register_play.h"
#include "game/save_files.h"
#include "game/state.h"
#include "game/video.h"
#include "gfx/gfx.h"
#include "gfx/transition.h"
#include "platform/steam_api.h"
#include "util/db.h"

enum {
  STEP_RATE = 60,
  IDLE_CURSOR_STEPS = 300,
  STICK_THRESHOLD = 16384,
};

// "alpha.dat", read whole at start-up.
static std::string g_alpha;

// Set when the picture may have changed: a fixed step ran, or the window
// was made or shown again. Game::paint paints only then, so an idle screen
// costs no more than its steps.
static bool g_paint_due = true;
// Set when the window must be painted whatever it showed before (made
// anew, shown again); otherwise a frame whose picture signature equals the
// last painted one is not drawn at all.
static bool g_paint_forced = true;
static uint64_t g_painted_sig = 0;

static void paint_state_cb(void* ctx) { static_cast<Game*>(ctx)->paint_state(); }

static const char* transition_sound(int type) {
  switch (type) {
    case TRANS_ZOOM: return "trans-zoom";
    case TRANS_FADE: return "trans-fade";
    case TRANS_BZOOM: return "trans-bzoom";
    default: return nullptr;
  }
}

void Game::init() {
  fprintf(stderr, "Game::init ...\n");
  memset(static_cast<void*>(this), 0, sizeof *this);
  game_current = this;
  g_paint_due = true;
  g_paint_forced = true;

  register_play_states(this);
  if (game_hooks.register_editor_states) game_hooks.register_editor_states(this);
  if (game_hooks.register_menu_states) game_hooks.register_menu_states(this);

  if (!g_driver) {
    g_driver = new Driver();
    g_driver->set_app_name(GAME_NAME);
  }
  if (!game_headless) g_driver->init();
  g_driver->caption = GAME_NAME;
  g_driver->icon_path = "icon32.bmp";
  if (game_data_dir().empty() || game_user_dir().empty()) game_set_dirs(data_dir(), user_dir());
  if (game_hooks.social_get) game_hooks.social_get();

  // A missing or unusable image leaves the object zeroed.
  game_load_state(this, game_user_dir());
  game_load_settings(this, game_user_dir());
  settings_defaults(&settings);
  local_settings_defaults(&lsettings);
  game_login_identity(this);
  game_load_progress(this, game_user_dir());
  Progress& p = progress;
  if (!p.current_level) p.current_level = 1;
  if (!p.current_sector) p.current_sector = 1;
  if (!p.max_sector) p.max_sector = 1;

  g_driver->set_step_rate(STEP_RATE);
  // Read already when the program's entry started decoding the pictures.
  if (!g_driver->data_read_ahead) g_driver->load_data();
  g_driver->data_read_ahead = false;
  // With no video mode at all there is nothing the player could see or
  // quit: say so and end after this frame instead of running on unseen.
  if (!game_video_init(this) && !game_headless && !g_driver->screen_w) {
    fprintf(stderr, "%s: no window can be opened; is DISPLAY set?\n", GAME_NAME);
    quit = 1;
  } else if (!game_headless && g_driver->screen_w) {
    // The box art shows as soon as the window is open: the first screen's
    // pictures, the sound and the player's databases are still to load, and
    // the first transition fades from this very picture.
    transition_paint_boxart();
    g_driver->swap();
  }
  // The sound engine, unless a back-end was installed; a headless run
  // without one stays silent.
  AudioBackend* backend = audio_installed_backend();
  if (!backend && !game_headless) backend = audio_engine_start();
  audio_init(backend);
  sfx_play_here("silence");

  if (state == STATE_NONE || !state_get(state)) state = STATE_MENUS_MAIN;
  if (!current_level_id[0]) game_text_set(current_level_id, sizeof current_level_id, "1.lev");

  // The start waits for other programs' locks once, as a frame would.
  db_waits_new_frame();
  game_load_gameinfo(this, game_data_path("gameinfo.db"));
  game_read_file(game_data_path("alpha.dat"), &g_alpha);
  game_db_open(SteamUser() != nullptr);

  // The screen that was current when the last run ended, entered afresh.
  int first = state;
  state = STATE_NONE;
  transition(TRANS_ZOOM, first);

  if (game_hooks.online_start) game_hooks.online_start(this);
}

void Game::transition(int type, int id) {
  transition_start(1, type, paint_state_cb, this);
  if (const char* sound = transition_sound(type)) sfx_play(sound, 0, 0);
  if (State* old = state_get(state)) old->deinit();
  state = id;
  if (State* s = state_get(id)) s->init();
  if (type != TRANS_NONE) transition_start(2, -1, paint_state_cb, this);
}

bool game_switch(Game* g, int type, int id) {
  if (!state_get(id)) {
    fprintf(stderr, "game_switch: no screen for state %d\n", id);
    return false;
  }
  g->transition(type, id);
  return true;
}

static void game_step(Game* g) {
  g_audio.sfx_volume = g->settings.sfx;
  music_loop(g->settings.music);
  if (++g->run.idle_steps == IDLE_CURSOR_STEPS) {
    g->run.cursor_hidden = 1;
    if (g_driver) g_driver->show_cursor(false);
  }
  bool in_transition = transition_running();
  transition_tick();
  if (!in_transition)
    if (State* s = state_get(g->state)) s->loop();
  g->run.steps++;
}

// Runs the owed steps and the per-frame work; loop() asks the driver how many
// steps are owed, the headless entry gives its own count.
void game_frame(Game* g, int steps) {
  db_waits_new_frame();
  for (int i = 0; i < steps && !g->quit; i++) {
    game_step(g);
    g_paint_due = true;
  }

  State* current = state_get(g->state);
  int repeat = current && current->wants_key_repeat() ? 1 : 0;
  if (repeat != g->run.key_repeat) {
    g->run.key_repeat = repeat;
    if (g_driver) g_driver->key_repeat(repeat != 0);
  }

  if (game_hooks.online_frame) game_hooks.online_frame(g);
  if (SteamUser()) SteamAPI_RunCallbacks();
  g->run.frames++;
}

void Game::loop() {
  if (!g_driver) return;
  int steps = g_driver->steps_owed();
  // Logic keeps its fixed rate whatever the display does (vertical sync
  // only paces the buffer swap): with nothing owed yet, the processor is
  // given back until the next step is due; unless a window just made or
  // shown again waits for its picture, which is then painted at once.
  if (steps == 0 && !game_headless && !g_paint_due) {
    g_driver->wait_for_step();
    steps = g_driver->steps_owed();
  }
  game_frame(this, steps);
}

// Maps the joystick's stick onto the direction keys: a key goes down when
// the stick leaves the centre band and up when it comes back or turns.
static void stick_to_keys(Game* g, const Event& e) {
  int axis = e[EVW_AXIS];
  if (axis < 0 || axis > 1) return;
  int v = e[EVW_AXIS_VALUE];
  int dir = v < -STICK_THRESHOLD ? -1 : v > STICK_THRESHOLD ? 1 : 0;
  int32_t& prev = g->run.stick[axis];
  if (dir == prev) return;
  static const int keys[2][2] = {{GK_LEFT, GK_RIGHT}, {GK_UP, GK_DOWN}};
  if (prev) {
    Event up(EVT_KEYUP);
    up[EVW_DEVICE] = e[EVW_DEVICE];
    up[EVW_KEY] = keys[axis][prev > 0];
    up[EVW_JOY_ACTION] = up[EVW_KEY];
    prev = 0;
    g->event(up);
  }
  if (dir) {
    Event down(EVT_KEYDOWN);
    down[EVW_DEVICE] = e[EVW_DEVICE];
    down[EVW_KEY] = keys[axis][dir > 0];
    down[EVW_JOY_ACTION] = down[EVW_KEY];
    prev = dir;
    g->event(down);
  }
}

void Game::event(Event e) {
  int type = e.type();
  if (type == EVT_LOGIN || type == EVT_LOGOUT) {
    fprintf(stderr, "EVT_LOGIN\n");
    return;
  }
  if (type == EVT_DOWN || type == EVT_UP || type == EVT_MOTION || type == EVT_WHEEL) {
    run.idle_steps = 0;
    if (run.cursor_hidden) {
      run.cursor_hidden = 0;
      if (g_driver) g_driver->show_cursor(true);
    }
  }
  if (type == EVT_JOYDOWN || type == EVT_JOYUP) {
    int button = e[EVW_BUTTON] & 0xff;
    Event k = e;
    k[EVW_TYPE] = type == EVT_JOYDOWN ? EVT_KEYDOWN : EVT_KEYUP;
    k[EVW_KEY] = (settings.joys[ACT_ESCAPE] & 0xff) == button ? GK_ESCAPE : GK_SPACE;
    k[EVW_JOY_ACTION] = 0;
    for (int a = ACT_BATTERY; a <= ACT_ESCAPE; a++)
      if ((settings.joys[a] & 0xff) == button) {
        k[EVW_JOY_ACTION] = a;
        break;
      }
    k[EVW_SYM] = 0;
    event(k);
  }
  if (type == EVT_JOYAXIS) stick_to_keys(this, e);
  if ((type == EVT_KEYDOWN || type == EVT_KEYUP) && e[EVW_SYM] != 0) {
    for (int a = 1; a < ACT_COUNT; a++)
      if (settings.keys[a] == e[EVW_SYM]) {
        e[EVW_JOY_ACTION] = a;
        break;
      }
  }
  if (type == EVT_KEYDOWN && (e[EVW_MOD] & MOD_CTRL_ALT_META)) {
    if (e[EVW_SYM] == SDLK_f) {
      lsettings.vfull = lsettings.vfull == 1 ? -1 : 1;
      event(Event(EVT_VIDEO));
      return;
    }
    if (e[EVW_SYM] == SDLK_q) {
      event(Event(EVT_EXIT));
      quit = 1;
      return;
    }
  }
  if (type == EVT_QUIT) quit = 1;
  if (type == EVT_EXIT) save();
  if (type == EVT_ACTIVE) g_paint_due = g_paint_forced = true;
  if (type == EVT_VIDEO) {
    game_video_init(this);
    g_paint_due = g_paint_forced = true;
    transition(TRANS_ZOOM, state);
    return;
  }
  if (!game_headless) gfx_event_to_view(&e);
  if (transition_running()) return;
  if (State* s = state_get(state)) s->event(e);
}

void game_send_event(Event e) {
  if (game_current) game_current->event(e);
}

void Game::paint_state() {
  gfx_clear(0, 0, 0, 1);
  if (State* s = state_get(state)) s->paint();
}

void Game::paint() {
  if (game_headless || !g_paint_due) return;
  g_paint_due = false;
  if (g_driver && g_driver->exposed) {
    g_driver->exposed = false;
    g_paint_forced = true;
  }
  if (transition_running()) {
    gfx_clear(0, 0, 0, 1);
    gfx_project();
    transition_paint();
    // The screen after the transition is painted whatever it shows.
    g_paint_forced = true;
  } else {
    // A screen that draws what it drew last time is left as it is: on a
    // software renderer a frame costs far more than walking the screen
    // once to learn what it would draw.
    gfx_sig_begin();
    paint_state();
    uint64_t sig = gfx_sig_end();
    if (!g_paint_forced && sig == g_painted_sig) return;
    g_paint_forced = false;
    g_painted_sig = sig;
    paint_state();
  }
  if (g_driver) g_driver->swap();
  gfx_frame_shown();
}

void Game::deinit() {
  // The quit's last writes wait for other programs' locks once, as a frame's would.
  db_waits_new_frame();
  if (State* s = state_get(state)) s->deinit();
  save();
  if (game_hooks.online_quit) game_hooks.online_quit();
  state_table_clear();
  game_db_close();
  audio_shutdown();
  audio_engine_stop();
  game_video_deinit();
  if (game_hooks.social_shutdown) game_hooks.social_shutdown();
  delete g_driver;
  g_driver = nullptr;
  game_set_dirs("", "");
  if (game_current == this) game_current = nullptr;
}
