#include "online/online.h"

#include "game/hooks.h"
#include "online/reliable.h"
#include "online/social.h"
#include "online/submit.h"
#include "online/web_actions.h"
#include "online/web_loop.h"

namespace {

void social_get_hook() { social_get(); }
int reliable_frame_hook(Game* g) { return game_reliable_frame(g); }

}  // namespace

void online_install_hooks(GameHooks* h) {
  h->social_get = social_get_hook;
  h->social_uuid = social_uuid;
  h->social_name = social_name;
  h->social_shutdown = social_shutdown;
  h->game_reliable_init = game_reliable_init;
  h->game_reliable_loop = reliable_frame_hook;
  h->web_loop = web_loop;
  h->web_ping = web_ping;
  h->web_friends = web_friends;
  h->submit_scores = submit_scores;
  h->submit_uscores = submit_uscores;
  h->submit_urate = submit_urate;
}
