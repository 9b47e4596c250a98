// The music: each track is a table row (tempo, key, mode, chord
// progression, drum style) that compose() turns into notes. The same notes
// are rendered to PCM for Ogg Vorbis or written as tracker patterns.
#pragma once
#include <vector>

namespace tw {

enum class Format { Ogg, Mod, Xm };

struct SongDef {
  const char* name;
  Format format;
  int bpm;
  int root;     // MIDI key of the tonic, around the bass register
  int mode;     // 0 minor, 1 dorian, 2 phrygian, 3 major
  int prog[8];  // scale degree (0-6) of each bar's chord
  int drums;    // 0 none, 1 steady, 2 driving
  unsigned seed;
  float volume;
};

// Instrument lanes.
enum Lane { BASS = 0, ARP = 1, LEAD = 2, PAD = 3, DRUM = 4, HAT = 5, LANES = 6 };
enum DrumKey { KICK = 36, SNARE = 38, CLOSED_HAT = 42 };

struct Note {
  int step, len, lane, key, vel;  // vel 1..64
};

struct Score {
  int steps;       // sixteenth notes in the loop
  int bpm;
  std::vector<Note> notes;
};

const std::vector<SongDef>& songs();
Score compose(const SongDef& s);

}  // namespace tw
