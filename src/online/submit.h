// The score and rating submissions. Each collects its fields from the Game
// when it is made, signs them with "sid", and hands the payload
// {"action": name, "post": fields} to the reliable outbox, which stores it,
// sends it at once and repeats it until the service acknowledges it.
#pragma once

struct Game;

// A campaign level won (not with a cheat, not during a replay).
void submit_scores(Game* g);
// A shared map from the community browser won without a cheat.
void submit_uscores(Game* g);
// The player's stars for the shared map just played.
void submit_urate(Game* g, int stars);
