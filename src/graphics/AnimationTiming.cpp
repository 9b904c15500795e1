#include "graphics/AnimationTiming.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <numeric>

namespace ravix {

namespace {

// Delays come from manifests; a cycle longer than the int range is capped rather than wrapped.
int SaturatedInt(int64_t value) {
    return static_cast<int>(std::min<int64_t>(value, INT_MAX));
}

} // namespace

void AnimationTiming::SetPerFrameDelay(int frame, int delay) {
    if (frame < 0) {
        return;
    }
    if (static_cast<int>(mPerFrameDelay.size()) <= frame) {
        mPerFrameDelay.resize(frame + 1, 0);
    }
    mPerFrameDelay[frame] = delay;
}

void AnimationTiming::Compute(int numCels, int beginDelay, int endDelay) {
    mFrameCount = std::max(numCels, 1);
    mFrameDelay = std::max(mFrameDelay, 1);

    if (mPlayMode == kPingPong && numCels > 1) {
        mFrameMap.clear();
        for (int cell = 0; cell < numCels; ++cell) {
            mFrameMap.push_back(cell);
        }
        for (int cell = numCels - 2; cell >= 1; --cell) {
            mFrameMap.push_back(cell);
        }
    }
    if (!mFrameMap.empty()) {
        mFrameCount = static_cast<int>(mFrameMap.size());
    }

    if (beginDelay > 0) {
        SetPerFrameDelay(0, beginDelay);
    }
    if (endDelay > 0) {
        SetPerFrameDelay(mFrameCount - 1, endDelay);
    }

    if (!mPerFrameDelay.empty()) {
        mPerFrameDelay.resize(mFrameCount, 0);
        for (int& delay : mPerFrameDelay) {
            if (delay < 1) {
                delay = mFrameDelay;
            }
        }
        mCycleLength =
            SaturatedInt(std::accumulate(mPerFrameDelay.begin(), mPerFrameDelay.end(), int64_t{0}));
    } else {
        mCycleLength = SaturatedInt(int64_t{mFrameCount} * mFrameDelay);
    }
}

} // namespace ravix
