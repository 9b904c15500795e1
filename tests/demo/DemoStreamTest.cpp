// The demo event stream, bit by bit.

#include "demo/DemoStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ravix;

namespace {

std::vector<uint8_t> Bytes(const DemoStream& stream) {
    const Buffer& data = stream.Data();
    return std::vector<uint8_t>(data.Data(), data.Data() + data.ByteLength());
}

std::vector<DemoEvent> ReadAll(const std::vector<uint8_t>& bytes) {
    DemoStream stream;
    stream.Assign(bytes.data(), bytes.size());
    std::vector<DemoEvent> events;
    DemoEvent event;
    while (stream.Read(event)) {
        events.push_back(event);
    }
    return events;
}

DemoEvent Event(uint32_t update, int command) {
    DemoEvent event;
    event.mUpdate = update;
    event.mCommand = command;
    return event;
}

DemoEvent Move(int command, int x, int y) {
    DemoEvent event = Event(0, command);
    event.mX = x;
    event.mY = y;
    return event;
}

DemoEvent Coded(int command, int code, bool flag = false, uint32_t update = 0) {
    DemoEvent event = Event(update, command);
    event.mCode = code;
    event.mFlag = flag;
    return event;
}

DemoEvent WithBytes(int command, std::vector<uint8_t> bytes, uint32_t number = 0) {
    DemoEvent event = Event(0, command);
    event.mFlag = true;
    event.mNumber = number;
    event.mBytes = std::move(bytes);
    return event;
}

DemoEvent Transfer(uint32_t number, int result, std::string text) {
    DemoEvent event = Coded(kDemoTransferResult, result);
    event.mNumber = number;
    event.mText = std::move(text);
    return event;
}

struct EncodingCase {
    const char* mName;
    std::vector<DemoEvent> mEvents;
    std::vector<uint8_t> mBytes;
};

} // namespace

// The expected bytes were packed by hand: each field least significant bit first, bytes
// filled from their lowest bit.
TEST(DemoStream, EveryEventKindIsWrittenBitExactAndReadBack) {
    const std::vector<EncodingCase> cases = {
        {"relative move (+3, -2)", {Move(kDemoRelativeMove, 3, -2)}, {0xD0, 0xE0, 0x03}},
        {"right double click down, code -2 as 110",
         {Coded(kDemoMouseButton, -2, true)},
         {0x70, 0x03}},
        {"middle up two updates later", {Coded(kDemoMouseButton, 3, false, 2)}, {0xB2, 0x01}},
        {"absolute move (40, 0)", {Move(kDemoAbsoluteMove, 40, 0)}, {0x00, 0xA0, 0, 0, 0}},
        {"absolute move left of the screen",
         {Move(kDemoAbsoluteMove, -5, 599)},
         {0x00, 0xEC, 0xFF, 0x95, 0x00}},
        {"activation", {Coded(kDemoActivation, 0, true, 1)}, {0x21, 0x04}},
        {"minimised as a byte", {Coded(kDemoMinimized, 0, true)}, {0x40, 0x04, 0x00}},
        {"key down", {Coded(kDemoKeyDown, 65)}, {0x60, 0x04, 0x01}},
        {"key up", {Coded(kDemoKeyUp, 13)}, {0x80, 0x34, 0x00}},
        {"character", {Coded(kDemoCharacter, 'a')}, {0xA0, 0x08, 0x03}},
        {"enter, leave, loading complete",
         {Event(0, kDemoMouseEnter), Event(0, kDemoMouseLeave), Event(0, kDemoLoadingComplete)},
         {0xE0, 0x00, 0x04, 0x12}},
        {"settings read",
         {WithBytes(kDemoSettingsRead, {0x55, 0, 0, 0}, 4)},
         {0x60, 0x25, 0, 0, 0, 0x20, 0, 0, 0, 0xA8, 0x02, 0, 0, 0}},
        {"failed settings read, settings write",
         {Coded(kDemoSettingsRead, 0, false), Coded(kDemoSettingsWrite, 0, true)},
         {0x60, 0x01, 0x2C}},
        {"web transfer result",
         {Transfer(7, 0, "ok")},
         {0x20, 0x1E, 0, 0, 0, 0, 0x08, 0, 0xBC, 0xAD, 0x01}},
        {"data sync",
         {WithBytes(kDemoDataSync, {0xAB, 0xCD})},
         {0x40, 0x0A, 0, 0, 0, 0xAC, 0x36, 0x03}},
        {"wheel", {Coded(kDemoWheel, -2)}, {0xA0, 0xFA, 0x03}},
        {"display", {Coded(kDemoDisplay, 60, true)}, {0xE0, 0x06, 0xF0, 0x00}},
    };
    for (const EncodingCase& c : cases) {
        DemoStream stream;
        for (const DemoEvent& event : c.mEvents) {
            stream.Write(event);
        }
        EXPECT_EQ(Bytes(stream), c.mBytes) << c.mName;
        std::vector<DemoEvent> read = ReadAll(c.mBytes);
        // A data sync carries no flag in the stream.
        for (DemoEvent& event : read) {
            if (event.mCommand == kDemoDataSync) {
                event.mFlag = true;
            }
        }
        EXPECT_EQ(read, c.mEvents) << c.mName;
    }
}

TEST(DemoStream, LongGapsAreBridgedByFillers) {
    DemoStream stream;
    stream.Write(Event(40, kDemoClose));
    EXPECT_EQ(Bytes(stream), (std::vector<uint8_t>{0xEF, 0xBF, 0xAF, 0x0C})); // 15, 15, 10
    EXPECT_EQ(stream.WrittenCount(), 3);
    EXPECT_EQ(ReadAll(Bytes(stream)),
              (std::vector<DemoEvent>{Event(15, kDemoFiller), Event(30, kDemoFiller),
                                      Event(40, kDemoClose)}));
}

TEST(DemoStream, AStreamThatEndsEarlyStopsProducingEvents) {
    DemoStream stream;
    stream.Write(Coded(kDemoKeyDown, 65));
    stream.Write(WithBytes(kDemoDataSync, {1, 2, 3, 4}));
    std::vector<uint8_t> bytes = Bytes(stream);
    // The padding bits after the last event are no event.
    EXPECT_EQ(ReadAll(bytes).size(), 2u);
    bytes.pop_back();
    EXPECT_EQ(ReadAll(bytes), std::vector<DemoEvent>{Coded(kDemoKeyDown, 65)});

    // A length that claims more than the stream holds ends it without allocating.
    const std::vector<uint8_t> huge = {0x40, 0xC2, 0xFF, 0xFF, 0xFF, 0x07, 0x00};
    EXPECT_TRUE(ReadAll(huge).empty());
    // Commands above the last known one carry no payload.
    EXPECT_EQ(ReadAll({0xC0, 0x03}), std::vector<DemoEvent>{Event(0, 30)});
}
