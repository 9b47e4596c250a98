// The title and options form (STATE_EDIT_TEXT): three pages for the map's
// title, its intro text and its music. What is typed or chosen goes straight
// into the map's text slots every frame; the chosen track plays at once.
// Done and Escape save and go back to the editor menu.
#pragma once

#include <cstdint>

#include "editor/edit_screen.h"

enum { TEXT_ACT_DONE = 1, TEXT_ACT_PAGE = 0x100, EDIT_MUSIC_TRACKS = 6 };

class EditText : public EditScreen {
 public:
  int32_t page = 0;  // the text slot being edited

  explicit EditText(Game* g) : EditScreen(g) {}
  void init() override;
  void loop() override;
  // Held keys repeat while typing.
  bool wants_key_repeat() const override { return true; }
  // Makes p the page and builds the form again.
  void build_form(int p);

 protected:
  void build() override;
  void action(int code, const Event& e) override;
};
