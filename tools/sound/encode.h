// Music files: Ogg Vorbis from PCM, and the tracker modules written from a
// score.
#pragma once
#include <string>
#include <vector>

#include "sound/song.h"

namespace tw {

// Interleaved stereo float samples at the rate, VBR at the quality (-0.1..1).
bool write_ogg(const std::string& path, const std::vector<float>& stereo, int rate, float quality);
// Four-channel ProTracker module ("M.K.").
bool write_mod(const std::string& path, const std::string& title, const Score& s);
// Six-channel extended module with 16-bit samples.
bool write_xm(const std::string& path, const std::string& title, const Score& s);

}  // namespace tw
