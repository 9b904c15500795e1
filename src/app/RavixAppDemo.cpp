#include "app/RavixAppBase.h"

#include "files/AtomicFile.h"
#include "widgets/WidgetManager.h"

#include <cstdlib>

namespace ravix {

namespace {

constexpr int kWheelStep = 120;

std::vector<uint8_t> BufferBytes(const Buffer& buffer) {
    const uint8_t* data = buffer.Data();
    return data == nullptr ? std::vector<uint8_t>()
                           : std::vector<uint8_t>(data, data + buffer.ByteLength());
}

} // namespace

// Recording.

void RavixAppBase::RecordDemoEvent(DemoEvent event) {
    event.mUpdate = static_cast<uint32_t>(UpdateCount());
    mEventStream.Write(event);
}

void RavixAppBase::RecordPointerMove(std::optional<Point> from, Point to) {
    if (from.has_value()) {
        const int dx = to.mX - from->mX;
        const int dy = to.mY - from->mY;
        const int most = DemoStream::kMaxRelativeMove;
        if (std::abs(dx) <= most && std::abs(dy) <= most) {
            RecordDemoEvent({.mCommand = kDemoRelativeMove, .mX = dx, .mY = dy});
            return;
        }
    }
    RecordDemoEvent({.mCommand = kDemoAbsoluteMove, .mX = to.mX, .mY = to.mY});
}

// Mouse messages are written by the input handling, which knows their logical positions.
void RavixAppBase::RecordDemoMessage(const PlatformMessage& message) {
    const bool mainWindow = message.mTarget == MessageTarget::MainWindow;
    switch (message.mKind) {
    case MessageKind::ActivateApp:
        if (mainWindow) {
            RecordDemoEvent({.mCommand = kDemoActivation, .mFlag = message.mCode != 0});
        }
        return;
    case MessageKind::Size:
        if (mainWindow) {
            RecordDemoEvent({.mCommand = kDemoMinimized, .mFlag = message.mCode == kSizeMinimized});
        }
        return;
    case MessageKind::KeyDown:
    case MessageKind::SysKeyDown:
        RecordDemoEvent({.mCommand = kDemoKeyDown, .mCode = message.mCode & 0xFF});
        return;
    case MessageKind::KeyUp:
    case MessageKind::SysKeyUp:
        RecordDemoEvent({.mCommand = kDemoKeyUp, .mCode = message.mCode & 0xFF});
        return;
    case MessageKind::Char:
        RecordDemoEvent({.mCommand = kDemoCharacter, .mCode = message.mCode & 0xFF});
        return;
    case MessageKind::MouseWheel:
        RecordDemoEvent(
            {.mCommand = kDemoWheel, .mCode = static_cast<int16_t>(message.mCode) / kWheelStep});
        return;
    case MessageKind::Close:
        RecordDemoEvent({.mCommand = kDemoClose});
        return;
    default:
        return;
    }
}

void RavixAppBase::WriteDemoFile() {
    if (!mRecording) {
        return;
    }
    DemoFile file;
    file.mStartTick = static_cast<uint32_t>(mStartTick);
    file.mProductVersion = mVersionText;
    file.mMarkers = mMarkers;
    file.mDemoLength = static_cast<uint32_t>(UpdateCount());
    file.mEvents = BufferBytes(mEventStream.Data());
    if (!WriteFileAtomically(mDemoPath, file.Serialize())) {
        mPlatform->DebugOutput("Demo not written: " + mDemoPath);
    }
}

// Playback.

bool RavixAppBase::ReadDemoHeader(std::string& message) {
    DemoFile file;
    const DemoFile::Result result = file.Load(mDemoPath);
    if (result == DemoFile::Result::NotFound) {
        message = "Demo file not found: " + mDemoPath;
        return false;
    }
    if (result == DemoFile::Result::BadMagic || result == DemoFile::Result::Truncated) {
        message = "Invalid demo file.";
        return false;
    }
    mStartTick = file.mStartTick;
    if (file.mProductVersion != mVersionText.substr(0, DemoFile::kMaxProductVersion)) {
        message = "This demo file appears to be for '" + file.mProductVersion + "'";
        return false;
    }
    if (result != DemoFile::Result::Ok) {
        message = "Invalid demo file.";
        return false;
    }
    mMarkers = std::move(file.mMarkers);
    mRecordedLength = file.mDemoLength;
    mEventStream.Assign(file.mEvents.data(), file.mEvents.size());
    mNextEvent.reset();
    mEventCount = 0;
    return true;
}

const DemoEvent* RavixAppBase::PeekDemoEvent() {
    if (!mNextEvent) {
        DemoEvent event;
        if (!mEventStream.Read(event)) {
            return nullptr;
        }
        ++mEventCount;
        mNextEvent = std::move(event);
    }
    return &*mNextEvent;
}

// An event is due at the update count it was written at. One left behind (never taken by the
// operation that wrote it) is due at once, so that the stream cannot stall on it.
bool RavixAppBase::IsDemoEventDue() {
    const DemoEvent* next = PeekDemoEvent();
    return next != nullptr && next->mUpdate <= static_cast<uint32_t>(UpdateCount());
}

bool RavixAppBase::TakeDemoEvent(int command, DemoEvent& event) {
    if (!IsDemoEventDue() || mNextEvent->mCommand != command) {
        return false;
    }
    event = std::move(*mNextEvent);
    mNextEvent.reset();
    return true;
}

void RavixAppBase::PlayDemoEvents() {
    while (mPlaying && !mShuttingDown && mPlaybackBox == nullptr && IsDemoEventDue()) {
        DemoEvent event = std::move(*mNextEvent);
        mNextEvent.reset();
        PerformDemoEvent(event);
    }
}

void RavixAppBase::ReadDemoDisplayRecord() {
    DemoEvent display;
    if (TakeDemoEvent(kDemoDisplay, display)) {
        mWantWindowed = display.mFlag;
        mRefreshRate = display.mCode;
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
    case kDemoLoadingComplete:
        mRecordedLoadDone = true;
        return;
    case kDemoWheel:
        mWidgets->MouseWheel(event.mCode);
        return;
    case kDemoDisplay:
        mWantWindowed = event.mFlag;
        mRefreshRate = event.mCode;
        return;
    default:
        // Settings, transfer and sync events are taken by the operations that wrote them;
        // fillers and unknown commands do nothing.
        return;
    }
}

// Data sync.

void RavixAppBase::SyncDemoData(Buffer& buffer) {
    if (mRecording) {
        RecordDemoEvent({.mCommand = kDemoDataSync, .mBytes = BufferBytes(buffer)});
        return;
    }
    DemoEvent recorded;
    if (mPlaying && !mClosing && TakeDemoEvent(kDemoDataSync, recorded)) {
        buffer.Assign(recorded.mBytes.data(), recorded.mBytes.size());
        buffer.Rewind();
    }
}

void RavixAppBase::SyncDemoString(std::string& text) {
    Buffer buffer;
    buffer.PutText(text);
    SyncDemoData(buffer);
    text = buffer.GetText();
}

void RavixAppBase::SyncDemoBool(bool& flag) {
    Buffer buffer;
    buffer.PutBool(flag);
    SyncDemoData(buffer);
    flag = buffer.GetBool();
}

// Web transfers.

void RavixAppBase::RecordTransferOutcome(uint32_t number, int result, const std::string& content) {
    if (!mRecording) {
        return;
    }
    // A result of 2 carries no text.
    RecordDemoEvent({.mCommand = kDemoTransferResult,
                     .mCode = result & 0xFF,
                     .mNumber = number,
                     .mText = result == 2 ? std::string() : content});
}

bool RavixAppBase::ReplayTransferOutcome(uint32_t number, int& result, std::string& content) {
    if (!mPlaying || mClosing) {
        return false;
    }
    const DemoEvent* next = PeekDemoEvent();
    DemoEvent recorded;
    if (next == nullptr || next->mNumber != number ||
        !TakeDemoEvent(kDemoTransferResult, recorded)) {
        return false;
    }
    result = recorded.mCode;
    content = std::move(recorded.mText);
    return true;
}

// Appends the filler event to the demo being recorded; nothing when not recording.
void RavixAppBase::WriteDemoFillerEvent() {
    if (mRecording) {
        RecordDemoEvent({.mCommand = kDemoFiller});
    }
}

} // namespace ravix
