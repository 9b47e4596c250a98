// Plugs the online services into the game's hooks: start-up pings, per-frame polling, submissions.
#include "online/online.h"

#include "game/hooks.h"
#include "online/reliable.h"
#include "online/social.h"
#include "online/submit.h"
#include "online/web_actions.h"
#include "online/web_loop.h"

namespace {

void social_get_hook() { social_get(); }

void online_start(Game* g) {
  game_reliable_init(g);
  web_ping(g);
  web_friends(g);
}

void online_frame(Game* g) {
  game_reliable_frame(g);
  web_loop(g);
}

}  // namespace

void online_install_hooks(GameHooks* h) {
  h->social_get = social_get_hook;
  h->social_uuid = social_uuid;
  h->social_name = social_name;
  h->social_shutdown = social_shutdown;
  h->online_start = online_start;
  h->online_frame = online_frame;
  h->online_quit = game_reliable_quit;
  h->submit_scores = submit_scores;
  h->submit_uscores = submit_uscores;
  h->submit_urate = submit_urate;
}
