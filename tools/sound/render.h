// Renders a composed score to PCM, and the instrument samples the tracker
// modules use.
#pragma once
#include <vector>

#include "sound/song.h"

namespace tw {

// Interleaved stereo at the rate; the loop's tails wrap round to its start
// so that it repeats without a seam.
std::vector<float> render_score(const Score& s, int rate);

// One drum hit (KICK, SNARE or CLOSED_HAT) at the rate, mono.
std::vector<float> drum_hit(int key, int rate);

}  // namespace tw
