// The drawing screen (STATE_EDIT_MAIN): the map fills the window, a tool bar
// runs along the top and a status bar along the bottom. The player draws,
// fills, erases and copies tiles with the mouse, scrolls and zooms, picks
// tile types, undoes, play-tests and opens the editor menu or the help.
#pragma once

#include <cstdint>
#include <string>

#include "game/state.h"

// Tools and the other action codes of the bars.
enum {
  EDIT_ACT_PLAY = 6,
  EDIT_ACT_HELP = 9,
  EDIT_ACT_MENU = 13,
  EDIT_TOOL_DRAW = 14,
  EDIT_TOOL_ERASE = 15,
  EDIT_TOOL_COPY = 16,
  EDIT_TOOL_FILL = 17,
  EDIT_ACT_UNDO = 18,
  EDIT_ACT_ZOOM_IN = 19,
  EDIT_ACT_ZOOM_OUT = 20,
  EDIT_ACT_HOME = 21,
  EDIT_ACT_PROVEN = 22,
  EDIT_TOOL_PICKER = 23,
  EDIT_TOOL_MOVE = 24,
  // Frames between autosaves while edits are pending.
  EDIT_AUTOSAVE_FRAMES = 300,
};

constexpr float EDIT_SCROLL_STEP = 8.0f;
constexpr float EDIT_ZOOM_STEP = 1.1f;
constexpr float EDIT_ZOOM_MAX = 1.0f;
// Twenty zoom-out steps from 1.0.
extern const float EDIT_ZOOM_MIN;

class EditMain : public State {
 public:
  int32_t frame_count = 0;
  // Cells visited by strokes, cells filled and undos since the last
  // autosave: what the autosave reports.
  int32_t stroke_cells = 0;
  int32_t snapshot_pending = 0;  // the stroke under way has not taken its snapshot
  int32_t cursor_x = -1, cursor_y = -1;
  int32_t* current_tile;         // the current-tile word of the LevelMap
  int32_t shown_tile = 0;        // named in the status bar while the picker is open
  int32_t tool = EDIT_TOOL_DRAW;
  bool reload_failed = false;    // the map did not load: back to the list
  std::string title_text;        // the title the bar shows, uncut
  bool pressed_on_map = false;   // the left button went down over the map
  bool space_pressed = false;    // Space went down on this screen

  explicit EditMain(Game* g);
  void init() override;
  // Saves edits not yet written, so nothing is lost on leaving or on quit.
  void deinit() override;
  void paint() override;
  void event(Event e) override;
  void loop() override;

  // Makes the tool current and marks its icon selected.
  void tool_icons(int code);
  void open_picker();
  void picker_event(int a, const Event& e);

 private:
  bool command(int a, const Event& e);
  void pointer(const Event& e);
  void stroke(float ax, float ay, float bx, float by, bool erase);
  void copy_at_cursor();
  void zoom_by(float factor);
  void status();
};
