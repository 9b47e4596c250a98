#include "game/game_main.h"

#include <memory>

#include "driver/driver.h"
#include "game/game.h"

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
  g->deinit();
  return 0;
}
