#include "base/Buffer.h"

#include "base/Verify.h"

#include <algorithm>

namespace ravix {

void Buffer::Reset() {
    mData.clear();
    mBitLength = 0;
    mReadBitPos = 0;
    mWriteBitPos = 0;
}

void Buffer::Assign(const void* bytes, std::size_t count) {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    mData.assign(first, first + count);
    mBitLength = count * 8;
    // Writes append at the end; a write position left inside or beyond the new data would
    // make the next write index outside it.
    mWriteBitPos = mBitLength;
}

void Buffer::PutBits(std::uint32_t value, int count) {
    RAVIX_VERIFY(count >= 0 && count <= 32, "PutBits takes 0 to 32 bits");
    for (int i = 0; i < count; ++i) {
        if (mWriteBitPos % 8 == 0)
            mData.push_back(0);
        if ((value >> i) & 1)
            mData[mWriteBitPos / 8] |= static_cast<std::uint8_t>(1u << (mWriteBitPos % 8));
        ++mWriteBitPos;
    }
    mBitLength = std::max(mBitLength, mWriteBitPos);
}

void Buffer::PutByte(std::uint8_t value) {
    const unsigned shift = mWriteBitPos % 8;
    if (shift == 0) {
        mData.push_back(value);
    } else {
        mData.back() |= static_cast<std::uint8_t>(value << shift);
        mData.push_back(static_cast<std::uint8_t>(value >> (8 - shift)));
    }
    mWriteBitPos += 8;
    mBitLength = std::max(mBitLength, mWriteBitPos);
}

void Buffer::PutInt16(std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    PutByte(static_cast<std::uint8_t>(bits));
    PutByte(static_cast<std::uint8_t>(bits >> 8));
}

void Buffer::PutInt32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        PutByte(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void Buffer::PutText(const std::string& text) {
    const std::size_t length = std::min(text.size(), kMaxTextLength);
    PutInt16(static_cast<std::int16_t>(length));
    PutBytes(text.data(), length);
}

void Buffer::PutBytes(const void* bytes, std::size_t count) {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    for (std::size_t i = 0; i < count; ++i)
        PutByte(first[i]);
}

std::int32_t Buffer::TakeBits(int count, bool isSigned) {
    RAVIX_VERIFY(count >= 0 && count <= 32, "TakeBits takes 0 to 32 bits");
    std::uint32_t result = 0;
    bool lastBit = false;
    for (int i = 0; i < count; ++i) {
        if (mReadBitPos / 8 >= mData.size())
            break;
        lastBit = (mData[mReadBitPos / 8] >> (mReadBitPos % 8)) & 1;
        ++mReadBitPos;
        if (lastBit)
            result |= 1u << i;
    }
    if (isSigned && lastBit && count < 32)
        result |= ~0u << count;
    return static_cast<std::int32_t>(result);
}

std::uint8_t Buffer::GetByte() {
    if ((mReadBitPos + 7) / 8 >= mData.size())
        return 0;
    const std::size_t pos = mReadBitPos / 8;
    const unsigned shift = mReadBitPos % 8;
    std::uint8_t value = mData[pos];
    if (shift != 0)
        value = static_cast<std::uint8_t>((mData[pos] >> shift) | (mData[pos + 1] << (8 - shift)));
    mReadBitPos += 8;
    return value;
}

std::int16_t Buffer::GetInt16() {
    const unsigned low = GetByte();
    const unsigned high = GetByte();
    return static_cast<std::int16_t>(low | (high << 8));
}

std::int32_t Buffer::GetInt32() {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(GetByte()) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

std::string Buffer::GetText() {
    const int length = GetInt16();
    std::string text;
    for (int i = 0; i < length; ++i)
        text.push_back(static_cast<char>(GetByte()));
    return text;
}

void Buffer::GetBytes(std::size_t count, void* out) {
    auto* bytes = static_cast<std::uint8_t*>(out);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = GetByte();
}

} // namespace ravix
