// What happens once a level is won, before the results are shown.
#pragma once

struct Game;

// Achievement names that a run can earn by itself.
extern const char* const LEVEL_ACH_NODEATHS;
extern const char* const LEVEL_ACH_CARTRIDGES;
extern const char* const LEVEL_ACH_JEWELS;

// The level-won routine, run once per win (later calls of the same run do
// nothing): copies the run's statistics into the Game's last-run fields with
// the achievements the run earned; for a campaign level (return_menu 8)
// records the run in its level record (history newest first, wins, best
// cartridges and crystals, earned achievements) and writes the save files;
// for the editor's play-test (return_menu 1)
// gives the Level back the map as edited and, when everything was
// collected, marks it proven and saves it. While a replay plays back only
// the statistics are copied. Then zooms to the results.
void level_won(Game* g);

// The campaign record of the level being played (the record whose
// "%s.map" is current_level_id), 0 when none.
int level_record_index(Game* g);
