#include "demo/DemoStream.h"

#include "base/Verify.h"

#include <algorithm>

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

// The width of a number field in this event (a wide character has more bits).
int BitsOf(const DemoFieldSpec& field, const DemoEvent& event) {
    return field.mWideBits > 0 && event.mFlag ? field.mWideBits : field.mBits;
}

// A number field's value as the stream holds it.
uint32_t NumberOf(DemoField field, const DemoEvent& event) {
    switch (field) {
    case DemoField::X:
        return Bits(event.mX);
    case DemoField::Y:
        return Bits(event.mY);
    case DemoField::Flag:
        return event.mFlag ? 1 : 0;
    case DemoField::Number:
        return event.mNumber;
    default:
        return Bits(event.mCode);
    }
}

void SetNumber(DemoField field, int32_t value, DemoEvent& event) {
    switch (field) {
    case DemoField::X:
        event.mX = value;
        return;
    case DemoField::Y:
        event.mY = value;
        return;
    case DemoField::Flag:
        event.mFlag = value != 0;
        return;
    case DemoField::Number:
        event.mNumber = Bits(value);
        return;
    default:
        event.mCode = value;
        return;
    }
}

std::string DescribeField(const DemoFieldSpec& field, const DemoEvent& event) {
    switch (field.mField) {
    case DemoField::Bytes:
        return Field(field.mLabel, static_cast<long long>(event.mBytes.size())) +
               " bytes=" + Hex(event.mBytes);
    case DemoField::Text:
        return std::string(field.mLabel) + "=" + event.mText;
    case DemoField::Flag:
        if (field.mWords[0] != nullptr) {
            return field.mWords[event.mFlag ? 1 : 0];
        }
        return Field(field.mLabel, event.mFlag);
    case DemoField::Number:
        return Field(field.mLabel, event.mNumber);
    case DemoField::X:
        return Field(field.mLabel, event.mX);
    case DemoField::Y:
        return Field(field.mLabel, event.mY);
    default:
        return Field(field.mLabel, event.mCode);
    }
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
    const DemoCommandSpec* spec = FindDemoCommand(event.mCommand);
    if (spec == nullptr) {
        return;
    }
    for (const DemoFieldSpec& field : spec->Fields()) {
        if (!field.mOnlyWithFlag || event.mFlag) {
            WriteField(field, event);
        }
    }
}

void DemoStream::WriteField(const DemoFieldSpec& field, const DemoEvent& event) {
    switch (field.mField) {
    case DemoField::Bytes:
        mBuffer.PutBits(static_cast<uint32_t>(event.mBytes.size()), field.mBits);
        mBuffer.PutBytes(event.mBytes.data(), event.mBytes.size());
        return;
    case DemoField::Text: {
        const size_t length = std::min(event.mText.size(), Buffer::kMaxTextLength);
        mBuffer.PutBits(static_cast<uint32_t>(length), field.mBits);
        mBuffer.PutBytes(event.mText.data(), length);
        return;
    }
    default:
        mBuffer.PutBits(NumberOf(field.mField, event), BitsOf(field, event));
        return;
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

bool DemoStream::ReadPayload(DemoEvent& event) {
    const DemoCommandSpec* spec = FindDemoCommand(event.mCommand);
    if (spec == nullptr) {
        return true; // no payload
    }
    for (const DemoFieldSpec& field : spec->Fields()) {
        if ((!field.mOnlyWithFlag || event.mFlag) && !ReadField(field, event)) {
            return false;
        }
    }
    return true;
}

bool DemoStream::ReadField(const DemoFieldSpec& field, DemoEvent& event) {
    int32_t value = 0;
    if (!Take(BitsOf(field, event), field.mSigned, value)) {
        return false;
    }
    switch (field.mField) {
    case DemoField::Bytes:
        return TakeBytes(Bits(value), event.mBytes);
    case DemoField::Text: {
        // The length is signed, as the buffer writes it: a negative one is no text.
        std::vector<uint8_t> text;
        if (!TakeBytes(value < 0 ? 0 : Bits(value), text)) {
            return false;
        }
        event.mText.assign(text.begin(), text.end());
        return true;
    }
    default:
        SetNumber(field.mField, value, event);
        return true;
    }
}

std::string DemoStream::EventName(int command) {
    const DemoCommandSpec* spec = FindDemoCommand(command);
    return spec != nullptr ? spec->mName : "command " + std::to_string(command);
}

std::string DemoStream::DescribePayload(const DemoEvent& event) {
    const DemoCommandSpec* spec = FindDemoCommand(event.mCommand);
    if (spec == nullptr) {
        return "";
    }
    std::string text;
    for (const DemoFieldSpec& field : spec->Fields()) {
        if (field.mOnlyWithFlag && !event.mFlag) {
            continue;
        }
        if (!text.empty()) {
            text += ' ';
        }
        text += DescribeField(field, event);
    }
    return text;
}

} // namespace ravix
