#include "app/RavixAppBase.h"

#include "demo/DemoPlaybackBox.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace ravix {

namespace {

constexpr double kSpeedStep = 1.5;
// Keys "4" to "9" jump to this many milliseconds before the end of the demo.
constexpr int kJumpBeforeEnd[] = {120000, 90000, 60000, 30000, 10000, 5000};
// Fast-forward shows a frame once a second.
constexpr int64_t kFastForwardDrawPeriod = 999;
// The playback boxes' dialog ids, clear of the ids programs give their own dialogs.
constexpr int kJumpToTimeBoxId = 0x40100000;
constexpr int kMarkerListBoxId = 0x40100001;
constexpr const char* kJumpTimeSetting = "DemoJumpTime";

// Seconds written as colon-separated numbers ("1:30" is 90); each part is read as far as it
// is a number.
int64_t ParseJumpTime(const std::string& text) {
    constexpr int64_t kMostSeconds = INT_MAX;
    int64_t seconds = 0;
    size_t start = 0;
    while (true) {
        const size_t colon = text.find(':', start);
        const std::string part = text.substr(start, colon - start);
        const int64_t number = std::clamp<int64_t>(std::strtoll(part.c_str(), nullptr, 10),
                                                   -kMostSeconds, kMostSeconds);
        seconds = std::clamp<int64_t>(seconds * 60 + number, -kMostSeconds, kMostSeconds);
        if (colon == std::string::npos) {
            return seconds;
        }
        start = colon + 1;
    }
}

// "name (hh:mm:ss)" with the time from the marker to the end of the demo.
std::string MarkerRow(const DemoMarker& marker, int64_t demoLength, int updateInterval) {
    const int64_t ms = std::max<int64_t>(0, demoLength - marker.mUpdate) * updateInterval;
    const int64_t seconds = ms / 1000;
    char time[64];
    std::snprintf(time, sizeof time, " (%02d:%02d:%02d)", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return marker.mName + time;
}

} // namespace

bool RavixAppBase::IsFastForwarding() const {
    const DemoPlaybackControls& controls = mDemo.Controls();
    return mDemo.ReplacesLiveInput() && !mShuttingDown &&
           (UpdateCount() < controls.mJumpTarget || controls.mRunToEnd);
}

// Runs the updates up to the jump target as fast as they go, muted (unless one step was asked
// for), drawing once a second. Returns to the message phase whenever a recorded event is due.
bool RavixAppBase::RunDemoFastForward(float updatesPerFrame, bool& result) {
    if (!IsFastForwarding()) {
        return false;
    }
    result = true;
    DemoPlaybackControls& controls = mDemo.Controls();
    if (!mJumpMuted && !controls.mStepOnce) {
        Silence(true);
        mJumpMuted = true;
    }
    if (mLastFastForwardDraw < 0) {
        mLastFastForwardDraw = Now();
    }
    mScheduler.SetPhase(LoopPhase::DrawOrSleep); // the player runs in the next pass
    while (IsFastForwarding()) {
        ResetTiming();
        if (!TryAdvanceUpdate()) {
            if (controls.mRunToEnd && mDemo.PeekDemoEvent() == nullptr) {
                controls.mRunToEnd = false; // nothing left to run to
                break;
            }
            return true;
        }
        RunFurtherUpdates(updatesPerFrame);
        if (Now() - mLastFastForwardDraw > kFastForwardDrawPeriod || controls.mStepOnce) {
            controls.mStepOnce = false;
            mLastFastForwardDraw = Now();
            DrawFrame();
            return true;
        }
        if (controls.mRunToEnd && mDemo.PeekDemoEvent() == nullptr &&
            UpdateCount() >= static_cast<int>(mDemo.RecordedLength())) {
            controls.mRunToEnd = false;
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
    const int length = static_cast<int>(mDemo.RecordedLength());
    DemoPlaybackControls& controls = mDemo.Controls();
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
        controls.mJumpTarget = length;
        return;
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        controls.mJumpTarget = length - kJumpBeforeEnd[character - '4'] / mUpdateInterval;
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
        controls.mRunToEnd = true;
        return;
    case 'N':
    case 'n':
        controls.mJumpTarget = UpdateCount() + 1;
        controls.mStepOnce = true;
        return;
    case 'P':
    case 'p':
        controls.mPaused = !controls.mPaused;
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

// The box starts with the last time jumped to, kept in the settings store itself: the replay's
// recorded settings are not involved.
void RavixAppBase::ShowJumpToTimeBox() {
    if (mPlaybackBox != nullptr) {
        return;
    }
    auto* box = new DemoPlaybackBox(this, DemoPlaybackBox::Kind::JumpToTime, kJumpToTimeBoxId);
    std::string subKey;
    std::string valueName;
    SettingValue stored;
    std::unique_ptr<SettingsStore> store = OpenSettings(kJumpTimeSetting, subKey, valueName);
    if (store != nullptr && store->Read(subKey, valueName, stored) &&
        stored.mType == kSettingString) {
        const std::string text(stored.mBytes.begin(), stored.mBytes.end());
        box->Edit()->SetText(text.substr(0, text.find('\0')));
    }
    OpenPlaybackBox(box, DemoPlaybackBox::kJumpHeight);
    mWidgets->FocusWidget(box->Edit());
}

void RavixAppBase::ShowMarkerListBox() {
    if (mPlaybackBox != nullptr) {
        return;
    }
    auto* box = new DemoPlaybackBox(this, DemoPlaybackBox::Kind::MarkerList, kMarkerListBoxId);
    mListedMarkers.clear();
    for (const DemoMarker& marker : mDemo.Markers()) {
        if (marker.mUpdate > static_cast<uint32_t>(UpdateCount())) {
            box->List()->AddRow(MarkerRow(marker, mDemo.RecordedLength(), mUpdateInterval));
            mListedMarkers.push_back(marker.mUpdate);
        }
    }
    OpenPlaybackBox(box, DemoPlaybackBox::kListHeight);
    mWidgets->FocusWidget(box->List());
}

void RavixAppBase::OpenPlaybackBox(DemoPlaybackBox* box, int height) {
    box->mOwnerListener = this;
    box->Resize((mScreenWidth - DemoPlaybackBox::kWidth) / 2, (mScreenHeight - height) / 2,
                DemoPlaybackBox::kWidth, height);
    mBoxSavedPointer = Point{mReplayMouseX, mReplayMouseY};
    mBoxSavedPointerKnown = mPointerKnown;
    mBoxSavedMouseInWindow = mMouseInWindow;
    RegisterDialog(box->mId, box);
    mPlaybackBox = box;
    mDemo.SetBoxOpen(true);
}

bool RavixAppBase::HandlePlaybackBoxButton(int dialogId, int buttonId) {
    if (mPlaybackBox == nullptr || dialogId != mPlaybackBox->mId) {
        return false;
    }
    if (buttonId == Dialog::kAcceptId) {
        if (EditWidget* edit = mPlaybackBox->Edit()) {
            const std::string text = edit->GetText();
            std::string subKey;
            std::string valueName;
            // Stored as a string with its terminator.
            SettingValue value{kSettingString, {text.begin(), text.end()}};
            value.mBytes.push_back(0);
            if (auto store = OpenSettings(kJumpTimeSetting, subKey, valueName)) {
                (void)store->Write(subKey, valueName, value);
            }
            const int64_t target = static_cast<int64_t>(mDemo.RecordedLength()) -
                                   (ParseJumpTime(text) + 1) * 1000 / mUpdateInterval;
            mDemo.Controls().mJumpTarget =
                static_cast<int>(std::clamp<int64_t>(target, INT_MIN, INT_MAX));
        } else {
            const int row = mPlaybackBox->List()->GetSelected();
            if (row >= 0 && row < static_cast<int>(mListedMarkers.size()) &&
                mListedMarkers[row] > static_cast<uint32_t>(UpdateCount())) {
                mDemo.Controls().mJumpTarget =
                    static_cast<int>(std::min<uint32_t>(mListedMarkers[row], INT_MAX));
            }
        }
    }
    ClosePlaybackBox();
    return true;
}

// The replay goes on where the recording has the pointer, whatever the viewer did meanwhile.
void RavixAppBase::ClosePlaybackBox() {
    DismissDialog(mPlaybackBox->mId);
    mPlaybackBox = nullptr;
    mDemo.SetBoxOpen(false);
    mReplayMouseX = mBoxSavedPointer.mX;
    mReplayMouseY = mBoxSavedPointer.mY;
    mPointerKnown = mBoxSavedPointerKnown;
    mMouseInWindow = mBoxSavedMouseInWindow;
    if (mPointerKnown) {
        mWidgets->MouseMove(mBoxSavedPointer.mX, mBoxSavedPointer.mY);
    }
    ApplyCursorShape();
    ResetTiming();
}

} // namespace ravix
