// Any bytes as the web service's reply: headers and body through the whole
// reply handling (receipts, errors, messages, community pages, shared maps)
// with the screen that is current chosen by the first byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "game/game.h"
#include "game/headless.h"
#include "game/state.h"
#include "online/reliable.h"
#include "online/web_loop.h"
#include "online/web_request.h"
#include "util/http.h"

namespace {

class Browser : public State {
 public:
  explicit Browser(Game* g) : State(g) {}
  var call(var arg) override { return var(static_cast<long>(arg.len())); }
};

Game* game() {
  static Game* g = nullptr;
  if (g) return g;
  static char dir[] = "/tmp/tunnelwick-fuzz-web-XXXXXX";
  if (!mkdtemp(dir)) abort();
  setenv("TUNNELWICK_SERVICE", "127.0.0.1:9", 1);
  std::string user = std::string(dir) + "/user";
  g = game_headless_start(dir, user);
  state_put(STATE_MENUS_COMMUNITY, new Browser(g));
  game_reliable_init(g);
  return g;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536) return 0;
  static const int states[] = {STATE_MENUS_COMMUNITY, STATE_MENUS_MAIN, STATE_PLAY, STATE_MENUS_ERROR};
  Game* g = game();
  g->state = states[data[0] % 4];
  web_messages_clear();
  WebRequest r;
  r.community_visit = (data[0] & 4) ? web_community_visit(g) : -1;
  if (data[0] & 8) r.receipt = "fuzz";  // a reply to an outbox entry
  r.conn = http_conn_replay(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  web_handle_reply(g, &r);
  return 0;
}
