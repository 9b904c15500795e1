#pragma once

#include "Recipe.h"

namespace tarnwick::synth {

// The shortest attack and release a voice gets, so that no note starts or stops with a jump
// (a click) even when the recipe asks for 0.
inline constexpr double kMinEdgeSeconds = 0.002;
// The shortest decay: its exponential fall starts no steeper than the shortest ramp rises.
inline constexpr double kMinDecaySeconds = 3 * kMinEdgeSeconds;

// The level (0..1) of an envelope t seconds after the note starts, for a gate held gate seconds.
// The attack and the release are raised-cosine ramps, which start and end with zero slope; the
// decay falls exponentially towards the sustain level, so the curve is continuous everywhere,
// also when the gate ends during the attack or decay (the release starts from the level reached).
double EnvelopeLevel(const Envelope& envelope, double gate, double t);

// Seconds after the note's start when its release has ended.
double EnvelopeEnd(const Envelope& envelope, double gate);

} // namespace tarnwick::synth
