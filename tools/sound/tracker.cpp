// The tracker module writers. Melodic instruments are single-cycle loops
// whose pitch follows the note; drums are one-shot recordings.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/out.h"
#include "sound/encode.h"
#include "sound/render.h"
#include "sound/synth.h"

namespace tw {

namespace {

void be16(std::string& s, int v) { s += char((v >> 8) & 255); s += char(v & 255); }
void le16(std::string& s, int v) { s += char(v & 255); s += char((v >> 8) & 255); }
void le32(std::string& s, uint32_t v) { for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 255); }
void text(std::string& s, const std::string& t, size_t n) {
  std::string f = t.substr(0, n);
  f.resize(n, '\0');
  s += f;
}

std::vector<float> cycle(Wave w, int len) {
  std::vector<float> c(len);
  for (int i = 0; i < len; ++i) c[i] = osc(w, double(i) / len);
  return c;
}

// Shifts a key by octaves into [lo, hi].
int fit(int key, int lo, int hi) {
  while (key < lo) key += 12;
  while (key > hi) key -= 12;
  return key;
}

// The lane's notes cell by cell: note-on rows and, for looping sounds, the
// row where the note must stop because nothing follows it at once.
struct Cell {
  int key = 0, vel = 0;
  bool off = false;
};
std::vector<Cell> lane_cells(const Score& s, int lane, int key_filter = -1) {
  std::vector<Cell> cells(s.steps);
  for (const Note& n : s.notes) {
    if (n.lane != lane || (key_filter >= 0 && n.key != key_filter)) continue;
    cells[n.step].key = n.key;
    cells[n.step].vel = n.vel;
    cells[n.step].off = false;
    int end = (n.step + n.len) % s.steps;
    if (cells[end].key == 0) cells[end].off = true;
  }
  return cells;
}

// ProTracker periods of C-1 to B-3.
const int kPeriods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                          428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                          214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

}  // namespace

bool write_mod(const std::string& path, const std::string& title, const Score& s) {
  // Samples: 1 bass (64-sample saw), 2 arp (32 square), 3 lead (32 triangle),
  // 4 kick, 5 snare; drums are recorded at the rate C-2 plays them back.
  const int drum_rate = 8287;
  std::vector<std::vector<float>> smp = {cycle(Wave::Saw, 64), cycle(Wave::Square, 32), cycle(Wave::Tri, 32),
                                         drum_hit(KICK, drum_rate), drum_hit(SNARE, drum_rate)};
  const int volumes[5] = {48, 24, 40, 64, 48};
  std::string out;
  text(out, title, 20);
  for (int i = 0; i < 31; ++i) {
    if (i < 5) {
      const char* names[5] = {"bass", "arp", "lead", "kick", "snare"};
      text(out, names[i], 22);
      be16(out, int(smp[i].size() / 2));
      out += char(0);
      out += char(volumes[i]);
      be16(out, 0);
      be16(out, i < 3 ? int(smp[i].size() / 2) : 1);
    } else {
      text(out, "", 22);
      be16(out, 0); out += char(0); out += char(0); be16(out, 0); be16(out, 1);
    }
  }
  int patterns = (s.steps + 63) / 64;
  out += char(patterns);
  out += char(127);
  for (int i = 0; i < 128; ++i) out += char(i < patterns ? i : 0);
  out += "M.K.";
  std::vector<Cell> bass = lane_cells(s, BASS), arp = lane_cells(s, ARP), lead = lane_cells(s, LEAD),
                    drum = lane_cells(s, DRUM);
  for (int row = 0; row < patterns * 64; ++row) {
    for (int ch = 0; ch < 4; ++ch) {
      const Cell& c = (ch == 0 ? bass : ch == 1 ? arp : ch == 2 ? lead : drum)[row % s.steps];
      int sample = 0, period = 0, fx = 0, param = 0;
      if (c.key) {
        if (ch == 3) {
          sample = c.key == KICK ? 4 : 5;
          period = 428;
        } else {
          // Keys map onto C-1..B-3 from C2 for the 64-sample cycle, C3 for the 32.
          int base = ch == 0 ? 36 : 48;
          sample = ch + 1;
          period = kPeriods[fit(c.key, base, base + 35) - base];
        }
      } else if (c.off && ch < 3) {
        fx = 0xC;  // volume 0 ends the held note
      }
      if (row == 0 && ch == 3) { fx = 0xF; param = s.bpm; }
      out += char((sample & 0xF0) | ((period >> 8) & 0x0F));
      out += char(period & 255);
      out += char(((sample & 0x0F) << 4) | fx);
      out += char(param);
    }
  }
  for (const auto& v : smp)
    for (float f : v) out += char(int8_t(std::lround(std::clamp(f, -1.0f, 1.0f) * 127)));
  return write_file(path, out);
}

bool write_xm(const std::string& path, const std::string& title, const Score& s) {
  const int channels = 6, rows = 64;
  int patterns = (s.steps + rows - 1) / rows;
  std::string out = "Extended Module: ";
  text(out, title, 20);
  out += char(0x1a);
  text(out, "tw_mksound", 20);
  le16(out, 0x0104);
  le32(out, 276);
  le16(out, patterns);  // song length
  le16(out, 0);         // restart position
  le16(out, channels);
  le16(out, patterns);
  le16(out, 7);  // instruments
  le16(out, 1);  // linear frequency table
  le16(out, 6);  // ticks per row
  le16(out, s.bpm);
  for (int i = 0; i < 256; ++i) out += char(i < patterns ? i : 0);

  // Lanes: bass, arp, lead, pad, kick and snare, hat; instruments 1-7:
  // bass, arp, lead, pad, kick, snare, hat.
  std::vector<Cell> lanes[channels] = {lane_cells(s, BASS), lane_cells(s, ARP), lane_cells(s, LEAD),
                                       lane_cells(s, PAD), lane_cells(s, DRUM), lane_cells(s, HAT)};
  for (int p = 0; p < patterns; ++p) {
    std::string data;
    for (int r = 0; r < rows; ++r)
      for (int ch = 0; ch < channels; ++ch) {
        const Cell& c = lanes[ch][(p * rows + r) % s.steps];
        int note = 0, ins = 0, vol = 0;
        if (c.key) {
          if (ch >= 4) {
            note = 49;  // C-4 plays a drum at its own rate
            ins = ch == 5 ? 7 : (c.key == KICK ? 5 : 6);
          } else {
            note = fit(c.key, 24, 107) - 11;  // C4 (key 60) is note 49 with the samples' relative notes
            ins = ch + 1;
          }
          vol = 0x10 + std::min(64, c.vel);
        } else if (c.off && ch < 4) {
          note = 97;  // key off
        }
        data += char(note);
        data += char(ins);
        data += char(vol);
        data += char(0);
        data += char(0);
      }
    le32(out, 9);
    out += char(0);
    le16(out, rows);
    le16(out, int(data.size()));
    out += data;
  }

  const int rate = 8363;
  struct Inst {
    const char* name;
    std::vector<float> pcm;
    bool loop;
    int relnote, volume, pan;
  };
  std::vector<Inst> inst = {
    {"bass", cycle(Wave::Saw, 128), true, 24, 48, 128},
    {"arp", cycle(Wave::Square, 128), true, 24, 20, 80},
    {"lead", cycle(Wave::Tri, 128), true, 24, 44, 170},
    {"pad", cycle(Wave::Saw, 128), true, 24, 14, 110},
    {"kick", drum_hit(KICK, rate), false, 0, 64, 128},
    {"snare", drum_hit(SNARE, rate), false, 0, 44, 140},
    {"hat", drum_hit(CLOSED_HAT, rate), false, 0, 24, 170},
  };
  for (const Inst& in : inst) {
    le32(out, 263);
    text(out, in.name, 22);
    out += char(0);
    le16(out, 1);
    le32(out, 40);
    out += std::string(96, '\0');   // every key plays sample 0
    out += std::string(96, '\0');   // no envelopes
    out += std::string(14, '\0');
    le16(out, 0);                   // fade-out
    out += std::string(22, '\0');
    // Sample header, then its 16-bit data as deltas.
    uint32_t bytes = uint32_t(in.pcm.size() * 2);
    le32(out, bytes);
    le32(out, 0);
    le32(out, in.loop ? bytes : 0);
    out += char(in.volume);
    out += char(0);
    out += char((in.loop ? 1 : 0) | 0x10);
    out += char(in.pan);
    out += char(int8_t(in.relnote));
    out += char(0);
    text(out, in.name, 22);
    int16_t prev = 0;
    for (float f : in.pcm) {
      int16_t v = int16_t(std::lround(std::clamp(f, -1.0f, 1.0f) * 24000));
      le16(out, uint16_t(int16_t(v - prev)));
      prev = v;
    }
  }
  return write_file(path, out);
}

}  // namespace tw
