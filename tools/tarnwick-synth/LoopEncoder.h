#pragma once

#include "Audio.h"

#include <cstddef>
#include <string>

namespace tarnwick::synth {

// How well a loop's decoded end joins its decoded start, in 16-bit sample units, the largest
// over the channels.
struct LoopSeam {
    size_t mShift = 0;       // frames the loop was turned by (its sound starts this much later)
    double mJump = 0;        // the step from the last decoded frame to the first
    double mTypicalStep = 0; // the median step near the seam
    // How far the seam's step strays from the steps on either side of it (what a click is),
    // and the 90th percentile of that figure at the frames near the seam.
    double mBend = 0;
    double mTypicalBend = 0;
};

// Encodes a loop as Ogg Vorbis so that it plays round without a click. The samples themselves
// join (the renderer mixes circularly), but lossy coding leaves an error of its own at each end
// of the file, and where the two ends meet those errors need not agree. So the loop is turned
// by a few milliseconds at a time, encoded, and its seam decoded, until the step across the
// seam bends no more than the steps near it do, or too little to hear (else the try that bends
// least is kept). The
// encoding is deterministic, so the same loop always takes the same turn.
[[nodiscard]] bool EncodeLoop(const Audio& audio, double quality, std::string& bytes,
                              LoopSeam& seam, std::string& error);

// Measures the seam of an encoded loop by decoding its ends; false when it does not decode.
[[nodiscard]] bool MeasureLoopSeam(const std::string& bytes, LoopSeam& seam);

} // namespace tarnwick::synth
