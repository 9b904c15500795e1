#include "EnvelopeShape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarnwick::synth {

namespace {

// 0 at x = 0 rising to 1 at x = 1, flat at both ends.
double RaisedCosine(double x) {
    return 0.5 - 0.5 * std::cos(std::numbers::pi * std::clamp(x, 0.0, 1.0));
}

// The level while the gate is held.
double HeldLevel(const Envelope& envelope, double t) {
    const double attack = std::max(envelope.mAttack, kMinEdgeSeconds);
    if (t < attack)
        return RaisedCosine(t / attack);
    // Within the decay time the distance to the sustain level shrinks to 1 %.
    const double decay = std::max(envelope.mDecay, kMinDecaySeconds);
    const double fall = std::exp(-4.6 * (t - attack) / decay);
    return envelope.mSustain + (1.0 - envelope.mSustain) * fall;
}

} // namespace

double EnvelopeLevel(const Envelope& envelope, double gate, double t) {
    if (t <= 0)
        return 0;
    if (t < gate)
        return HeldLevel(envelope, t);
    const double release = std::max(envelope.mRelease, kMinEdgeSeconds);
    return HeldLevel(envelope, gate) * (1.0 - RaisedCosine((t - gate) / release));
}

double EnvelopeEnd(const Envelope& envelope, double gate) {
    return gate + std::max(envelope.mRelease, kMinEdgeSeconds);
}

} // namespace tarnwick::synth
