#pragma once

#include "base/Buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ravix {

// The commands of a recorded event (5 bits). The two mouse events have no command number in
// the stream; they get negative numbers here so that one field tells every event apart.
enum DemoCommand : int {
    kDemoRelativeMove = -2,
    kDemoMouseButton = -1,
    kDemoAbsoluteMove = 0,
    kDemoActivation = 1,
    kDemoMinimized = 2,
    kDemoKeyDown = 3,
    kDemoKeyUp = 4,
    kDemoCharacter = 5,
    kDemoClose = 6,
    kDemoMouseEnter = 7,
    kDemoMouseLeave = 8,
    kDemoLoadingComplete = 9,
    kDemoSettingsRead = 11,
    kDemoSettingsWrite = 12,
    kDemoTransferResult = 17,
    kDemoDataSync = 18,
    kDemoWheel = 21,
    kDemoDisplay = 23,
    kDemoFiller = 31,
};

// One recorded event: the update it belongs to, what it is, and its payload. Which payload
// fields an event uses:
//   relative move      mX, mY: offsets (-31..31)
//   mouse button       mFlag: down; mCode: 1 left, 2 left double, -1 right, -2 right double, 3
//   middle absolute move      mX, mY (-2048..2047) activation         mFlag: active minimised
//   mFlag: minimised key down, key up   mCode: virtual-key code (0..255) character          mFlag:
//   wide; mCode: the character (8 bits, 16 when wide) settings read      mFlag: success; mNumber:
//   value type; mBytes: the value settings write     mFlag: success transfer result    mNumber:
//   transfer number; mCode: result (0..255); mText: content data sync          mBytes wheel mCode:
//   notches (-128..127) display            mFlag: windowed; mCode: refresh rate in Hz (0..255)
struct DemoEvent {
    uint32_t mUpdate = 0;
    int mCommand = kDemoFiller;
    int mX = 0;
    int mY = 0;
    bool mFlag = false;
    int mCode = 0;
    uint32_t mNumber = 0;
    std::vector<uint8_t> mBytes{};
    std::string mText{};

    bool operator==(const DemoEvent&) const = default;
};

// The bit-packed event stream of a demo. Each event is a 4-bit count of updates since the
// previous event, a header (1 bit mouse flag, then 1 bit mouse kind or 5 bits command) and the
// payload; gaps longer than 15 updates are bridged by filler events. Writing appends to the
// buffer; reading walks it from the start and never reads past its end: an event that does
// not fit in what is left ends the stream.
class DemoStream {
public:
    // Writes the event, stamped with event.mUpdate, which must not lie before the last event
    // written. Filler events written to bridge a gap are counted in WrittenCount.
    void Write(const DemoEvent& event);

    // Replaces the stream with the bytes and starts reading at the first event.
    void Assign(const uint8_t* bytes, size_t count);
    // The next event, or false at the end of the stream. Fillers are events too.
    [[nodiscard]] bool Read(DemoEvent& event);

    const Buffer& Data() const { return mBuffer; }
    // The update of the last event written or read.
    uint32_t LastUpdate() const { return mLastUpdate; }
    int WrittenCount() const { return mWrittenCount; }
    void Clear();

    // The event's name as people read it ("key down", "mouse relative move", ...) and its
    // payload as "name=value" fields separated by spaces (a transfer's text as it is).
    static std::string EventName(int command);
    static std::string DescribePayload(const DemoEvent& event);

    static constexpr int kMaxGap = 15;
    static constexpr int kMaxRelativeMove = 31;
    // Absolute positions are 12-bit two's-complement numbers.
    static constexpr int kMinPosition = -2048;
    static constexpr int kMaxPosition = 2047;

private:
    void WriteHeader(bool mouse, int kindOrCommand);
    void WritePayload(const DemoEvent& event);
    // Reads count bits; false (and the stream ends) when fewer are left.
    bool Take(int count, bool isSigned, int32_t& value);
    bool TakeBytes(size_t count, std::vector<uint8_t>& bytes);
    bool TakeFlag(bool& flag, int count);
    // A length of lengthBits bits, then that many bytes.
    bool TakeCounted(int lengthBits, std::vector<uint8_t>& bytes);
    bool ReadPayload(DemoEvent& event);

    Buffer mBuffer;
    uint32_t mLastUpdate = 0;
    int mWrittenCount = 0;
    size_t mReadBits = 0; // bits read since the start (the buffer does not tell)
    bool mEnded = false;
};

} // namespace ravix
