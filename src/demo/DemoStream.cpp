#include "demo/DemoStream.h"

#include "base/Verify.h"

namespace ravix {

namespace {

constexpr int kTimingBits = 4;
constexpr int kCommandBits = 5;

uint32_t Bits(int value) {
    return static_cast<uint32_t>(value);
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

std::string Field(const char* name, long long value) {
    return std::string(name) + "=" + std::to_string(value);
}

} // namespace

void DemoStream::Clear() {
    mBuffer.Reset();
    mLastUpdate = 0;
    mWrittenCount = 0;
    mReadBits = 0;
    mEnded = false;
}

void DemoStream::WriteHeader(bool mouse, int kindOrCommand) {
    mBuffer.PutBits(mouse ? 1 : 0, 1);
    mBuffer.PutBits(Bits(kindOrCommand), mouse ? 1 : kCommandBits);
}

void DemoStream::Write(const DemoEvent& event) {
    RAVIX_VERIFY(event.mUpdate >= mLastUpdate, "demo events are written in update order");
    uint32_t gap = event.mUpdate - mLastUpdate;
    while (gap > kMaxGap) {
        mBuffer.PutBits(kMaxGap, kTimingBits);
        WriteHeader(false, kDemoFiller);
        ++mWrittenCount;
        gap -= kMaxGap;
    }
    mBuffer.PutBits(gap, kTimingBits);
    mLastUpdate = event.mUpdate;
    if (event.mCommand == kDemoRelativeMove || event.mCommand == kDemoMouseButton) {
        WriteHeader(true, event.mCommand == kDemoMouseButton ? 1 : 0);
    } else {
        RAVIX_VERIFY(event.mCommand >= 0 && event.mCommand <= kDemoFiller,
                     "a demo command has 5 bits");
        WriteHeader(false, event.mCommand);
    }
    WritePayload(event);
    ++mWrittenCount;
}

void DemoStream::WritePayload(const DemoEvent& event) {
    Buffer& b = mBuffer;
    switch (event.mCommand) {
    case kDemoRelativeMove:
        b.PutBits(Bits(event.mX), 6);
        b.PutBits(Bits(event.mY), 6);
        break;
    case kDemoMouseButton:
        b.PutBits(event.mFlag ? 1 : 0, 1);
        b.PutBits(Bits(event.mCode), 3);
        break;
    case kDemoAbsoluteMove:
        b.PutBits(Bits(event.mX), 12);
        b.PutBits(Bits(event.mY), 12);
        break;
    case kDemoActivation:
        b.PutBits(event.mFlag ? 1 : 0, 1);
        break;
    case kDemoMinimized:
        b.PutBool(event.mFlag);
        break;
    case kDemoKeyDown:
    case kDemoKeyUp:
    case kDemoWheel:
        b.PutBits(Bits(event.mCode), 8);
        break;
    case kDemoCharacter:
        b.PutBits(event.mFlag ? 1 : 0, 1);
        b.PutBits(Bits(event.mCode), event.mFlag ? 16 : 8);
        break;
    case kDemoSettingsRead:
        b.PutBits(event.mFlag ? 1 : 0, 1);
        if (event.mFlag) {
            b.PutInt32(static_cast<int32_t>(event.mNumber));
            b.PutInt32(static_cast<int32_t>(event.mBytes.size()));
            b.PutBytes(event.mBytes.data(), event.mBytes.size());
        }
        break;
    case kDemoSettingsWrite:
        b.PutBits(event.mFlag ? 1 : 0, 1);
        break;
    case kDemoTransferResult:
        b.PutInt32(static_cast<int32_t>(event.mNumber));
        b.PutByte(static_cast<uint8_t>(event.mCode));
        b.PutText(event.mText);
        break;
    case kDemoDataSync:
        b.PutInt32(static_cast<int32_t>(event.mBytes.size()));
        b.PutBytes(event.mBytes.data(), event.mBytes.size());
        break;
    case kDemoDisplay:
        b.PutBool(event.mFlag);
        b.PutByte(static_cast<uint8_t>(event.mCode));
        break;
    default:
        break;
    }
}

void DemoStream::Assign(const uint8_t* bytes, size_t count) {
    Clear();
    mBuffer.Assign(bytes, count);
}

bool DemoStream::Take(int count, bool isSigned, int32_t& value) {
    if (mEnded || mBuffer.ByteLength() * 8 - mReadBits < static_cast<size_t>(count)) {
        mEnded = true;
        return false;
    }
    value = mBuffer.TakeBits(count, isSigned);
    mReadBits += static_cast<size_t>(count);
    return true;
}

bool DemoStream::TakeBytes(size_t count, std::vector<uint8_t>& bytes) {
    // The length comes from the file: check it before allocating.
    if (mEnded || (mBuffer.ByteLength() * 8 - mReadBits) / 8 < count) {
        mEnded = true;
        return false;
    }
    bytes.resize(count);
    int32_t byte = 0;
    for (uint8_t& out : bytes) {
        Take(8, false, byte);
        out = static_cast<uint8_t>(byte);
    }
    return true;
}

bool DemoStream::Read(DemoEvent& event) {
    event = DemoEvent();
    int32_t timing = 0;
    int32_t mouse = 0;
    int32_t code = 0;
    if (!Take(kTimingBits, false, timing) || !Take(1, false, mouse) ||
        !Take(mouse ? 1 : kCommandBits, false, code)) {
        return false;
    }
    event.mUpdate = mLastUpdate + static_cast<uint32_t>(timing);
    event.mCommand = mouse ? (code ? kDemoMouseButton : kDemoRelativeMove) : code;
    if (!ReadPayload(event)) {
        return false;
    }
    mLastUpdate = event.mUpdate;
    return true;
}

bool DemoStream::TakeFlag(bool& flag, int count) {
    int32_t value = 0;
    if (!Take(count, false, value)) {
        return false;
    }
    flag = value != 0;
    return true;
}

bool DemoStream::TakeCounted(int lengthBits, std::vector<uint8_t>& bytes) {
    int32_t length = 0;
    return Take(lengthBits, false, length) && TakeBytes(Bits(length), bytes);
}

bool DemoStream::ReadPayload(DemoEvent& event) {
    int32_t number = 0;
    switch (event.mCommand) {
    case kDemoRelativeMove:
        return Take(6, true, event.mX) && Take(6, true, event.mY);
    case kDemoMouseButton:
        return TakeFlag(event.mFlag, 1) && Take(3, true, event.mCode);
    case kDemoAbsoluteMove:
        return Take(12, true, event.mX) && Take(12, true, event.mY);
    case kDemoActivation:
    case kDemoSettingsWrite:
        return TakeFlag(event.mFlag, 1);
    case kDemoMinimized:
        return TakeFlag(event.mFlag, 8);
    case kDemoKeyDown:
    case kDemoKeyUp:
        return Take(8, false, event.mCode);
    case kDemoWheel:
        return Take(8, true, event.mCode);
    case kDemoCharacter:
        return TakeFlag(event.mFlag, 1) && Take(event.mFlag ? 16 : 8, false, event.mCode);
    case kDemoSettingsRead:
        if (!TakeFlag(event.mFlag, 1) || !event.mFlag) {
            return !mEnded;
        }
        if (!Take(32, false, number)) {
            return false;
        }
        event.mNumber = Bits(number);
        return TakeCounted(32, event.mBytes);
    case kDemoTransferResult: {
        // The text's length is signed, as the buffer writes it: a negative one is no text.
        int32_t length = 0;
        std::vector<uint8_t> text;
        if (!Take(32, false, number) || !Take(8, false, event.mCode) || !Take(16, true, length) ||
            !TakeBytes(length < 0 ? 0 : Bits(length), text)) {
            return false;
        }
        event.mNumber = Bits(number);
        event.mText.assign(text.begin(), text.end());
        return true;
    }
    case kDemoDataSync:
        return TakeCounted(32, event.mBytes);
    case kDemoDisplay:
        return TakeFlag(event.mFlag, 8) && Take(8, false, event.mCode);
    default:
        return true; // no payload, as for every command above the display record
    }
}

std::string DemoStream::EventName(int command) {
    switch (command) {
    case kDemoRelativeMove:
        return "mouse relative move";
    case kDemoMouseButton:
        return "mouse button";
    case kDemoAbsoluteMove:
        return "absolute mouse move";
    case kDemoActivation:
        return "activation";
    case kDemoMinimized:
        return "minimised";
    case kDemoKeyDown:
        return "key down";
    case kDemoKeyUp:
        return "key up";
    case kDemoCharacter:
        return "character";
    case kDemoClose:
        return "close";
    case kDemoMouseEnter:
        return "mouse entered window";
    case kDemoMouseLeave:
        return "mouse left window";
    case kDemoLoadingComplete:
        return "loading complete";
    case kDemoSettingsRead:
        return "settings read";
    case kDemoSettingsWrite:
        return "settings write";
    case kDemoTransferResult:
        return "web transfer result";
    case kDemoDataSync:
        return "data sync";
    case kDemoWheel:
        return "mouse wheel";
    case kDemoDisplay:
        return "display";
    case kDemoFiller:
        return "filler";
    default:
        return "command " + std::to_string(command);
    }
}

std::string DemoStream::DescribePayload(const DemoEvent& event) {
    switch (event.mCommand) {
    case kDemoRelativeMove:
        return Field("dx", event.mX) + " " + Field("dy", event.mY);
    case kDemoMouseButton:
        return std::string(event.mFlag ? "down" : "up") + " " + Field("button", event.mCode);
    case kDemoAbsoluteMove:
        return Field("x", event.mX) + " " + Field("y", event.mY);
    case kDemoActivation:
        return Field("active", event.mFlag);
    case kDemoMinimized:
        return Field("minimised", event.mFlag);
    case kDemoKeyDown:
    case kDemoKeyUp:
        return Field("key", event.mCode);
    case kDemoCharacter:
        return Field("wide", event.mFlag) + " " + Field("char", event.mCode);
    case kDemoSettingsRead:
        if (!event.mFlag) {
            return "success=0";
        }
        return "success=1 " + Field("type", event.mNumber) + " " +
               Field("length", static_cast<long long>(event.mBytes.size())) +
               " bytes=" + Hex(event.mBytes);
    case kDemoSettingsWrite:
        return Field("success", event.mFlag);
    case kDemoTransferResult:
        return Field("transfer", event.mNumber) + " " + Field("result", event.mCode) +
               " text=" + event.mText;
    case kDemoDataSync:
        return Field("length", static_cast<long long>(event.mBytes.size())) +
               " bytes=" + Hex(event.mBytes);
    case kDemoWheel:
        return Field("notches", event.mCode);
    case kDemoDisplay:
        return Field("windowed", event.mFlag) + " " + Field("refresh", event.mCode);
    default:
        return "";
    }
}

} // namespace ravix
