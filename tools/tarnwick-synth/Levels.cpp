#include "Levels.h"

#include "Recipe.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::synth {

double PeakLevel(const Audio& audio) {
    double peak = 0;
    for (double sample : audio.mSamples)
        peak = std::max(peak, std::abs(sample));
    return peak;
}

double LoudestRms(const Audio& audio, double window) {
    const size_t frames = audio.Frames();
    const size_t channels = size_t(audio.mChannels);
    const size_t span =
        std::clamp<size_t>(size_t(window * kSampleRate), 1, std::max<size_t>(frames, 1));
    // Running sum of squares over the window, sliding one frame at a time.
    double sum = 0, loudest = 0;
    for (size_t frame = 0; frame < frames; ++frame) {
        for (size_t c = 0; c < channels; ++c) {
            const double in = audio.mSamples[frame * channels + c];
            sum += in * in;
            if (frame >= span) {
                const double out = audio.mSamples[(frame - span) * channels + c];
                sum -= out * out;
            }
        }
        if (frame + 1 >= span)
            loudest = std::max(loudest, sum);
    }
    return std::sqrt(std::max(0.0, loudest) / double(span * channels));
}

void Normalize(Audio& audio, double peakDb, std::optional<double> loudnessDb) {
    const double peak = PeakLevel(audio);
    if (peak <= 0)
        return;
    double gain = std::pow(10.0, peakDb / 20.0) / peak;
    if (loudnessDb) {
        const double rms = LoudestRms(audio, kLoudnessWindow);
        gain = std::min(gain, std::pow(10.0, *loudnessDb / 20.0) / rms);
    }
    for (double& sample : audio.mSamples)
        sample *= gain;
}

double ToDb(double level) {
    return level > 0 ? 20.0 * std::log10(level) : -999.0;
}

} // namespace tarnwick::synth
