#include "app/RavixAppBase.h"

#include "widgets/WidgetManager.h"

#include <cstdio>
#include <cstdlib>

namespace ravix {

// The application's side of demo recording and playback: the front operations over its
// DemoSession, and the replayed input events performed on the widgets.

void RavixAppBase::WriteDemoFile() {
    if (!mDemo.WriteDemoFile(mStartTick, mVersionText)) {
        // An error, not a diagnostic: it is printed whether or not diagnostics are shown.
        std::fprintf(stderr, "Demo not written: %s\n", mDemo.Path().c_str());
    }
}

void RavixAppBase::WriteDemoFillerEvent() {
    mDemo.WriteDemoFillerEvent();
}

bool RavixAppBase::ReadDemoHeader(std::string& message) {
    return mDemo.ReadDemoHeader(mVersionText, mStartTick, message);
}

void RavixAppBase::PlayDemoEvents() {
    mDemo.PlayDemoEvents();
}

void RavixAppBase::ReadDemoDisplayRecord() {
    bool windowed = false;
    int refreshRate = 0;
    if (mDemo.TakeDisplayRecord(windowed, refreshRate)) {
        mWantWindowed = windowed;
        mRefreshRate = refreshRate;
    }
}

void RavixAppBase::PerformDemoEvent(const DemoEvent& event) {
    switch (event.mCommand) {
    case kDemoRelativeMove:
    case kDemoAbsoluteMove:
        if (event.mCommand == kDemoRelativeMove) {
            mReplayMouseX += event.mX;
            mReplayMouseY += event.mY;
        } else {
            mReplayMouseX = event.mX;
            mReplayMouseY = event.mY;
        }
        mPointerKnown = true;
        mWidgets->MouseMove(mReplayMouseX, mReplayMouseY);
        return;
    case kDemoMouseButton:
        if (event.mFlag) {
            mWidgets->MouseDown(mReplayMouseX, mReplayMouseY, event.mCode);
        } else {
            mWidgets->MouseUp(mReplayMouseX, mReplayMouseY, event.mCode);
        }
        return;
    case kDemoActivation:
        mActive = event.mFlag;
        OnActivationChanged();
        return;
    case kDemoMinimized:
        if (!mShuttingDown) {
            SetMinimized(event.mFlag);
        }
        return;
    case kDemoKeyDown:
        // Alt+Enter never reached the widgets; with Alt held the key was a system key.
        DeliverKeyDown(event.mCode, event.mCode == kKeyEnter && mWidgets->IsKeyDown(kKeyAlt));
        return;
    case kDemoKeyUp:
        mWidgets->KeyUp(event.mCode);
        return;
    case kDemoCharacter:
        mWidgets->CharTyped(static_cast<char>(event.mCode & 0xFF));
        return;
    case kDemoClose:
        mClosing = true;
        BeginShutdown();
        return;
    case kDemoMouseEnter:
        mMouseInWindow = true;
        ApplyCursorShape();
        return;
    case kDemoMouseLeave:
        mWidgets->MouseExit();
        mMouseInWindow = false;
        mPointerKnown = false;
        ApplyCursorShape();
        return;
    case kDemoWheel:
        mWidgets->MouseWheel(event.mCode);
        return;
    case kDemoDisplay:
        mWantWindowed = event.mFlag;
        mRefreshRate = event.mCode;
        return;
    default:
        // Settings, transfer and sync events are taken by the operations that wrote them, the
        // loading point by the session; fillers and unknown commands do nothing.
        return;
    }
}

void RavixAppBase::SyncDemoData(Buffer& buffer) {
    mDemo.SyncDemoData(buffer);
}

void RavixAppBase::SyncDemoString(std::string& text) {
    mDemo.SyncDemoString(text);
}

void RavixAppBase::SyncDemoBool(bool& flag) {
    mDemo.SyncDemoBool(flag);
}

void RavixAppBase::RecordTransferOutcome(uint32_t number, int result, const std::string& content) {
    mDemo.RecordTransferOutcome(number, result, content);
}

bool RavixAppBase::ReplayTransferOutcome(uint32_t number, int& result, std::string& content) {
    return mDemo.ReplayTransferOutcome(number, result, content);
}

} // namespace ravix
