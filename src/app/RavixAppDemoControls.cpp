#include "app/RavixAppBase.h"

#include "widgets/WidgetManager.h"

namespace ravix {

namespace {

constexpr double kSpeedStep = 1.5;
// Keys "4" to "9" jump to this many milliseconds before the end of the demo.
constexpr int kJumpBeforeEnd[] = {120000, 90000, 60000, 30000, 10000, 5000};
// Fast-forward shows a frame once a second.
constexpr int64_t kFastForwardDrawPeriod = 999;

} // namespace

bool RavixAppBase::IsFastForwarding() const {
    return mPlaying && !mShuttingDown && (UpdateCount() < mJumpTarget || mRunToEnd);
}

// Runs the updates up to the jump target as fast as they go, muted (unless one step was asked
// for), drawing once a second. Returns to the message phase whenever a recorded event is due.
bool RavixAppBase::RunDemoFastForward(float updatesPerFrame, bool& result) {
    if (!IsFastForwarding()) {
        return false;
    }
    result = true;
    if (!mJumpMuted && !mStepOnce) {
        Silence(true);
        mJumpMuted = true;
    }
    if (mLastFastForwardDraw < 0) {
        mLastFastForwardDraw = Now();
    }
    mLoopPhase = 3; // the player runs in the next pass
    while (IsFastForwarding()) {
        ResetTiming();
        if (!TryAdvanceUpdate()) {
            if (mRunToEnd && PeekDemoEvent() == nullptr) {
                mRunToEnd = false; // nothing left to run to
                break;
            }
            return true;
        }
        mFractionalAccumulator += updatesPerFrame - 1;
        SweepDeferredDeletes();
        while (mFractionalAccumulator >= 1) {
            PlayDemoEvents();
            if (!TryAdvanceUpdate()) {
                break;
            }
            SweepDeferredDeletes();
            mFractionalAccumulator -= 1;
        }
        AdvanceFraction(updatesPerFrame);
        SweepDeferredDeletes();
        if (Now() - mLastFastForwardDraw > kFastForwardDrawPeriod || mStepOnce) {
            mStepOnce = false;
            mLastFastForwardDraw = Now();
            DrawFrame();
            return true;
        }
        if (mRunToEnd && PeekDemoEvent() == nullptr &&
            UpdateCount() >= static_cast<int>(mRecordedLength)) {
            mRunToEnd = false;
        }
    }
    if (mJumpMuted) {
        if (mSounds) {
            mSounds->StopAllChannels();
        }
        Unsilence(true);
        mJumpMuted = false;
    }
    mLastFastForwardDraw = -1;
    DrawFrame();
    return true;
}

void RavixAppBase::HandlePlaybackControl(int character) {
    const int length = static_cast<int>(mRecordedLength);
    switch (character) {
    case '+':
        mSpeedFactor *= kSpeedStep;
        return;
    case '-':
        mSpeedFactor /= kSpeedStep;
        return;
    case '=':
        mSpeedFactor = 1.0;
        return;
    case '0':
        mJumpTarget = length;
        return;
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        mJumpTarget = length - kJumpBeforeEnd[character - '4'] / mUpdateInterval;
        return;
    case 'J':
    case 'j':
        ShowJumpToTimeBox();
        return;
    case 'L':
    case 'l':
        ShowMarkerListBox();
        return;
    case 'M':
    case 'm':
        mRunToEnd = true;
        return;
    case 'N':
    case 'n':
        mJumpTarget = UpdateCount() + 1;
        mStepOnce = true;
        return;
    case 'P':
    case 'p':
        mPlaybackPaused = !mPlaybackPaused;
        ResetTiming();
        return;
    case 'S':
    case 's':
        TogglePlaybackMute();
        return;
    default:
        return;
    }
}

// Sets each level to 0, keeping it, or gives back the kept level when it is 0.
void RavixAppBase::TogglePlaybackMute() {
    if (mMusicLevel != 0) {
        mKeptMusicLevel = mMusicLevel;
        SetMusicLevel(0);
    } else {
        SetMusicLevel(mKeptMusicLevel);
    }
    if (mEffectsLevel != 0) {
        mKeptEffectsLevel = mEffectsLevel;
        SetEffectsLevel(0);
    } else {
        SetEffectsLevel(mKeptEffectsLevel);
    }
}

void RavixAppBase::ShowJumpToTimeBox() {}

void RavixAppBase::ShowMarkerListBox() {}

} // namespace ravix
