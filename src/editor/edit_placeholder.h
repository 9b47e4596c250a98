// A stand-in for the share dialog until the web-service client can upload
// maps: it shows its heading and the map's id and leads back to the editor
// menu (also on Escape).
#pragma once

#include <string>

#include "editor/edit_screen.h"

class EditPlaceholder : public EditScreen {
 public:
  std::string heading;

  EditPlaceholder(Game* g, const std::string& heading) : EditScreen(g), heading(heading) {}

 protected:
  void build() override;
  void action(int code, const Event& e) override;
};
