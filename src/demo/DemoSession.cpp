#include "demo/DemoSession.h"

#include "base/Buffer.h"
#include "files/AtomicFile.h"
#include "platform/PlatformMessage.h"

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

void DemoSession::RecordDemoEvent(DemoEvent event) {
    if (!IsRecording()) {
        return;
    }
    event.mUpdate = static_cast<uint32_t>(mHost.DemoUpdateCount());
    mEventStream.Write(event);
}

void DemoSession::RecordPointerMove(std::optional<Point> from, Point to) {
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
void DemoSession::RecordDemoMessage(const PlatformMessage& message) {
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

void DemoSession::WriteDemoFillerEvent() {
    RecordDemoEvent({.mCommand = kDemoFiller});
}

bool DemoSession::WriteDemoFile(int64_t startTick, const std::string& productVersion) {
    if (!IsRecording()) {
        return true;
    }
    DemoFile file;
    file.mStartTick = static_cast<uint32_t>(startTick);
    file.mProductVersion = productVersion;
    file.mMarkers = mMarkers;
    file.mDemoLength = static_cast<uint32_t>(mHost.DemoUpdateCount());
    file.mEvents = BufferBytes(mEventStream.Data());
    return WriteFileAtomically(mPath, file.Serialize());
}

// Playback.

bool DemoSession::ReadDemoHeader(const std::string& productVersion, int64_t& startTick,
                                 std::string& message) {
    DemoFile file;
    const DemoFile::Result result = file.Load(mPath);
    if (result == DemoFile::Result::NotFound) {
        message = "Demo file not found: " + mPath;
        return false;
    }
    if (result == DemoFile::Result::BadMagic || result == DemoFile::Result::Truncated) {
        message = "Invalid demo file.";
        return false;
    }
    startTick = file.mStartTick;
    if (file.mProductVersion != productVersion.substr(0, DemoFile::kMaxProductVersion)) {
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

const DemoEvent* DemoSession::PeekDemoEvent() {
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

bool DemoSession::IsDemoEventDue() {
    const DemoEvent* next = PeekDemoEvent();
    return next != nullptr && next->mUpdate <= static_cast<uint32_t>(mHost.DemoUpdateCount());
}

bool DemoSession::TakeDemoEvent(int command, DemoEvent& event) {
    if (!IsDemoEventDue() || mNextEvent->mCommand != command) {
        return false;
    }
    event = std::move(*mNextEvent);
    mNextEvent.reset();
    return true;
}

void DemoSession::PlayDemoEvents() {
    while (ReplacesLiveInput() && !mHost.IsDemoShuttingDown() && IsDemoEventDue()) {
        DemoEvent event = std::move(*mNextEvent);
        mNextEvent.reset();
        if (event.mCommand == kDemoLoadingComplete) {
            mRecordedLoadDone = true;
        } else {
            mHost.PerformDemoEvent(event);
        }
    }
}

bool DemoSession::TakeDisplayRecord(bool& windowed, int& refreshRate) {
    DemoEvent display;
    if (!TakeDemoEvent(kDemoDisplay, display)) {
        return false;
    }
    windowed = display.mFlag;
    refreshRate = display.mCode;
    return true;
}

// Data sync.

void DemoSession::SyncDemoData(Buffer& buffer) {
    if (IsRecording()) {
        RecordDemoEvent({.mCommand = kDemoDataSync, .mBytes = BufferBytes(buffer)});
        return;
    }
    DemoEvent recorded;
    if (IsPlaying() && !mHost.IsDemoClosing() && TakeDemoEvent(kDemoDataSync, recorded)) {
        buffer.Assign(recorded.mBytes.data(), recorded.mBytes.size());
        buffer.Rewind();
    }
}

void DemoSession::SyncDemoString(std::string& text) {
    Buffer buffer;
    buffer.PutText(text);
    SyncDemoData(buffer);
    text = buffer.GetText();
}

void DemoSession::SyncDemoBool(bool& flag) {
    Buffer buffer;
    buffer.PutBool(flag);
    SyncDemoData(buffer);
    flag = buffer.GetBool();
}

// Settings.

bool DemoSession::ReplaySettingRead(size_t maxLength, bool& read, uint32_t& type,
                                    std::vector<uint8_t>& bytes) {
    if (!IsPlaying()) {
        return false;
    }
    DemoEvent recorded;
    read = !mHost.IsDemoClosing() && TakeDemoEvent(kDemoSettingsRead, recorded) && recorded.mFlag &&
           recorded.mBytes.size() <= maxLength;
    if (read) {
        type = recorded.mNumber;
        bytes = std::move(recorded.mBytes);
    }
    return true;
}

void DemoSession::RecordSettingRead(bool read, uint32_t type, const std::vector<uint8_t>& bytes) {
    DemoEvent recorded{.mCommand = kDemoSettingsRead, .mFlag = read};
    if (read) {
        recorded.mNumber = type;
        recorded.mBytes = bytes;
    }
    RecordDemoEvent(std::move(recorded));
}

bool DemoSession::ReplaySettingWrite(bool& written) {
    if (!IsPlaying()) {
        return false;
    }
    DemoEvent recorded;
    written =
        mHost.IsDemoClosing() || (TakeDemoEvent(kDemoSettingsWrite, recorded) && recorded.mFlag);
    return true;
}

void DemoSession::RecordSettingWrite(bool written) {
    RecordDemoEvent({.mCommand = kDemoSettingsWrite, .mFlag = written});
}

// Web transfers.

void DemoSession::RecordTransferOutcome(uint32_t number, int result, const std::string& content) {
    // A result of 2 carries no text.
    RecordDemoEvent({.mCommand = kDemoTransferResult,
                     .mCode = result & 0xFF,
                     .mNumber = number,
                     .mText = result == 2 ? std::string() : content});
}

bool DemoSession::ReplayTransferOutcome(uint32_t number, int& result, std::string& content) {
    if (!IsPlaying() || mHost.IsDemoClosing()) {
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

} // namespace ravix
