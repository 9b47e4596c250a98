// The frame of the editor's dialog screens (everything but the drawing
// screen): on every entry the map's own music plays and the widget tree is
// built afresh over the menu background; the frame paints and runs the root
// and hands every event with the root's action code to the screen.
#pragma once

#include <string>

#include "driver/event.h"
#include "game/state.h"

class EditScreen : public State {
 public:
  explicit EditScreen(Game* g) : State(g) {}
  void init() override;
  void deinit() override;
  void paint() override;
  void loop() override;
  void event(Event e) override;

 protected:
  // Adds the screen's own widgets to the root, over the background.
  virtual void build() {}
  // The root answered the code (0 when none) for the event.
  virtual void action(int code, const Event& e) {
    (void)code;
    (void)e;
  }
  // A column of widgets centred in the 640 by 640 view, added to the root;
  // its text field named "text", if any, takes the focus.
  void add_centred(Widget* column);
};

class Box;
class Label;
// A label in the font, wrapped at width and centred line by line.
Label* edit_centred_label(int font, const char* text, int width);
// A dialog button 320 wide around the text in "font1", in a box that keeps
// it at that size and centred however wide or tall its table row grows.
Box* edit_button(const char* text, int action);
// A text field named name, width wide with the text kept clear of the
// rounded ends of its frame, in a box that keeps its own height.
Box* edit_field(const char* name, const std::string& text, int width);
// The map's title as the dialogs show it at their top, on one line.
Box* edit_title(const Game* g);
