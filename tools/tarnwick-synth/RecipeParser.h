#pragma once

#include "Recipe.h"

#include <string>
#include <string_view>

namespace tarnwick::synth {

// Where and why a recipe was refused; line 0 for the recipe as a whole.
struct RecipeError {
    int mLine = 0;
    std::string mMessage;
};

// Reads a recipe: one statement a line, words separated by blanks, "#" to the end of a line a
// comment.
//
//   channels 1|2                  mono (the default) or stereo
//   tempo BPM                     times after this are in beats (default: seconds); must come
//                                 before the first line with a time
//   length TIME                   the output's length (default: until the last sound ends)
//   loop                          a loop: sound past the end wraps round onto the start
//                                 (needs a length)
//   level DB [loudness=DB]        peak level (dBFS, default -3); with a loudness, the gain is
//                                 the lower of the two that reach the peak and the loudest
//                                 50 ms reaching that RMS
//   seed N                        the start of the noise generator
//   reverb [mix= time= damp=]     a gentle room; echo [mix= delay= feedback=] a repeat
//   instrument NAME [wave=sine|triangle|square|saw|noise] [partials=RATIO:AMP,...]
//              [attack= decay= sustain= release= gain= pan= damp= glide= glidetime=
//               chorus= band= q=]
//   play NAME TIME DURATION PITCH[+PITCH...]... [gain= pan=]
//                                 the pitches sound together
//   seq NAME TIME STEP ITEM... [gain= pan= legato=]
//                                 ITEM is PITCH[+PITCH...][:STEPS] or -[:STEPS] (a rest);
//                                 each item lasts STEPS x STEP (1 step by default)
//
// PITCH is a note name (C4, F#3, Bb5; A4 = 440 Hz) or a frequency ("523.25hz"). Envelope
// times are always seconds. Every value is range-checked, so that a recipe cannot ask for
// unbounded work or memory.
[[nodiscard]] bool ParseRecipe(std::string_view text, Recipe& recipe, RecipeError& error);

// The frequency of a pitch ("A4", "C#5", "Eb3", "110hz"); false when it is not one.
[[nodiscard]] bool ParsePitch(std::string_view text, double& frequency);

} // namespace tarnwick::synth
