#include "AppTestSupport.h"

#include <gtest/gtest.h>

using namespace ravix;
using ravix::testing::TestApp;

namespace {

// Runs passes until the first one that sleeps and returns the updates run before it.
int UpdatesBeforeNextSleep(TestApp& app) {
    int before = app.UpdateCount();
    int64_t start = app.Now();
    bool updated = false;
    while (app.Now() == start) {
        app.RunPass(updated);
    }
    return app.UpdateCount() - before;
}

} // namespace

TEST(MainLoop, UpdatesFollowTheClockAndTheSpeedFactor) {
    for (auto [speed, expected] : {std::pair{1.0, 100}, {0.25, 25}, {2.0, 200}}) {
        TestApp app;
        app.mSpeedFactor = speed;
        app.RunFor(1000);
        EXPECT_EQ(app.UpdateCount(), expected) << speed;
        EXPECT_EQ(app.mWidgetUpdates, expected) << speed;
        EXPECT_EQ(app.Statistics().mDrawCount, app.mWidgetDraws) << speed;
        EXPECT_NEAR(app.mWidgetDraws, expected, 1) << speed; // one draw after each update
    }
}

TEST(MainLoop, AStallCatchesUpAtMost200Milliseconds) {
    TestApp app;
    app.RunFor(1000);
    app.Headless().AdvanceClock(5000); // a modal box or a window drag
    EXPECT_EQ(UpdatesBeforeNextSleep(app), 20);

    app.RunFor(1000);
    app.Headless().AdvanceClock(5000);
    app.ResetTiming();
    EXPECT_EQ(UpdatesBeforeNextSleep(app), 0);
}

TEST(MainLoop, CatchingUpDrawsAfterEveryTenUpdatesOnceLoaded) {
    TestApp app;
    app.mAutoStartLoader = true;
    app.StartLoadingThread(); // an empty loading body finishes at once
    app.WaitForLoadingThread();
    app.RunFor(100);
    ASSERT_TRUE(app.IsLoadingComplete());
    int drawsBefore = app.mWidgetDraws;
    app.Headless().AdvanceClock(5000);
    EXPECT_EQ(UpdatesBeforeNextSleep(app), 20);
    EXPECT_EQ(app.mWidgetDraws - drawsBefore, 3); // after 9, 18 and the last 2 updates
}

TEST(MainLoop, RefreshPacingWithoutAWaitingDisplayIsSwitchedOff) {
    TestApp app;
    app.mRefreshPacing = true;
    app.mWindowedNow = false;
    bool updated = false;
    // Presents do not wait for the display here, so updates run far faster than the clock.
    while (app.Now() == 0 && app.UpdateCount() < 1000) {
        app.RunPass(updated);
    }
    EXPECT_TRUE(app.IsRefreshPacingBroken());
    EXPECT_EQ(app.UpdateCount(), 300); // three checks of 100 updates each
    int before = app.UpdateCount();
    app.RunFor(1000);
    EXPECT_NEAR(app.UpdateCount() - before, 100, 1);
}

TEST(MainLoop, WindowedLoopIsNeverPacedByRefresh) {
    TestApp app;
    app.mRefreshPacing = true;
    app.mRefreshRate = 60;
    app.RunFor(5000);
    EXPECT_FALSE(app.IsRefreshPacingBroken());
    EXPECT_NEAR(app.UpdateCount(), 500, 2);
}

TEST(MainLoop, RunFrameWithoutSleepingReturnsInsteadOfSleeping) {
    TestApp app;
    int passes = 0;
    while (app.RunFrame(false)) {
        ASSERT_LT(++passes, 10);
    }
    EXPECT_EQ(app.Now(), 0);
}

TEST(MainLoop, SingleStepRunsOneUpdateThenFreezes) {
    TestApp app;
    app.RunFor(100);
    int before = app.UpdateCount();
    app.StepOnce();
    app.RunFor(1000);
    EXPECT_EQ(app.UpdateCount() - before, 1);
    app.StepOnce();
    app.RunFor(1000);
    EXPECT_EQ(app.UpdateCount() - before, 2);
    app.EndSingleStep();
    app.RunFor(1000);
    EXPECT_NEAR(app.UpdateCount() - before, 102, 1);
}

TEST(MainLoop, ScreenSaverIdlePauseStopsUpdatesUntilInputReturns) {
    TestApp app;
    app.Headless().SetScreenSaver({true, 5}, false); // idle limit 3 s
    PlatformMessage move;
    move.mKind = MessageKind::MouseMove;
    app.Headless().ScriptMessage(10000, move);
    app.RunFor(6000);
    EXPECT_TRUE(app.IsIdlePaused());
    int paused = app.UpdateCount();
    int drawsPaused = app.mWidgetDraws;
    EXPECT_EQ(paused, 400); // the check once a second finds 4 s of idling over the 3 s limit
    app.RunFor(3900);
    EXPECT_EQ(app.UpdateCount(), paused);
    EXPECT_EQ(app.mWidgetDraws, drawsPaused);
    app.RunFor(2000); // the mouse moved at 10 s
    EXPECT_FALSE(app.IsIdlePaused());
    EXPECT_GT(app.UpdateCount(), paused + 90);
    EXPECT_EQ(app.mMarkAllDirtyCount, 1);

    TestApp fullScreen;
    fullScreen.mWindowedNow = false;
    fullScreen.Headless().SetScreenSaver({true, 5}, false);
    fullScreen.RunFor(6000);
    EXPECT_FALSE(fullScreen.IsIdlePaused());
}
