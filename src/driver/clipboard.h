// Clipboard text for text fields.
#pragma once

#include <string>

// The clipboard's text: the X11 clipboard selection when the window runs on
// X11 and an owner answers within a short wait, else the text last set here.
std::string clipboard_text();
void clipboard_set_text(const std::string& text);
