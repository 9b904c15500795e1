#include "app/RavixAppBase.h"

#include "base/ThreadSignalStack.h"
#include "base/Verify.h"
#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <future>

namespace ravix {

namespace {

// Counts the nesting of main-loop passes (modal loops run passes inside passes).
class PassDepthScope {
public:
    explicit PassDepthScope(int& depth) : mDepth(depth) { ++mDepth; }
    ~PassDepthScope() { --mDepth; }
    PassDepthScope(const PassDepthScope&) = delete;
    PassDepthScope& operator=(const PassDepthScope&) = delete;

private:
    int& mDepth;
};

} // namespace

void RavixAppBase::RunMainLoop() {
    while (!mShuttingDown) {
        mLeaveLoop = false;
        RunUntilUpdate();
    }
}

bool RavixAppBase::RunUntilUpdate() {
    while (true) {
        bool updated = false;
        if (!RunPass(updated)) {
            return false;
        }
        if (updated) {
            return true;
        }
    }
}

bool RavixAppBase::RunPass(bool& updated) {
    updated = false;
    if (mLeaveLoop) {
        return false;
    }
    if (Now() - mLastCrashContextTick >= 1000) {
        RefreshCrashContext();
    }
    if (mScheduler.Phase() == LoopPhase::DrawOrSleep) {
        mScheduler.SetPhase(LoopPhase::Messages);
    }
    PassDepthScope depth(mPassDepth);
    if (mScheduler.Phase() == LoopPhase::Messages) {
        PumpSystemMessages();
        PlayDemoEvents();
        if (!ProcessDeferredMessage()) {
            mScheduler.SetPhase(LoopPhase::UpdateCheck);
        }
        return true;
    }
    int updatesBefore = mStatistics.mUpdateCount;
    if (mSingleStep == SingleStep::Frozen) {
        mPlatform->Sleep(mUpdateInterval);
        mScheduler.SetPhase(LoopPhase::DrawOrSleep);
        return true;
    }
    if (mSingleStep == SingleStep::StepOnce) {
        mSingleStep = SingleStep::Frozen;
        TryAdvanceUpdate();
        AdvanceFraction(1.0f);
        DrawFrame();
        mScheduler.SetPhase(LoopPhase::DrawOrSleep);
    } else {
        RunFrame(true);
    }
    updated = mStatistics.mUpdateCount != updatesBefore;
    return true;
}

void RavixAppBase::EndSingleStep() {
    mSingleStep = SingleStep::Off;
    ResetTiming();
}

bool RavixAppBase::RefreshPacingActive() const {
    return !mDemo.IsPlaying() && mRefreshPacing && !mScheduler.LastDrawWasEmpty() &&
           !mRefreshPacingBroken && !mWindowedNow;
}

bool RavixAppBase::RunFrame(bool allowSleep) {
    RAVIX_VERIFY(mUpdateInterval > 0, "the update interval must be positive");
    if (mShutdownRequested && !mShuttingDown) {
        BeginShutdown();
    }
    ShowQueuedMessageBoxes();
    const bool paced = RefreshPacingActive();
    const double interval = mUpdateInterval;
    const double speed = mSpeedFactor;
    // updatesPerFrame: updates per frame interval; frameInterval: ms between frames.
    float updatesPerFrame = 1.0f;
    double frameInterval = interval / speed;
    if (mRefreshPacing) {
        updatesPerFrame = static_cast<float>(1000.0 / (mRefreshRate * interval));
        frameInterval = 1000.0 / mRefreshRate / speed;
    }
    bool fastForwardResult = true;
    if (RunDemoFastForward(updatesPerFrame, fastForwardResult)) {
        return fastForwardResult;
    }
    if (mDemo.IsHeld()) {
        // A paused demo (or one waiting for a playback box) draws what changed and waits for
        // its controls without spinning.
        if (!allowSleep) {
            return false;
        }
        DrawFrame();
        mPlatform->Sleep(mUpdateInterval);
        mScheduler.SetPhase(LoopPhase::DrawOrSleep);
        SweepDeferredDeletes();
        return true;
    }
    if (speed > 0) {
        const int64_t passStart = Now();
        if (mIdlePaused) {
            // Nothing runs while paused; sleep instead of spinning, and look once a second
            // whether the user is back (the check in DrawFrame is not reached while paused).
            ResetTiming();
            if (passStart - mLastIdleCheck >= 1000) {
                mLastIdleCheck = passStart;
                CheckIdlePause();
            }
            if (mIdlePaused) {
                if (!allowSleep) {
                    return false;
                }
                ++mStatistics.mSleepCount;
                mStatistics.mSleepTime += mUpdateInterval;
                mPlatform->Sleep(mUpdateInterval);
            }
            mScheduler.SetPhase(LoopPhase::DrawOrSleep);
            SweepDeferredDeletes();
            return true;
        }
        if (!paced) {
            StepTimeAccumulator();
        }
        int slept = 0;
        bool handled = false;
        if (mScheduler.Phase() == LoopPhase::UpdateCheck) {
            const int updatesSinceDraw = mScheduler.CountUpdateSinceDraw();
            if (updatesSinceDraw < std::ceil(speed * 10) || !mLoadingComplete) {
                double threshold = frameInterval;
                if (paced) {
                    threshold =
                        mScheduler.UpdatedSinceDraw() ? static_cast<int>(frameInterval * 0.75) : 0;
                }
                if (threshold <= mScheduler.TimeAccumulator()) {
                    RunStallDetector();
                    // Refused only during demo playback, when a recorded event is due: the
                    // next pass then runs the message phase and the player.
                    mScheduler.SetPhase(TryAdvanceUpdate() ? LoopPhase::FurtherUpdates
                                                           : LoopPhase::DrawOrSleep);
                    mScheduler.NoteUpdated();
                    handled = true;
                }
            }
        } else if (mScheduler.Phase() == LoopPhase::FurtherUpdates) {
            mScheduler.SetPhase(LoopPhase::DrawOrSleep);
            RunFurtherUpdates(updatesPerFrame);
            mScheduler.ConsumeFrame(frameInterval, paced);
            handled = true;
        }
        if (!handled) {
            mScheduler.SetPhase(LoopPhase::DrawOrSleep);
            mScheduler.ClearUpdatesSinceDraw();
            if (mScheduler.UpdatedSinceDraw()) {
                DrawFrame();
            } else {
                // Sleep to the next update, rounded up: a wait shorter than a millisecond
                // would otherwise be spent spinning (and never end on a clock that only
                // moves when the program sleeps).
                int ms = mScheduler.MillisecondsToNextUpdate(frameInterval);
                if (ms >= 1) {
                    if (!allowSleep) {
                        return false;
                    }
                    ++mStatistics.mSleepCount;
                    mStatistics.mSleepTime += ms;
                    mPlatform->Sleep(ms);
                    slept = ms;
                }
            }
        }
        // While the loading thread runs, the main thread leaves it twice its own working time.
        if (mLoaderYield && mLoadingThreadStarted && !mLoadingThreadFinished) {
            int64_t yield = std::min<int64_t>(250, (Now() - passStart - slept) * 2 - slept);
            if (yield >= 1) {
                if (!allowSleep) {
                    return false;
                }
                mPlatform->Sleep(static_cast<int>(yield));
            }
        }
    }
    SweepDeferredDeletes();
    return true;
}

// After an update: the further whole updates a frame holds (the demo player first, since an
// event may be due), then the fractional update.
void RavixAppBase::RunFurtherUpdates(float updatesPerFrame) {
    mScheduler.AddFrameFraction(updatesPerFrame);
    SweepDeferredDeletes();
    while (mScheduler.HasWholeUpdateLeft()) {
        PlayDemoEvents();
        mScheduler.CountUpdateSinceDraw();
        if (!TryAdvanceUpdate()) {
            break;
        }
        SweepDeferredDeletes();
        mScheduler.TakeWholeUpdate();
    }
    AdvanceFraction(updatesPerFrame);
    SweepDeferredDeletes();
}

void RavixAppBase::StepTimeAccumulator() {
    mScheduler.StepTimeAccumulator(Now());
}

void RavixAppBase::ResetTiming() {
    mScheduler.ResetTiming(Now());
}

// When a second's worth of updates keeps taking 800 ms or less, the display does not wait for
// its refresh (a driver without vertical sync): updates then follow the clock for good.
void RavixAppBase::RunStallDetector() {
    if (mDemo.IsPlaying() || mSpeedFactor != 1.0) {
        return;
    }
    if (mScheduler.DetectStall(Now(), mUpdateInterval)) {
        mRefreshPacingBroken = true;
    }
}

bool RavixAppBase::TryAdvanceUpdate() {
    if (mIdlePaused) {
        return false;
    }
    if (mDemo.IsPlaying()) {
        // Loading completes where it did in the recording, and the events recorded before
        // this update run first.
        const bool recordedLoadDone = mDemo.RecordedLoadDone();
        if (mLoadingThreadFinished && !mLoadingComplete && recordedLoadDone) {
            MarkLoadingComplete();
        }
        if (mLoadingComplete != recordedLoadDone || mDemo.IsDemoEventDue()) {
            return false;
        }
    } else if (mLoadingThreadFinished && !mLoadingComplete) {
        MarkLoadingComplete();
        mDemo.RecordDemoEvent({.mCommand = kDemoLoadingComplete});
    }
    AdvanceUpdate();
    return true;
}

void RavixAppBase::MarkLoadingComplete() {
    // What the loading thread had to say comes before what its end leads to.
    ShowQueuedMessageBoxes();
    mLoadingComplete = true;
    mLoaderYield = false;
    UpdateScreenSaverPermission();
    OnLoadingComplete();
}

void RavixAppBase::AdvanceUpdate() {
    ++mStatistics.mUpdateCount;
    if (!mIconic && RunWidgetUpdate()) {
        ++mStatistics.mChangedUpdateCount;
    }
    if (mMusic) {
        mMusic->UpdateSongs();
    }
    // The release of shared images nobody uses any more runs here.
}

void RavixAppBase::AdvanceFraction(float fraction) {
    if (mRefreshPacing && !mIconic) {
        RunWidgetFractionalUpdate(fraction);
    }
}

bool RavixAppBase::DrawFrame() {
    if (mDisplayLost) {
        PresentFrame();
        return false;
    }
    CountFrame();
    const int64_t drawStart = Now();
    if (drawStart - mLastIdleCheck >= 1000) {
        mLastIdleCheck = drawStart;
        CheckIdlePause();
    }
    bool drawn = false;
    if (!mIdlePaused) {
        mDrawing = true;
        drawn = DrawDirtyWidgets();
        mDrawing = false;
    }
    const int64_t drawEnd = Now();
    if ((drawn || drawEnd - mLastPresentTime > 999 || mCursorDirty) &&
        mScheduler.MayDraw(drawEnd)) {
        ++mStatistics.mDrawCount;
        mScheduler.NoteFrameShown();
        mStatistics.mDrawTime += drawEnd - drawStart;
        DrawFrameRateOverlay();
        if (mWaitForRefresh && mWindowedNow && mRefreshRate > 0) {
            int64_t period = 1000 / mRefreshRate;
            int64_t sincePresent = drawEnd - mLastPresentTime;
            if (sincePresent < period) {
                mPlatform->Sleep(static_cast<int>(period - sincePresent));
            }
        }
        const int64_t presentStart = Now();
        mLastPresentTime = presentStart;
        PresentFrame();
        StepTimeAccumulator();
        const int64_t presentEnd = Now();
        mStatistics.mPresentTime += presentEnd - presentStart;
        mScheduler.ScheduleNextDraw(presentEnd, drawEnd - drawStart,
                                    mLoadingThreadStarted && !mLoadingThreadFinished);
        mScheduler.NoteDrawPass(true);
        mCursorDirty = false;
        return true;
    }
    mScheduler.NoteDrawPass(false);
    return false;
}

void RavixAppBase::PresentFrame() {
    if (mDrawing || mShuttingDown || mIdlePaused) {
        return;
    }
    ++mStatistics.mPresentAttempts;
    if (mDisplay == nullptr) {
        return;
    }
    mDisplayLost = !mDisplay->Redraw();
    if (mDisplayLost) {
        RecoverLostDisplay();
    }
}

void RavixAppBase::CheckIdlePause() {
    if (!mWindowedNow || mScreenSaverMode) {
        mIdlePaused = false;
        return;
    }
    int64_t now = Now();
    if (!mScreenSaverRead || now - mLastScreenSaverRead >= 10000) {
        ScreenSaverSettings settings = mPlatform->GetScreenSaverSettings();
        mScreenSaverEnabled = settings.mEnabled;
        mIdleLimit = std::max<int64_t>(1000, (int64_t{settings.mTimeoutSeconds} - 2) * 1000);
        mLastScreenSaverRead = now;
        mScreenSaverRead = true;
    }
    int64_t idle = mPlatform->UserIdleTime();
    if (!mIdlePaused) {
        mIdlePaused = mScreenSaverEnabled && idle > mIdleLimit;
    } else if (!mPlatform->IsScreenSaverRunning() && idle < mIdleLimit) {
        mIdlePaused = false;
        MarkAllWidgetsDirty();
    }
}

std::thread RavixAppBase::StartClockThread(std::function<void()> body) {
    std::promise<void> added;
    std::thread thread([this, body = std::move(body), added = added.get_future()] {
        ThreadSignalStack signalStack; // so that the crash handler can report a stack overflow
        added.wait();
        body();
        mPlatform->RemoveClockThread(std::this_thread::get_id());
    });
    mPlatform->AddClockThread(thread.get_id());
    added.set_value();
    return thread;
}

void RavixAppBase::StartLoadingThread() {
    if (mLoadingThreadStarted) {
        return;
    }
    mLoaderYield = true;
    mLoadingThreadStarted = true;
    mLoadingThread = StartClockThread([this] {
        int64_t start = Now();
        LoadingThreadBody();
        mPlatform->DebugOutput("Loading time: " + std::to_string(Now() - start));
        mLoadingThreadFinished = true;
    });
}

void RavixAppBase::WaitForLoadingThread() {
    while (mLoadingThreadStarted && !mLoadingThreadFinished) {
        mPlatform->Sleep(20);
    }
    if (mLoadingThread.joinable()) {
        mLoadingThread.join();
    }
}

void RavixAppBase::StartCursorThread() {
    if (mCursorThreadStarted.exchange(true)) {
        return;
    }
    mCursorThreadRunning = true;
    mCursorThread = StartClockThread([this] { RunCursorThread(); });
}

void RavixAppBase::RunCursorThread() {
    int lastX = INT_MIN;
    int lastY = INT_MIN;
    while (!mShuttingDown) {
        int x = 0;
        int y = 0;
        // During playback the recorded position (on the logical screen) stands in for the
        // system cursor.
        bool known = true;
        const bool replaying = mDemo.IsPlaying();
        if (replaying) {
            x = mReplayMouseX;
            y = mReplayMouseY;
        } else {
            known = mPlatform->GetCursorPosition(x, y);
        }
        if (known && (x != lastX || y != lastY) && mDisplay != nullptr) {
            lastX = x;
            lastY = y;
            // The software cursor moves with the next present: only the main thread may show
            // frames, and the main loop presents within a pass when the cursor is dirty.
            std::lock_guard lock(mDisplay->Lock());
            Point position = replaying ? Point{x, y} : mWidgets->MapPointer(x, y);
            mDisplay->SetCursorPos(position.mX, position.mY);
            if (mDisplay->GetCursorImage() != nullptr) {
                mCursorDirty = true;
            }
        }
        mPlatform->Sleep(10);
    }
    mCursorThreadRunning = false;
}

void RavixAppBase::JoinThreads() {
    while (mCursorThreadRunning) {
        mPlatform->Sleep(10);
    }
    if (mCursorThread.joinable()) {
        mCursorThread.join();
    }
    WaitForLoadingThread();
}

void RavixAppBase::DeferDeleteErased(void* object, void (*deleter)(void*)) {
    if (object == nullptr) {
        return;
    }
    bool known = std::any_of(mDeferredDeletes.begin(), mDeferredDeletes.end(),
                             [&](const DeferredDelete& entry) { return entry.mObject == object; });
    if (!known) {
        mDeferredDeletes.push_back({mPassDepth, object, deleter});
    }
}

void RavixAppBase::SweepDeferredDeletes() {
    if (mSweeping) {
        return;
    }
    mSweeping = true;
    // Deleting may hand further objects over; they are swept in the same call.
    while (true) {
        auto firstDue = std::stable_partition(
            mDeferredDeletes.begin(), mDeferredDeletes.end(),
            [&](const DeferredDelete& entry) { return entry.mDepth < mPassDepth; });
        std::vector<DeferredDelete> due(firstDue, mDeferredDeletes.end());
        mDeferredDeletes.erase(firstDue, mDeferredDeletes.end());
        if (due.empty()) {
            break;
        }
        for (const DeferredDelete& entry : due) {
            entry.mDelete(entry.mObject);
        }
    }
    mSweeping = false;
}

} // namespace ravix
