// The error screen (STATE_MENUS_ERROR) and what it shares with the message
// screen (menus_popup.h): a title, a text left by the web service or the
// editor, and the way back to the screen that was current when it came.
#pragma once

#include <cstddef>
#include <string>

#include "menus/menu_screen.h"

// Action codes of the two screens.
enum { MESSAGE_ACT_SETTINGS = 2, MESSAGE_ACT_CONTINUE = 6 };

class MenusError : public MenuScreen {
 public:
  explicit MenusError(Game* g) : MenuScreen(g, nullptr) {}
  // Escape counts as "Continue", which fades rather than zooms back.
  void event(Event e) override;

 protected:
  void build() override;
};

// The text of a fixed field as it is shown: at most size - 1 bytes even
// when the field lacks its NUL, control characters other than line breaks
// turned into blanks. Nothing in it is interpreted.
std::string menus_message_text(const char* field, size_t size);
// The text laid out in lines of at most `wrap` units in the font: words
// wrap, a word longer than a line is broken inside, and only the first
// max_lines lines are kept, so that no text from outside can push the
// screen's buttons out of the view.
std::string menus_message_fit(int font, const std::string& text, float wrap, size_t max_lines);
// Where an error or message screen goes back to: the id, unless it names
// one of those two screens or no screen at all (a damaged "state.dat"),
// when it is the main menu.
int menus_message_return(int id);
// Adds the screen's widgets to its root (over the background): the title
// over its glow, the text wrapped at 213 units, then "Settings" (when asked
// for) and "Continue".
void menus_message_build(State* s, const char* title, const std::string& text, bool settings);
// The action code of the event on a message screen: the root's code, with
// Escape counting as "Continue".
int menus_message_code(State* s, Event* e);
