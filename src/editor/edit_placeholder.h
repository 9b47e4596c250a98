// Stand-ins for the editor screens that are not built yet (title form,
// editor menu, share, delete, help, export, import): each shows its heading
// and the map's id, and offers the ways on that the editor needs, so every
// path through the editor can be walked. Escape takes the last way.
#pragma once

#include <string>
#include <vector>

#include "game/state.h"

class EditPlaceholder : public State {
 public:
  struct Way {
    std::string text;
    void (*go)(Game*);
  };
  std::string heading;
  std::vector<Way> ways;

  EditPlaceholder(Game* g, const std::string& heading, std::vector<Way> ways);
  void init() override;
  void paint() override;
  void event(Event e) override;
};

// The stand-ins, one per screen id, stored in the state table.
void register_editor_placeholders(Game* g);
