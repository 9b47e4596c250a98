// Opens the window, runs events, frames and painting until the player quits, then shuts down.
#include "game/game_main.h"

#include <cstdio>
#include <memory>

#include "driver/driver.h"
#include "game/game.h"
#include "gfx/gfx.h"

int game_main(int, char**) {
  driver_stdio_redirect();
  if (!g_driver) {
    g_driver = new Driver();
    g_driver->set_app_name(GAME_NAME);
  }
  g_driver->caption = GAME_NAME;
  if (!g_driver->locate_data()) {
    delete g_driver;
    g_driver = nullptr;
    return 1;
  }
  // The pictures start decoding before the display opens: the largest takes
  // longer to decode than the window takes to open.
  g_driver->load_data();
  g_driver->data_read_ahead = true;
  gfx_tex_prefetch();
  // Without a display there is nothing the player could see or quit: say so
  // and stop instead of running on with no window.
  if (g_driver->init() != 0) {
    std::fprintf(stderr, "%s: no window can be opened; is DISPLAY set?\n", GAME_NAME);
    delete g_driver;
    g_driver = nullptr;
    return 1;
  }
  std::unique_ptr<Game> g(new Game());
  g->init();
  while (!g->quit) {
    Event e;
    while (g_driver && g_driver->poll(&e)) {
      if (e.type() == EVT_NONE) continue;
      if (e.type() == EVT_QUIT) g->quit = 1;
      g->event(e);
    }
    g->loop();
    g->paint();
  }
  // A run that never had a window ends as a failure.
  int rc = g_driver && g_driver->screen_w == 0 ? 1 : 0;
  g->deinit();
  return rc;
}
