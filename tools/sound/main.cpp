// tw_mksound: synthesises the sound effects and the music.
//
//   tw_mksound <data dir> <catalogue fragment> <volumes.tsv>
//
// Writes "sfx/<name>.wav" and "music/<name>.<ogg|mod|xm>" into the data
// directory, the "samples" and "music" members of "data.json" into the
// fragment, and the catalogue volumes for "gameinfo.db" into the table.
#include <cstdio>
#include <string>

#include "common/out.h"
#include "sound/encode.h"
#include "sound/render.h"
#include "sound/synth.h"
#include "sound/wav.h"

using namespace tw;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tw_mksound <data dir> <catalogue fragment> <volumes.tsv>\n");
    return 2;
  }
  std::string data = argv[1];
  if (!make_dirs(data + "/sfx") || !make_dirs(data + "/music")) return 1;
  std::string samples, music, volumes;
  char vol[32];
  for (const Effect& e : effects()) {
    std::string file = std::string("sfx/") + e.name + ".wav";
    if (!write_wav(data + "/" + file, e.rate, e.channels, e.bits, render_effect(e))) return 1;
    std::snprintf(vol, sizeof vol, "%.2f", e.volume);
    samples += std::string(samples.empty() ? "\n  " : ",\n  ") + json_str(e.name) + ":{\"file\":" + json_str(file) +
               ",\"volume\":" + vol + "}";
    volumes += std::string("sfx ") + e.name + " " + vol + "\n";
  }
  for (const SongDef& s : songs()) {
    Score sc = compose(s);
    const char* ext = s.format == Format::Ogg ? ".ogg" : s.format == Format::Mod ? ".mod" : ".xm";
    std::string file = std::string("music/") + s.name + ext, path = data + "/" + file;
    bool ok = s.format == Format::Ogg ? write_ogg(path, render_score(sc, 22050), 22050, 0.2f)
              : s.format == Format::Mod ? write_mod(path, s.name, sc)
                                        : write_xm(path, s.name, sc);
    if (!ok) return 1;
    std::snprintf(vol, sizeof vol, "%.2f", s.volume);
    music += std::string(music.empty() ? "\n  " : ",\n  ") + json_str(s.name) + ":{\"file\":" + json_str(file) +
             ",\"volume\":" + vol + "}";
    volumes += std::string("music ") + s.name + " " + vol + "\n";
  }
  std::string frag = "\"samples\":{" + samples + "\n},\n\"music\":{" + music + "\n}";
  return write_file(argv[2], frag) && write_file(argv[3], volumes) ? 0 : 1;
}
