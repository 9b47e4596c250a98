// The share dialog (STATE_EDIT_SHARE): it explains the rules, offers a
// play-test, and offers "Share" only for a map won with everything
// collected since its last edit and within the limits. The upload runs in
// the background; the map counts as shared once the service has taken it.
#pragma once

#include <string>

#include "editor/edit_screen.h"

enum { SHARE_ACT_SHARE = 4, SHARE_ACT_PLAY = 6, SHARE_ACT_CANCEL = 7 };

extern const char* const EDIT_SHARE_RULES;

class EditShare : public EditScreen {
 public:
  explicit EditShare(Game* g) : EditScreen(g) {}

 protected:
  void build() override;
  void action(int code, const Event& e) override;
};

// The map may be shared: edited at least once, won with every cartridge and
// jewel since its last edit, and within the limits (counted afresh).
bool edit_may_share(Game* g);
// Saves the map and sends it, its export path blanked, to the service; back
// to the editor menu at once. When the service takes it, the map's row (and
// the loaded map, when it is still this one) gets the share mark; when it
// does not, the error screen says "Error sharing map.".
void edit_share_map(Game* g);
// What the reply of a share does for the map of that id shared at that
// change count (how: WEB_END_*).
void edit_share_ended(Game* g, const std::string& id, int changes, int how);
