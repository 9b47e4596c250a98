// Finds achievements by name, repairs loaded campaign progress and formats run times.
#include "game/progress.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/level_map.h"

int Progress::find_ach(const char* name) const {
  if (!name) return 0;
  for (int i = 1; i < PROGRESS_ACHS; i++) {
    const AchInfo& a = achs[i];
    if (a.name[0] && strncmp(a.name, name, sizeof a.name) == 0 &&
        strlen(name) < sizeof a.name)
      return i;
  }
  return 0;
}

void progress_sanitize(Progress* p) {
  for (LevelInfo& l : p->levels) {
    game_text_terminate(l.name, sizeof l.name);
    game_text_terminate(l.title, sizeof l.title);
    for (auto& a : l.ach) game_text_terminate(a, sizeof a);
  }
  for (AchInfo& a : p->achs) {
    game_text_terminate(a.name, sizeof a.name);
    game_text_terminate(a.image, sizeof a.image);
    game_text_terminate(a.title, sizeof a.title);
    game_text_terminate(a.description, sizeof a.description);
  }
  if (p->current_level < 0 || p->current_level >= PROGRESS_LEVELS) p->current_level = 0;
  if (p->current_sector < 0 || p->current_sector > PROGRESS_SECTORS) p->current_sector = 0;
  if (p->max_sector < 0 || p->max_sector > PROGRESS_SECTORS + 1) p->max_sector = 0;
}

std::string format_time_cs(int cs) {
  char buf[64];
  // Work in long long so that the smallest int has an absolute value too.
  long long v = cs;
  const char* sign = "";
  if (v < 0) {
    sign = "-";
    v = -v;
  }
  snprintf(buf, sizeof buf, "%s%lld:%02lld.%02lld", sign, v / 6000, (v / 100) % 60, v % 100);
  return buf;
}
