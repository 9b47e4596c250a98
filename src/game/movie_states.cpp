// Plays a movie full width with its music, then moves on; a key, a click or a bad file skips it.
#include "game/movie_states.h"

#include <cstdio>

#include "driver/audio.h"
#include "game/game.h"
#include "gfx/gfx.h"
#include "gfx/movie.h"
#include "gfx/transition.h"

MovieState::MovieState(Game* g, const char* f, int n, const char* m) : State(g), file(f), next(n), music(m) {}

MovieState::~MovieState() { movie_close(movie); }

void MovieState::init() {
  movie_close(movie);
  movie = movie_open(file);
  done = false;
  if (music) music_play(music);
}

void MovieState::deinit() {
  movie_close(movie);
  movie = nullptr;
}

void MovieState::go_on() {
  if (done) return;
  done = true;
  int id = state_get(next) ? next : STATE_MENUS_MAIN;
  game->transition(TRANS_FADE, id);
}

void MovieState::loop() {
  if (done) return;
  if (!movie || !movie_advance(movie, 1.0 / 60.0)) go_on();
}

void MovieState::event(Event e) {
  if (e.type() == EVT_KEYDOWN || e.type() == EVT_DOWN) go_on();
}

void MovieState::paint() {
  gfx_clear(0, 0, 0, 1);
  gfx_project();
  if (!movie || movie_width(movie) <= 0 || movie_height(movie) <= 0) return;
  // As wide as the view, centred.
  float w = g_view.w, h = w * movie_height(movie) / movie_width(movie);
  if (h > g_view.h) {
    h = g_view.h;
    w = h * movie_width(movie) / movie_height(movie);
  }
  gfx_color(1, 1, 1, 1);
  movie_paint(movie, g_view.x0 + (g_view.w - w) / 2, g_view.y0 + (g_view.h - h) / 2, w, h);
}
