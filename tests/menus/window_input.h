// The game in a real window, driven as a player drives it: every key and
// click goes through SDL's event queue and the driver's translation.
#pragma once

#include <SDL/SDL.h>

#include "driver/driver.h"
#include "game/game.h"
#include "gfx/gfx.h"
#include "menus_fixture.h"
#include "support/game_window.h"

struct WindowInput : WindowedGame {
  Container& root() { return state_get(g->state)->root; }

  // The main loop's frame: pending window events, one fixed step, a
  // picture now and then.
  void frames(int n, int paint_every = 1) {
    for (int i = 0; i < n; i++) {
      Event e;
      while (g_driver->poll(&e))
        if (e.type() != EVT_NONE) g->event(e);
      game_frame(g, 1);
      if (i % paint_every == 0) g->paint();
    }
  }
  void push_key(int type, int sym, int unicode = 0) {
    SDL_Event s = {};
    s.type = static_cast<Uint8>(type);
    s.key.type = s.type;
    s.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    s.key.keysym.sym = static_cast<SDLKey>(sym);
    s.key.keysym.unicode = static_cast<Uint16>(unicode);
    SDL_PushEvent(&s);
  }
  void tap(int sym, int unicode = 0) {
    push_key(SDL_KEYDOWN, sym, unicode);
    push_key(SDL_KEYUP, sym);
    frames(1);
  }
  // A left click at the widget's centre, in window pixels.
  void click(Widget* w) {
    ASSERT_NE(w, nullptr);
    int vx, vy;
    menus_test::centre(w, &vx, &vy);
    Uint16 px = static_cast<Uint16>((vx + 0.5f - g_view.x0) * g_driver->screen_w / g_view.w);
    Uint16 py = static_cast<Uint16>((vy + 0.5f - g_view.y0) * g_driver->screen_h / g_view.h);
    SDL_Event s = {};
    s.type = SDL_MOUSEMOTION;
    s.motion.x = px;
    s.motion.y = py;
    SDL_PushEvent(&s);
    for (Uint8 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
      s = {};
      s.type = type;
      s.button.button = SDL_BUTTON_LEFT;
      s.button.x = px;
      s.button.y = py;
      SDL_PushEvent(&s);
    }
    frames(1);
  }
};
