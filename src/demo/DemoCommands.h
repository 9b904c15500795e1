#pragma once

#include <array>
#include <cstddef>
#include <span>

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

// The DemoEvent member a payload field is kept in.
enum class DemoField { X, Y, Flag, Code, Number, Bytes, Text };

// One field of a command's payload, in stream order. Numbers are mBits bits (least significant
// first); mWideBits replaces mBits when the event's flag is set. Bytes are a length of mBits
// bits and that many bytes; a text is a signed 16-bit length (a negative one is no text) and
// that many bytes, cut to Buffer::kMaxTextLength when written.
struct DemoFieldSpec {
    DemoField mField = DemoField::Code;
    int mBits = 0;
    bool mSigned = false;
    // Present only when the event's flag (an earlier field) is set.
    bool mOnlyWithFlag = false;
    int mWideBits = 0;
    // How people read it: "name=value"; a flag with mWords reads as one of the two words.
    const char* mLabel = "";
    std::array<const char*, 2> mWords{};
};

inline constexpr int kMaxDemoFields = 4;

// A command: its number, its name as people read it and its payload's fields (every field
// has bits; the unused places of mFields keep 0).
struct DemoCommandSpec {
    int mCommand = kDemoFiller;
    const char* mName = "";
    std::array<DemoFieldSpec, kMaxDemoFields> mFields{};

    // The payload's fields, in stream order.
    constexpr std::span<const DemoFieldSpec> Fields() const {
        size_t count = 0;
        while (count < mFields.size() && mFields[count].mBits > 0) {
            ++count;
        }
        return {mFields.data(), count};
    }
};

namespace demo_fields {

constexpr DemoFieldSpec Number(DemoField field, int bits, bool isSigned, const char* label) {
    return {.mField = field, .mBits = bits, .mSigned = isSigned, .mLabel = label};
}
constexpr DemoFieldSpec Flag(int bits, const char* label) {
    return {.mField = DemoField::Flag, .mBits = bits, .mLabel = label};
}

} // namespace demo_fields

// Every command of the stream, its fields described once: DemoStream writes, reads and
// describes events from this table alone, so the two directions cannot drift apart. A command
// missing here has no payload and reads as "command N".
inline constexpr DemoCommandSpec kDemoCommandSpecs[] = {
    {kDemoRelativeMove,
     "mouse relative move",
     {demo_fields::Number(DemoField::X, 6, true, "dx"),
      demo_fields::Number(DemoField::Y, 6, true, "dy")}},
    // The button code: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    {kDemoMouseButton,
     "mouse button",
     {DemoFieldSpec{.mField = DemoField::Flag, .mBits = 1, .mWords = {"up", "down"}},
      demo_fields::Number(DemoField::Code, 3, true, "button")}},
    {kDemoAbsoluteMove,
     "absolute mouse move",
     {demo_fields::Number(DemoField::X, 12, true, "x"),
      demo_fields::Number(DemoField::Y, 12, true, "y")}},
    {kDemoActivation, "activation", {demo_fields::Flag(1, "active")}},
    {kDemoMinimized, "minimised", {demo_fields::Flag(8, "minimised")}},
    // Virtual-key codes (0..255).
    {kDemoKeyDown, "key down", {demo_fields::Number(DemoField::Code, 8, false, "key")}},
    {kDemoKeyUp, "key up", {demo_fields::Number(DemoField::Code, 8, false, "key")}},
    // The character: 8 bits, 16 when wide.
    {kDemoCharacter,
     "character",
     {demo_fields::Flag(1, "wide"),
      DemoFieldSpec{.mField = DemoField::Code, .mBits = 8, .mWideBits = 16, .mLabel = "char"}}},
    {kDemoClose, "close", {}},
    {kDemoMouseEnter, "mouse entered window", {}},
    {kDemoMouseLeave, "mouse left window", {}},
    {kDemoLoadingComplete, "loading complete", {}},
    // Whether the read succeeded; then the value's type and bytes.
    {kDemoSettingsRead,
     "settings read",
     {demo_fields::Flag(1, "success"),
      DemoFieldSpec{
          .mField = DemoField::Number, .mBits = 32, .mOnlyWithFlag = true, .mLabel = "type"},
      DemoFieldSpec{
          .mField = DemoField::Bytes, .mBits = 32, .mOnlyWithFlag = true, .mLabel = "length"}}},
    {kDemoSettingsWrite, "settings write", {demo_fields::Flag(1, "success")}},
    // The transfer's number, its result (0..255) and its content.
    {kDemoTransferResult,
     "web transfer result",
     {demo_fields::Number(DemoField::Number, 32, false, "transfer"),
      demo_fields::Number(DemoField::Code, 8, false, "result"),
      DemoFieldSpec{.mField = DemoField::Text, .mBits = 16, .mSigned = true, .mLabel = "text"}}},
    {kDemoDataSync,
     "data sync",
     {DemoFieldSpec{.mField = DemoField::Bytes, .mBits = 32, .mLabel = "length"}}},
    // Notches (-128..127).
    {kDemoWheel, "mouse wheel", {demo_fields::Number(DemoField::Code, 8, true, "notches")}},
    // Windowed or not, and the refresh rate in Hz (0..255).
    {kDemoDisplay,
     "display",
     {demo_fields::Flag(8, "windowed"), demo_fields::Number(DemoField::Code, 8, false, "refresh")}},
    {kDemoFiller, "filler", {}},
};

// The command's entry in kDemoCommandSpecs, or null for a command the table does not know.
constexpr const DemoCommandSpec* FindDemoCommand(int command) {
    for (const DemoCommandSpec& spec : kDemoCommandSpecs) {
        if (spec.mCommand == command) {
            return &spec;
        }
    }
    return nullptr;
}

} // namespace ravix
