// Prints what the outbox's resend pass costs the main thread with many
// entries pending (the frame that runs the pass and the worst of the frames
// after it that send what waits) and the memory the outbox holds once the
// pass ran. A benchmark: it measures and prints, it does not judge.
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "game/game.h"
#include "game/headless.h"
#include "game/hooks.h"
#include "online/online.h"
#include "online/reliable.h"
#include "online/web_loop.h"
#include "util/db.h"
#include "util/json.h"
#include "../support/bench_clock.h"

namespace {

const int kFollowing = 600;  // frames measured after the pass
long g_now = 1700000000;
long fake_clock() { return g_now; }

double held_kib() { return mallinfo2().uordblks / 1024.0; }

// A score as the game makes it, with about 3 KiB of fields.
var payload(int i) {
  var post = var_dict("lid", std::to_string(i), "ltitle", std::string(3000, 't'), "sid", std::string(32, 'f'));
  var as = var_dict("uid", "a:x", "name", "", "token", std::string(32, 'e'), "udid", "x");
  return var_dict("action", "scores", "post", post, "identity", as);
}

void measure(int entries) {
  char dir[] = "/tmp/tunnelwick-bench-XXXXXX";
  if (!mkdtemp(dir)) return;
  std::string user = std::string(dir) + "/user";
  std::filesystem::create_directories(user);
  {
    DBWrap db;
    db_open(db, user + "/reliable.db");
    db_query(db, "create table events (n text primary key, name text, data blob, ts int)");
    db_query(db, "begin");
    for (int i = 0; i < entries; i++)
      db_query(db, "insert into events (n,name,data,ts) values (?,?,?,?)",
               var_list(std::to_string(1000000 + i), "web", json_dump(payload(i)), std::to_string(g_now - 1000)));
    db_query(db, "commit");
  }
  game_hooks = GameHooks();
  online_install_hooks(&game_hooks);
  game_reliable_set_clock(fake_clock);
  // The outbox's lines would drown the figures.
  std::fflush(stderr);
  int saved = dup(2), null = open("/dev/null", O_WRONLY);
  dup2(null, 2);
  Game* g = game_headless_start(TW_DATA_DIR, user);
  double before = held_kib();
  double t = bench::wall();
  game_reliable_frame(g);
  double pass_ms = 1e3 * (bench::wall() - t);
  double held = held_kib() - before;
  double worst = 0, worst_cpu = 0;
  bench::Figures following;
  for (int i = 0; i < kFollowing; i++) {
    web_loop(g);
    double w = bench::wall(), c = bench::cpu();
    game_reliable_frame(g);
    following.add(bench::wall() - w, bench::cpu() - c);
    worst = std::max(worst, 1e3 * (bench::wall() - w));
    worst_cpu = std::max(worst_cpu, 1e3 * (bench::cpu() - c));
  }
  game_headless_stop();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  close(null);
  std::printf("%5d entries: pass frame %7.2f ms, worst of %d frames after %6.2f ms (cpu %5.2f ms), "
              "outbox holds %8.0f KiB\n", entries, pass_ms, kFollowing, worst, worst_cpu, held);
  char what[64];
  std::snprintf(what, sizeof what, "%5d entries, frames after the pass:", entries);
  following.print(what);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace

int main() {
  // Requests go to a loopback port where nothing listens: each one fails
  // at once and frees its slot for the next entry.
  setenv("TUNNELWICK_SERVICE", "127.0.0.1:1", 1);
  for (int entries : {500, 10000}) measure(entries);
  return 0;
}
