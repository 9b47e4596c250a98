// Prints what hostile community pages cost the main loop in a real window:
// the parse and the build of the page, the step and the paint of the
// frames after, and the memory held afterwards. A benchmark: it measures
// and prints, it does not judge.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "driver/driver.h"
#include "game/game.h"
#include "game/hooks.h"
#include "game/paths.h"
#include "game/state.h"
#include "gfx/transition.h"
#include "menus/community_page.h"
#include "menus/menus.h"
#include "util/json.h"
#include "../support/bench_clock.h"

namespace {

const int kFrames = 60;  // frames measured after each build
const int kRuns = 3;     // builds of each page

// The memory the process holds now, in MiB (the allocator may keep some of
// what was freed).
double resident_mib() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return resident * (sysconf(_SC_PAGESIZE) / 1048576.0);
}

double now_ms() { return 1e3 * bench::wall(); }

// A text of that many bytes, in words, with a few letters outside ASCII.
std::string long_text(size_t bytes) {
  std::string s;
  while (s.size() < bytes) s += "W\xc3\xa9ll mapped tunnel ";
  s.resize(bytes);
  return s;
}

std::string entries(const std::string& one, int n) {
  std::string s = "[";
  for (int i = 0; i < n; i++) s += (i ? "," : "") + one;
  return s + "]";
}

// The best of a few runs: the machine may be busy with other work.
void measure(Game* g, const char* name, const std::string& json) {
  enum { PARSE, BUILD, FIRST_STEP, FIRST_PAINT, STEP, PAINT, FIGURES };
  double best[FIGURES];
  std::fill(best, best + FIGURES, 1e9);
  for (int run = 0; run < kRuns; run++) {
    double got[FIGURES] = {};
    double t = now_ms();
    var page;
    json_parse(json.data(), json.size(), page, WEB_PAGE_MAX_ENTRIES);  // as the reply handler reads a page
    got[PARSE] = now_ms() - t;
    t = now_ms();
    state_get(STATE_MENUS_COMMUNITY)->call(var_list("uquery", page));
    page = var();  // the reply's value goes once the handler is done
    got[BUILD] = now_ms() - t;
    t = now_ms();
    game_frame(g, 1);
    got[FIRST_STEP] = now_ms() - t;
    t = now_ms();
    g->paint();
    got[FIRST_PAINT] = now_ms() - t;
    for (int i = 0; i < kFrames; i++) {
      t = now_ms();
      game_frame(g, 1);
      got[STEP] += (now_ms() - t) / kFrames;
      t = now_ms();
      g->paint();
      got[PAINT] += (now_ms() - t) / kFrames;
    }
    for (int k = 0; k < FIGURES; k++) best[k] = std::min(best[k], got[k]);
  }
  std::printf("%-36s parse %6.1f ms  build %6.1f ms  first step %5.1f ms  first paint %5.1f ms  "
              "then step %5.2f ms  paint %5.2f ms a frame  resident %5.0f MiB\n",
              name, best[PARSE], best[BUILD], best[FIRST_STEP], best[FIRST_PAINT], best[STEP], best[PAINT],
              resident_mib());
}

}  // namespace

int main() {
  if (!getenv("DISPLAY")) {
    std::printf("bench_community_page: no DISPLAY, nothing measured\n");
    return 0;
  }
  bench::TempGame run;
  if (!run.made) return 1;
  // Page requests go to a loopback port where nothing listens; the pages
  // measured are handed to the screen directly.
  setenv("TUNNELWICK_SERVICE", "127.0.0.1:1", 1);
  game_hooks.register_menu_states = register_menu_states;
  game_set_dirs(TW_DATA_DIR, std::string(run.dir) + "/bench");
  run.start();
  Game* g = run.g;
  game_switch(g, TRANS_NONE, STATE_MENUS_COMMUNITY);

  const std::string text = long_text(1024);
  // The first page loads the images and fonts of the layout.
  measure(g, "warm-up: 1 level", R"([{"type":"level","title":"a","uname":"b","stars":3}])");
  measure(g, "500 buttons of 1 KB texts", entries(R"({"type":"button","text":")" + text + R"("})", 500));
  measure(g, "500 levels of 1 KB titles and names",
          entries(R"({"type":"level","title":")" + text + R"(","uname":")" + text + R"(","stars":3})", 500));
  measure(g, "500 paragraphs of 1 KB", entries(R"({"type":"text","text":")" + text + R"("})", 500));
  measure(g, "500 tabs of 1 KB texts", entries(R"({"type":"tab","width":80,"text":")" + text + R"("})", 500));
  std::string numbers = "[";
  while (numbers.size() < (16u << 20) - 64) numbers += "1,";
  numbers += "1]";
  measure(g, "16 MiB of numbers", numbers);
  return 0;
}
