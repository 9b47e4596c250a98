// The music track table, and the composer turning each row into bass, chords, drums and melody.
#include "sound/song.h"

#include "common/out.h"

namespace tw {

const std::vector<SongDef>& songs() {
  static const std::vector<SongDef> list = {
    // name          format       bpm root mode prog                      drums seed vol
    {"mus-menus",  Format::Ogg,  92, 57, 0, {0, 5, 2, 6, 0, 5, 3, 4}, 1, 1, 0.8f},
    {"mus-select", Format::Xm,  100, 55, 1, {0, 3, 0, 3, 5, 4, 3, 4}, 1, 2, 0.8f},
    {"mus-outro",  Format::Ogg,  84, 53, 3, {0, 4, 5, 3, 0, 4, 3, 4}, 1, 3, 0.8f},
    {"mus-play1",  Format::Mod, 110, 52, 0, {0, 0, 5, 5, 3, 3, 4, 4}, 2, 4, 0.7f},
    {"mus-play2",  Format::Ogg, 118, 50, 2, {0, 1, 0, 6, 0, 1, 5, 6}, 2, 5, 0.7f},
    {"mus-play3",  Format::Xm,  124, 57, 0, {0, 6, 5, 6, 0, 6, 5, 4}, 2, 6, 0.7f},
    {"mus-play4",  Format::Ogg, 104, 55, 0, {0, 3, 6, 2, 0, 3, 4, 4}, 1, 7, 0.7f},
    {"mus-play5",  Format::Mod, 128, 53, 1, {0, 3, 0, 3, 6, 5, 6, 4}, 2, 8, 0.7f},
    {"mus-play6",  Format::Xm,  132, 50, 0, {0, 5, 6, 4, 0, 5, 3, 4}, 2, 9, 0.7f},
  };
  return list;
}

namespace {

const int kModes[4][7] = {
  {0, 2, 3, 5, 7, 8, 10}, {0, 2, 3, 5, 7, 9, 10}, {0, 1, 3, 5, 7, 8, 10}, {0, 2, 4, 5, 7, 9, 11}};

// Semitones above the tonic of scale step n (any n >= 0).
int degree(int mode, int n) { return kModes[mode][n % 7] + 12 * (n / 7); }

}  // namespace

Score compose(const SongDef& s) {
  Score sc{8 * 16, s.bpm, {}};
  Rng rng(s.seed * 2654435761U);
  bool syncopated = rng.unit() < 0.5f;
  std::vector<Note> lead;
  for (int bar = 0; bar < 8; ++bar) {
    int d = s.prog[bar], at = bar * 16;
    int chord[4] = {degree(s.mode, d), degree(s.mode, d + 2), degree(s.mode, d + 4), degree(s.mode, d) + 12};
    // Bass on the chord's root.
    const int straight[] = {0, 4, 8, 12}, synco[] = {0, 3, 6, 8, 11, 14};
    if (syncopated)
      for (int st : synco) sc.notes.push_back({at + st, 2, BASS, s.root - 12 + chord[0], 48});
    else
      for (int st : straight) sc.notes.push_back({at + st, 3, BASS, s.root - 12 + chord[0] + (st == 12 ? 12 : 0), 48});
    // Broken chord in eighth notes, and a held third for the pad.
    const int arp[8] = {0, 1, 2, 3, 2, 1, 2, 1};
    for (int i = 0; i < 8; ++i) sc.notes.push_back({at + 2 * i, 2, ARP, s.root + 12 + chord[arp[i]], 26});
    sc.notes.push_back({at, 16, PAD, s.root + 12 + chord[1], 22});
    // Drums.
    if (s.drums > 0) {
      for (int st : {0, 8}) sc.notes.push_back({at + st, 1, DRUM, KICK, 60});
      if (s.drums > 1) sc.notes.push_back({at + 10, 1, DRUM, KICK, 48});
      for (int st : {4, 12}) sc.notes.push_back({at + st, 1, DRUM, SNARE, 50});
      for (int st = 0; st < 16; st += 2) sc.notes.push_back({at + st, 1, HAT, CLOSED_HAT, st % 4 ? 18 : 28});
    }
    // Melody: the first four bars are composed, the next four repeat them
    // with a closing phrase that comes home to the tonic.
    if (bar < 4 || bar == 7) {
      for (int beat = 0; beat < 4; ++beat) {
        int st = at + beat * 4;
        if (bar == 7 && beat >= 2) {
          if (beat == 2) lead.push_back({st, 8, LEAD, s.root + 12, 44});
          continue;
        }
        float r = rng.unit();
        if (r < 0.2f) continue;
        int tone = chord[rng.range(0, 3)] + 12;
        if (r < 0.45f) {
          lead.push_back({st, 2, LEAD, s.root + tone, 42});
          lead.push_back({st + 2, 2, LEAD, s.root + tone + (rng.unit() < 0.5f ? 2 : -1), 36});
        } else {
          lead.push_back({st, rng.unit() < 0.5f ? 4 : 3, LEAD, s.root + tone, 42});
        }
      }
    } else {
      for (const Note& n : lead)
        if (n.step >= (bar - 4) * 16 && n.step < (bar - 3) * 16) {
          Note c = n;
          c.step += 64;
          sc.notes.push_back(c);
        }
    }
  }
  sc.notes.insert(sc.notes.end(), lead.begin(), lead.end());
  return sc;
}

}  // namespace tw
