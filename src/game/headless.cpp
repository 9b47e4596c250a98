// Starts, feeds, steps and stops the game without a window, over folders the tests choose.
#include "game/headless.h"

#include <cstdlib>

#include "driver/driver.h"
#include "game/game.h"
#include "game/paths.h"
#include "game/video.h"

Game* game_headless_start(const std::string& data_dir, const std::string& user_dir) {
  game_headless = true;
  std::string dir = user_dir;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  size_t slash = dir.rfind('/');
  std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : dir.substr(0, slash);
  std::string name = slash == std::string::npos ? dir : dir.substr(slash + 1);
  setenv("APPDATA", parent.c_str(), 1);
  g_driver = new Driver();
  g_driver->set_app_name(name.c_str());
  g_driver->data_dir = data_dir;
  game_set_dirs(data_dir, ::user_dir());
  Game* g = new Game();
  g->init();
  return g;
}

void game_headless_event(const Event& e) { game_send_event(e); }

void game_headless_run(int frames, int steps) {
  Game* g = game_current;
  for (int i = 0; i < frames && g && !g->quit; i++) {
    game_frame(g, steps);
    g->paint();
  }
}

void game_headless_stop() {
  Game* g = game_current;
  if (g) {
    g->deinit();
    delete g;
  }
  game_headless = false;
}
