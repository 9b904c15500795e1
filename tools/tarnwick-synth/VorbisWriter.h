#pragma once

#include "Audio.h"

#include <string>

namespace tarnwick::synth {

// Encodes the first frames frames of the sound as Ogg Vorbis at 44100 Hz with variable bit rate
// quality (-0.1..1). Frames past that are encoded too, as what follows the end, and then cut
// off by the stream's stated length: a loop passes its own start there, so that its last
// samples decode as cleanly as any others and lead into the first. The stream's serial number
// is fixed and nothing else comes from outside, so the same samples always give the same bytes.
// False (with error) when the encoder refuses the format.
[[nodiscard]] bool EncodeOggVorbis(const Audio& audio, size_t frames, double quality,
                                   std::string& bytes, std::string& error);

} // namespace tarnwick::synth
