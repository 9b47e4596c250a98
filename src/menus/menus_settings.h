// The settings screen (STATE_MENUS_SETTINGS): four tabs (Controls,
// Options, Audio, Video) over one page at a time. Every editable widget is
// named after its settings key; the screen's loop copies each shown
// widget's value into the Settings or LocalSettings block every frame, so
// a change takes effect at once, and only the back button leaves (saving
// the settings files).
#pragma once

#include <utility>
#include <vector>

#include "menus/menu_screen.h"

class GridPicker;
class Table;

// Action codes of the screen's widgets.
enum {
  SETTINGS_ACT_BACK = 9,
  SETTINGS_ACT_NEW_ACCOUNT = 10,
  SETTINGS_ACT_SFX = 15,      // the sound-effect slider was released
  SETTINGS_ACT_SIGN_IN = 21,
  SETTINGS_ACT_TAB = 0x100,   // + page number: a tab took the focus
};

// The widget names of the back button and of the box holding the page.
constexpr const char* SETTINGS_BACK_NAME = "back";
constexpr const char* SETTINGS_PAGE_NAME = "page";

// Pages by number, as settings_tab holds them.
enum { PAGE_CONTROLS = 0, PAGE_AUDIO = 1, PAGE_VIDEO = 2, PAGE_OPTIONS = 3 };

class MenusSettings : public MenuScreen {
 public:
  int settings_tab = PAGE_CONTROLS;  // kept between visits
  // Set when the last change of video mode could not be made and the old
  // mode came back; the Video page says so until the page is left.
  int video_refused = 0;

  // The screen's back button stands in its own frame, not the shared one.
  explicit MenusSettings(Game* g) : MenuScreen(g, nullptr) {}
  bool wants_key_repeat() const override { return true; }
  void init() override;
  // Escape does not leave: only the back button does.
  void event(Event e) override;
  // The write-back: every settings widget that exists stores its value.
  void loop() override;

  // Shows the tab's page: the whole widget tree is built again.
  void build_tabs(int tab);
  Table* page_controls();
  Table* page_audio();
  Table* page_video();
  Table* page_options();

 protected:
  void build() override;

 private:
  void video_change(int32_t* field, int value);
};

// The choices of the "vres" picker: "Auto", the fixed sizes, then the
// listed modes (width, height) in their order, skipping those smaller than
// 320 either way or equal to a fixed size, up to 20 choices in all.
void settings_resolution_choices(GridPicker* p, const std::vector<std::pair<int, int>>& listed);
// The full-screen OpenGL modes the platform lists; empty when it lists
// none or answers that any size will do.
std::vector<std::pair<int, int>> settings_listed_modes();

