#pragma once

#include <cstddef>
#include <vector>

namespace tarnwick::synth {

// Rendered sound: interleaved samples in double precision, full scale +-1.
struct Audio {
    int mChannels = 1;
    std::vector<double> mSamples;

    size_t Frames() const { return mSamples.size() / size_t(mChannels); }
};

} // namespace tarnwick::synth
