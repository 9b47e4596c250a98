// Opens the "Tunnelwick" window and runs the event and paint loop until the
// window is closed or Escape is pressed.
#include "driver/audio.h"
#include "driver/driver.h"
#include "gfx/gfx.h"

int main(int, char**) {
  driver_stdio_redirect();
  Driver driver;
  g_driver = &driver;
  driver.set_app_name("tunnelwick");
  driver.icon_path = "icon32.bmp";
  if (driver.init() != 0) return 1;
  driver.load_data();
  if (driver.video_mode(-1, -1, 1) != 0) return 1;
  gfx_init(driver.screen_w, driver.screen_h);
  driver.set_step_rate(60);
  bool quit = false;
  while (!quit) {
    Event e;
    while (driver.poll(&e)) {
      if (e.type() == EVT_QUIT ||
          (e.type() == EVT_KEYDOWN && e.key() == GK_ESCAPE))
        quit = true;
    }
    driver.steps_owed();
    gfx_clear(0, 0, 0, 1);
    gfx_project();
    driver.swap();
  }
  gfx_deinit();
  return 0;
}
