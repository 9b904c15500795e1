#include "app/FrameScheduler.h"

#include <algorithm>
#include <cmath>

namespace ravix {

void FrameScheduler::StepTimeAccumulator(int64_t now) {
    if (mAccumulatorStarted) {
        mTimeAccumulator = std::min(
            kMaxTimeBacklog, mTimeAccumulator + static_cast<double>(now - mLastAccumulatorStep));
    }
    mAccumulatorStarted = true;
    mLastAccumulatorStep = now;
}

void FrameScheduler::ResetTiming(int64_t now) {
    mTimeAccumulator = 0;
    mLastAccumulatorStep = now;
    mAccumulatorStarted = true;
}

void FrameScheduler::ConsumeFrame(double frameInterval, bool paced) {
    mTimeAccumulator = paced ? std::max(0.0, mTimeAccumulator - frameInterval - 0.2)
                             : mTimeAccumulator - frameInterval;
}

int FrameScheduler::MillisecondsToNextUpdate(double frameInterval) const {
    return static_cast<int>(std::ceil(frameInterval - mTimeAccumulator));
}

void FrameScheduler::NoteDrawPass(bool presented) {
    mUpdatedSinceDraw = false;
    mLastDrawWasEmpty = !presented;
}

bool FrameScheduler::DetectStall(int64_t now, int updateInterval) {
    if (++mStallUpdates < (updateInterval + 999) / updateInterval) {
        return false;
    }
    mStallUpdates = 0;
    bool stalled = false;
    if (now - mLastStallCheck > 800) {
        mStallStrikes = 0;
    } else if (++mStallStrikes >= 3) {
        stalled = true;
    }
    mLastStallCheck = now;
    return stalled;
}

void FrameScheduler::ScheduleNextDraw(int64_t presentEnd, int64_t drawTime, bool loading) {
    mNextDrawTime = presentEnd;
    if (loading) {
        const int64_t next = mNextDrawTime + std::max<int64_t>(drawTime, 15) + 35;
        mNextDrawTime = std::max(next, presentEnd);
    }
}

} // namespace ravix
