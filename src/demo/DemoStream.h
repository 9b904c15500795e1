#pragma once

#include "base/Buffer.h"
#include "demo/DemoCommands.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ravix {

// One recorded event: the update it belongs to, what it is, and its payload. Which payload
// fields each command uses, and how they are packed, is kDemoCommandSpecs (DemoCommands.h).
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
    void WriteField(const DemoFieldSpec& field, const DemoEvent& event);
    // Reads count bits; false (and the stream ends) when fewer are left.
    bool Take(int count, bool isSigned, int32_t& value);
    bool TakeBytes(size_t count, std::vector<uint8_t>& bytes);
    bool ReadPayload(DemoEvent& event);
    bool ReadField(const DemoFieldSpec& field, DemoEvent& event);

    Buffer mBuffer;
    uint32_t mLastUpdate = 0;
    int mWrittenCount = 0;
    size_t mReadBits = 0; // bits read since the start (the buffer does not tell)
    bool mEnded = false;
};

} // namespace ravix
