#pragma once

#include "Audio.h"
#include "LoopEncoder.h"
#include "Recipe.h"
#include "RecipeParser.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::synth {

// Figures of a finished sound, measured before encoding, and a loop's decoded seam.
struct SoundStats {
    int mChannels = 0;
    size_t mFrames = 0;
    double mPeakDb = 0;
    double mLoudestRmsDb = 0; // the loudest 50 ms
    double mRmsDb = 0;        // the whole sound
    std::optional<LoopSeam> mSeam;
};

// The quality the game's sounds are encoded at (Vorbis VBR scale -0.1..1).
inline constexpr double kOggQuality = 0.45;

// Renders and normalises a parsed recipe.
[[nodiscard]] bool SynthesizeRecipe(const Recipe& recipe, Audio& audio, std::string& error);

// Encodes a synthesised sound as Ogg Vorbis; a loop so that it plays round without a click
// (its seam is then stored in stats).
[[nodiscard]] bool EncodeSound(const Recipe& recipe, const Audio& audio, std::string& bytes,
                               SoundStats& stats, std::string& error);

// Parses, renders and encodes a recipe text; on failure error says why, with the line when a
// line was refused.
[[nodiscard]] bool SynthesizeText(std::string_view text, std::string& bytes, SoundStats& stats,
                                  RecipeError& error);

// Reads the recipe at recipePath and writes it as an Ogg Vorbis file to outPath (through a
// temporary file, so a failure leaves no torn file). On failure error reads
// "PATH:LINE: message" for a refused line, "PATH: message" otherwise.
[[nodiscard]] bool SynthesizeFile(const std::string& recipePath, const std::string& outPath,
                                  SoundStats& stats, std::string& error);

SoundStats MeasureSound(const Audio& audio);

} // namespace tarnwick::synth
