#pragma once

#include <vector>

namespace ravix {

// Timing of an image's cells played as an animation.
class AnimationTiming {
public:
    enum PlayMode : int { kNone = 0, kOnce = 1, kPingPong = 2, kLoop = 3 };

    // Grows the per-frame delays to at least frame + 1 entries and stores the delay.
    void SetPerFrameDelay(int frame, int delay);

    // Settles the frame count, the frame map and the cycle length for an image of numCels cells;
    // a positive beginDelay / endDelay sets the delay of the first / last frame.
    void Compute(int numCels, int beginDelay, int endDelay);

    int mPlayMode = kNone;
    int mFrameDelay = 1;
    int mFrameCount = 1;
    std::vector<int> mPerFrameDelay; // empty: every frame lasts mFrameDelay
    std::vector<int> mFrameMap;      // empty: cells 0 .. mFrameCount - 1 in order
    int mCycleLength = 0;            // sum of the frame delays
};

} // namespace ravix
