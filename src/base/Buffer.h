#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ravix {

// A growable byte array with independent bit-granular read and write positions. Values are
// packed without alignment; bits fill each byte from the least significant bit upwards and
// multi-byte numbers are little-endian. Writing always appends at the end. Reading past the
// end never fails: it yields zero bits, and IsAtEnd tells the reader that the data ran out.
class Buffer {
public:
    Buffer() = default;
    virtual ~Buffer() = default;

    void Reset();
    void Rewind() { mReadBitPos = 0; }
    // Replaces the data with a copy of the bytes. The read position stays; the write position
    // moves to the end, where writing always appends.
    void Assign(const void* bytes, std::size_t count);

    // The first byte, or null when the buffer is empty.
    const std::uint8_t* Data() const { return mData.empty() ? nullptr : mData.data(); }
    std::size_t ByteLength() const { return (mBitLength + 7) / 8; }
    bool IsAtEnd() const { return mReadBitPos >= mBitLength; }

    // Appends the low `count` bits (0..32) of `value`, least significant first.
    void PutBits(std::uint32_t value, int count);
    void PutByte(std::uint8_t value);
    void PutBool(bool flag) { PutByte(flag ? 1 : 0); }
    void PutInt16(std::int16_t value);
    void PutInt32(std::int32_t value);
    // A 16-bit length, then the characters. The length field reads back as a signed number,
    // so a longer text is cut to kMaxTextLength characters to keep the stream in step.
    void PutText(const std::string& text);
    void PutBytes(const void* bytes, std::size_t count);

    // Reads `count` bits (0..32). With `isSigned`, a last bit of 1 extends the sign from a
    // count-bit two's-complement field. Bits beyond the data are 0.
    std::int32_t TakeBits(int count, bool isSigned);
    // 0 without moving when fewer than 8 bits (rounded up to whole bytes) remain.
    std::uint8_t GetByte();
    bool GetBool() { return GetByte() != 0; }
    std::int16_t GetInt16();
    std::int32_t GetInt32();
    std::string GetText();
    void GetBytes(std::size_t count, void* out);

    static constexpr std::size_t kMaxTextLength = 0x7FFF;

private:
    std::vector<std::uint8_t> mData;
    std::size_t mBitLength = 0;   // the largest write position reached
    std::size_t mReadBitPos = 0;  // next bit to read
    std::size_t mWriteBitPos = 0; // next bit to write
};

} // namespace ravix
