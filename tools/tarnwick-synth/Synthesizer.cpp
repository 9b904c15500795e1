#include "Synthesizer.h"

#include "Levels.h"
#include "Renderer.h"
#include "VorbisWriter.h"
#include "files/AtomicFile.h"
#include "files/WholeFile.h"

namespace tarnwick::synth {

namespace {

// Recipes are short texts; anything larger is not one.
constexpr size_t kMaxRecipeBytes = 1 << 20;

} // namespace

bool SynthesizeRecipe(const Recipe& recipe, Audio& audio, std::string& error) {
    if (!RenderRecipe(recipe, audio, error))
        return false;
    Normalize(audio, recipe.mPeakDb, recipe.mLoudnessDb);
    return true;
}

bool EncodeSound(const Recipe& recipe, const Audio& audio, std::string& bytes, SoundStats& stats,
                 std::string& error) {
    if (!recipe.mLoop)
        return EncodeOggVorbis(audio, audio.Frames(), kOggQuality, bytes, error);
    LoopSeam seam;
    if (!EncodeLoop(audio, kOggQuality, bytes, seam, error))
        return false;
    stats.mSeam = seam;
    return true;
}

SoundStats MeasureSound(const Audio& audio) {
    SoundStats stats;
    stats.mChannels = audio.mChannels;
    stats.mFrames = audio.Frames();
    stats.mPeakDb = ToDb(PeakLevel(audio));
    stats.mLoudestRmsDb = ToDb(LoudestRms(audio, kLoudnessWindow));
    stats.mRmsDb = ToDb(LoudestRms(audio, double(audio.Frames()) / kSampleRate));
    return stats;
}

bool SynthesizeText(std::string_view text, std::string& bytes, SoundStats& stats,
                    RecipeError& error) {
    Recipe recipe;
    if (!ParseRecipe(text, recipe, error))
        return false;
    error.mLine = 0;
    Audio audio;
    if (!SynthesizeRecipe(recipe, audio, error.mMessage))
        return false;
    stats = MeasureSound(audio);
    return EncodeSound(recipe, audio, bytes, stats, error.mMessage);
}

bool SynthesizeFile(const std::string& recipePath, const std::string& outPath, SoundStats& stats,
                    std::string& error) {
    std::string text;
    switch (ravix::ReadWholeFile(recipePath, kMaxRecipeBytes, text)) {
    case ravix::WholeFileResult::kRead:
        break;
    case ravix::WholeFileResult::kMissing:
        error = recipePath + ": cannot read the recipe";
        return false;
    case ravix::WholeFileResult::kTooLarge:
        error = recipePath + ": larger than a recipe can be";
        return false;
    }
    std::string bytes;
    RecipeError recipeError;
    if (!SynthesizeText(text, bytes, stats, recipeError)) {
        error = recipePath + ":" +
                (recipeError.mLine > 0 ? std::to_string(recipeError.mLine) + ":" : "") + " " +
                recipeError.mMessage;
        return false;
    }
    if (!ravix::WriteFileAtomically(outPath, bytes, ravix::FileAccess::Shared)) {
        error = outPath + ": cannot write the sound";
        return false;
    }
    return true;
}

} // namespace tarnwick::synth
