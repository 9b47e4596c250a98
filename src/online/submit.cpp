// Builds and signs the score and rating submissions of the last run and queues them in the outbox.
#include "online/submit.h"

#include <cstring>
#include <string>

#include "game/game.h"
#include "game/level_won.h"
#include "game/paths.h"
#include "online/reliable.h"
#include "online/web_request.h"
#include "util/encode.h"

namespace {

// The secrets each submission mixes into its signature; the service holds
// the same.
const char* const kScoresSecret = "q3wmz7tkx2vb9pr4ld8hs6fy1ncg";
const char* const kUscoresSecret = "7302wertyKPLmzqaBVXcvbn64";
const char* const kUrateSecret = "573126hjkwqZPLmnbvcXT";

bool earned(const Game* g, int idx) { return idx > 0 && idx < PROGRESS_ACHS && g->last_ach[idx]; }

// Achievement names of the run, joined with ",": the level record's three
// for a campaign level.
std::string campaign_ach(const Game* g) {
  std::string out;
  int rec = g->last_record;
  if (rec <= 0 || rec >= PROGRESS_LEVELS) return out;
  for (const char* name : g->progress.levels[rec].ach) {
    std::string n = game_text_get(name, 32);
    int idx = g->progress.find_ach(n.c_str());
    if (!earned(g, idx)) continue;
    if (!out.empty()) out += ",";
    out += game_text_get(g->progress.achs[idx].name, sizeof g->progress.achs[idx].name);
  }
  return out;
}

std::string map_ach(const Game* g) {
  std::string out;
  for (const char* name : {LEVEL_ACH_NODEATHS, LEVEL_ACH_CARTRIDGES, LEVEL_ACH_JEWELS}) {
    if (!earned(g, g->progress.find_ach(name))) continue;
    if (!out.empty()) out += ",";
    out += name;
  }
  return out;
}

// The entry is signed for the player as they are now, and carries that
// identity, so that it is delivered under it whatever the player's account
// is by the time it goes out again.
void submit(const char* action, const WebIdentity& as, const var& post) {
  game_reliable_add("web", var_dict("action", action, "post", post, "identity", web_identity_var(as)));
}

void submit_run(Game* g, const char* action, const char* secret, const std::string& lid, const std::string& ach) {
  WebIdentity as = web_identity(g);
  std::string ltitle = game_text_get(g->level.map.text[LEVEL_TEXT_TITLE], LEVEL_TEXT_SIZE);
  std::string tm = std::to_string(g->last_time_cs);
  std::string deaths = std::to_string(g->last_deaths);
  std::string sid = md5_hex(var_join(var_list(secret, as.uid, lid, ltitle, tm, deaths, ach), "|"));
  submit(action, as, var_dict("lid", lid, "ltitle", ltitle, "tm", tm, "deaths", deaths, "ach", ach, "sid", sid));
}

}  // namespace

void submit_scores(Game* g) {
  std::string file;
  game_read_file(game_data_path(game_text_get(g->current_level_id, sizeof g->current_level_id)), &file);
  submit_run(g, "scores", kScoresSecret, md5_hex(file), campaign_ach(g));
}

void submit_uscores(Game* g) {
  submit_run(g, "uscores", kUscoresSecret, game_text_get(g->current_level_id, sizeof g->current_level_id), map_ach(g));
}

void submit_urate(Game* g, int stars) {
  WebIdentity as = web_identity(g);
  std::string lid = game_text_get(g->current_level_id, sizeof g->current_level_id);
  std::string s = std::to_string(stars);
  std::string sid = md5_hex(var_join(var_list(kUrateSecret, as.uid, lid, s), "|"));
  submit("urate", as, var_dict("lid", lid, "stars", s, "sid", sid));
}
