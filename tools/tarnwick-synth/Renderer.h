#pragma once

#include "Audio.h"
#include "Recipe.h"

#include <string>

namespace tarnwick::synth {

// Plays every note of the recipe into a buffer of the recipe's length and channels, adds its
// reverb and echo, and fades the ends of a sound that is not a loop. A loop is mixed
// circularly: a note or effect tail that runs past the end continues at the start, so the last
// sample leads into the first. Levels are left as they come (see Levels.h). False (with error)
// when the recipe would take too much work to render.
[[nodiscard]] bool RenderRecipe(const Recipe& recipe, Audio& audio, std::string& error);

// The samples of one note on one instrument, without pan, from the note's start to the end of
// its release, its pitch moved by detune cents. Noise draws from a generator started from seed.
std::vector<double> RenderVoice(const Instrument& instrument, const Note& note, double detune,
                                uint64_t seed);

} // namespace tarnwick::synth
