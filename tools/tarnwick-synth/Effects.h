#pragma once

#include "Audio.h"
#include "Recipe.h"

namespace tarnwick::synth {

// How an effect meets the ends of the sound.
enum class Wrap {
    kNone,     // the sound starts from silence
    kCircular, // a loop: the effect starts with the tail of the loop's own end
};

// Adds a small room: parallel damped comb filters into all-pass filters, per channel with
// slightly different delays so that stereo output gets width.
void ApplyReverb(Audio& audio, const Reverb& reverb, Wrap wrap);

// Adds a repeat after delay seconds, each repeat feedback times the one before.
void ApplyEcho(Audio& audio, const Echo& echo, Wrap wrap);

// Seconds after the last note until the effects have died away (to about -60 dB).
double EffectTail(const Recipe& recipe);

} // namespace tarnwick::synth
