// The main loop's frame scheduling on its own: game time against real time, the stall detector
// and the drawing pace.

#include "app/FrameScheduler.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ravix;

TEST(FrameScheduler, RealTimeBecomesGameTimeWithABoundedBacklog) {
    FrameScheduler scheduler(0);
    scheduler.StepTimeAccumulator(1000); // the first step only starts the clock
    EXPECT_EQ(scheduler.TimeAccumulator(), 0);
    scheduler.StepTimeAccumulator(1007);
    EXPECT_EQ(scheduler.TimeAccumulator(), 7);
    EXPECT_EQ(scheduler.MillisecondsToNextUpdate(10.0), 3);
    scheduler.StepTimeAccumulator(5000); // a long stall leaves at most 200 ms to catch up
    EXPECT_EQ(scheduler.TimeAccumulator(), FrameScheduler::kMaxTimeBacklog);

    scheduler.ConsumeFrame(10.0, false);
    EXPECT_EQ(scheduler.TimeAccumulator(), 190);
    scheduler.ResetTiming(6000);
    EXPECT_EQ(scheduler.TimeAccumulator(), 0);
    scheduler.ConsumeFrame(10.0, false); // unpaced time may run behind
    EXPECT_EQ(scheduler.TimeAccumulator(), -10);
    scheduler.ConsumeFrame(10.0, true); // paced frames never go below zero
    EXPECT_EQ(scheduler.TimeAccumulator(), 0);
}

// With 10 ms updates the detector looks once every 100 updates; three looks in a row that come
// 800 ms or less after the one before find the stall, a slower second starts the count again.
TEST(FrameScheduler, TheStallDetectorNeedsThreeFastSecondsInARow) {
    struct Case {
        const char* mName;
        std::vector<int64_t> mLooks; // the clock at each hundredth update
        bool mStalled;
    };
    const std::vector<Case> cases = {
        {"three fast seconds", {700, 1400, 2100}, true},
        {"two fast seconds", {700, 1400}, false},
        {"a slow second between", {700, 1400, 2300, 3000}, false},
        {"a slow second, then three fast ones", {900, 1600, 2300, 3000}, true},
        {"exactly 800 ms counts as fast", {800, 1600, 2400}, true},
    };
    for (const Case& c : cases) {
        FrameScheduler scheduler(0);
        bool stalled = false;
        for (int64_t look : c.mLooks) {
            for (int update = 1; update < 100; ++update) {
                EXPECT_FALSE(scheduler.DetectStall(look, 10)) << c.mName;
            }
            stalled = scheduler.DetectStall(look, 10);
        }
        EXPECT_EQ(stalled, c.mStalled) << c.mName;
    }
}

TEST(FrameScheduler, DrawingWaitsLongerWhileLoading) {
    FrameScheduler scheduler(0);
    EXPECT_TRUE(scheduler.MayDraw(0));
    scheduler.ScheduleNextDraw(100, 5, false);
    EXPECT_FALSE(scheduler.MayDraw(99));
    EXPECT_TRUE(scheduler.MayDraw(100));
    scheduler.ScheduleNextDraw(100, 5, true); // at least 15 ms of drawing and 35 ms more
    EXPECT_FALSE(scheduler.MayDraw(149));
    EXPECT_TRUE(scheduler.MayDraw(150));
    scheduler.ScheduleNextDraw(100, 40, true);
    EXPECT_TRUE(scheduler.MayDraw(175));
    EXPECT_FALSE(scheduler.MayDraw(174));
}
