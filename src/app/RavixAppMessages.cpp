#include "app/RavixAppBase.h"

#include "platform/KeyCodes.h"

#include <algorithm>

namespace ravix {

namespace {

bool IsKeyMessage(MessageKind kind) {
    return kind == MessageKind::KeyDown || kind == MessageKind::KeyUp ||
           kind == MessageKind::SysKeyDown || kind == MessageKind::SysKeyUp;
}

bool IsColourOrDisplayChange(MessageKind kind) {
    return kind == MessageKind::SysColorChange || kind == MessageKind::DisplayChange;
}

} // namespace

void RavixAppBase::PumpSystemMessages() {
    PlatformMessage message;
    while (!mShuttingDown && mPlatform->PollMessage(message)) {
        WindowProc(message);
    }
}

// Screen-saver mode needs no message filter here: Linux desktops do not start programs as their
// screen savers, so nothing has to end one on input.
void RavixAppBase::WindowProc(const PlatformMessage& message) {
    switch (message.mKind) {
    case MessageKind::None:
        return;
    case MessageKind::EndSession:
        BeginShutdown();
        return;
    case MessageKind::Notify:
        if (message.mTarget == MessageTarget::MainWindow) {
            OnNotifyMessage(message.mCode);
        }
        return;
    case MessageKind::Paint:
        // The window lost its contents: show the last frame again at once.
        if (mInitialized && !mWindowHidden && mInMainLoop) {
            PresentFrame();
        }
        return;
    case MessageKind::ActivateApp:
        if (!mDemo.IsPlaying() && message.mTarget == MessageTarget::MainWindow) {
            mActive = message.mCode != 0;
        }
        break;
    default:
        break;
    }
    if (mPopupShowing) {
        return;
    }
    if (IsKeyMessage(message.mKind)) {
        bool down =
            message.mKind == MessageKind::KeyDown || message.mKind == MessageKind::SysKeyDown;
        if (message.mCode == kKeyControl) {
            mCtrlDown = down;
        } else if (message.mCode == kKeyAlt) {
            mAltDown = down;
        }
        if (down && FilterKeyDown(message.mCode, mCtrlDown, mAltDown)) {
            return;
        }
    }
    // During demo playback characters are the playback controls and key downs go to the
    // developer keys, before queueing (the queued messages are then ignored).
    if (mDemo.ReplacesLiveInput() && message.mKind == MessageKind::Char) {
        HandlePlaybackControl(message.mCode);
        return; // used up (a box it opens must not receive it)
    } else if (mDemo.IsPlaying() && (message.mKind == MessageKind::KeyDown ||
                                     message.mKind == MessageKind::SysKeyDown)) {
        OnDebugKey(message.mCode);
    }
    auto queued = [&](auto matches) {
        return std::any_of(mDeferredQueue.begin(), mDeferredQueue.end(),
                           [&](const PlatformMessage& entry) { return matches(entry.mKind); });
    };
    if (queued([](MessageKind kind) { return kind == MessageKind::Close; })) {
        return; // the program is closing: nothing after the close
    }
    if (message.mKind == MessageKind::Timer && !mDeferredQueue.empty() &&
        mDeferredQueue.back().mKind == MessageKind::Timer) {
        return;
    }
    if (IsColourOrDisplayChange(message.mKind) && queued(IsColourOrDisplayChange)) {
        return;
    }
    mDeferredQueue.push_back(message);
    if (message.mKind == MessageKind::Close) {
        OnCloseRequested();
    }
}

bool RavixAppBase::ProcessDeferredMessage() {
    if (mDeferredQueue.empty()) {
        return false;
    }
    PlatformMessage message = mDeferredQueue.front();
    mDeferredQueue.pop_front();
    mDemo.RecordDemoMessage(message); // mouse messages are written as they are handled
    if (message.mKind == MessageKind::Close) {
        mClosing = true;
        BeginShutdown();
    } else if (!mDemo.ReplacesLiveInput()) {
        // During playback the recorded events stand in for live input, except for a playback
        // box, which the viewer answers.
        if (message.mKind == MessageKind::Move) {
            if (message.mTarget == MessageTarget::MainWindow && mWindowedNow && !mIconic) {
                mWindowX = message.mX;
                mWindowY = message.mY;
            }
        } else {
            HandleWindowMessage(message);
        }
    }
    return !mDeferredQueue.empty();
}

} // namespace ravix
