// Reads the input as a tarnwick-synth recipe. A recipe that is accepted must describe a sound
// the renderer can make within its bounds; one that is refused must say why, and where.
#include "EnvelopeShape.h"
#include "RecipeParser.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tarnwick::synth;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Recipe recipe;
    RecipeError error;
    if (!ParseRecipe(text, recipe, error)) {
        if (error.mMessage.empty() || error.mLine < 0)
            std::abort();
        return 0;
    }
    if (recipe.mNotes.empty() || (recipe.mChannels != 1 && recipe.mChannels != 2) ||
        (recipe.mLoop && recipe.mLength <= 0) || recipe.mLength > kMaxSeconds)
        std::abort();
    for (const Instrument& instrument : recipe.mInstruments)
        if (!instrument.mNoise && instrument.mPartials.empty())
            std::abort();
    for (const Note& note : recipe.mNotes) {
        if (note.mInstrument < 0 || size_t(note.mInstrument) >= recipe.mInstruments.size())
            std::abort();
        if (!(note.mFrequency >= 8 && note.mFrequency <= 20000) || note.mDuration <= 0 ||
            note.mStart < 0 || note.mStart + note.mDuration > kMaxSeconds)
            std::abort();
        const Envelope& envelope = recipe.mInstruments[size_t(note.mInstrument)].mEnvelope;
        if (!std::isfinite(EnvelopeEnd(envelope, note.mDuration)))
            std::abort();
    }
    return 0;
}
