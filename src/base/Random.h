#pragma once

#include <cstdint>

namespace ravix {

// The program's random generator: a linear congruential generator with the constants the game's
// recorded behaviour depends on, so that a seed yields the same numbers on every system.
class Random {
public:
    explicit Random(uint32_t seed = 1) : mState(seed) {}

    void Seed(uint32_t seed) { mState = seed; }
    // The next number, 0 to kMax.
    int Next() {
        mState = mState * 214013u + 2531011u;
        return static_cast<int>((mState >> 16) & kMax);
    }

    static constexpr int kMax = 0x7FFF;

private:
    uint32_t mState;
};

// The process-wide generator, seeded once at start-up. Main thread only.
extern Random gRandom;

} // namespace ravix
