#pragma once

#include "Audio.h"

#include <optional>

namespace tarnwick::synth {

// The largest absolute sample.
double PeakLevel(const Audio& audio);

// The RMS (all channels together) of the loudest stretch of window seconds, or of the whole
// sound when it is shorter: how loud a short sound seems, without its quiet tail pulling it down.
double LoudestRms(const Audio& audio, double window);

inline constexpr double kLoudnessWindow = 0.05;

// Scales the sound so that its peak lies at peakDb dBFS, or lower when a loudness is given and
// a lower gain brings the loudest 50 ms to that RMS. A peak at or below 0 dBFS never clips.
void Normalize(Audio& audio, double peakDb, std::optional<double> loudnessDb);

double ToDb(double level);

} // namespace tarnwick::synth
