#include "base/Buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using ravix::Buffer;

namespace {

std::vector<std::uint8_t> Bytes(const Buffer& buffer) {
    const std::uint8_t* data = buffer.Data();
    return data ? std::vector<std::uint8_t>(data, data + buffer.ByteLength())
                : std::vector<std::uint8_t>{};
}

Buffer FromBytes(const std::vector<std::uint8_t>& bytes) {
    Buffer buffer;
    buffer.Assign(bytes.data(), bytes.size());
    return buffer;
}

} // namespace

TEST(Buffer, BitsFillEachByteFromTheLeastSignificantBit) {
    Buffer buffer;
    buffer.PutBits(5, 3);
    buffer.PutBits(1, 1);
    EXPECT_EQ(Bytes(buffer), (std::vector<std::uint8_t>{0x0D}));
    EXPECT_EQ(buffer.ByteLength(), 1u);
    EXPECT_EQ(buffer.TakeBits(3, false), 5);
    EXPECT_FALSE(buffer.IsAtEnd());
    EXPECT_EQ(buffer.TakeBits(1, false), 1);
    EXPECT_TRUE(buffer.IsAtEnd()); // bit length 4, not the whole byte
}

TEST(Buffer, ByteAfterFourBitsStraddlesTwoBytes) {
    Buffer buffer;
    buffer.PutBits(0, 4);
    buffer.PutByte(0xAB);
    EXPECT_EQ(Bytes(buffer), (std::vector<std::uint8_t>{0xB0, 0x0A}));
    EXPECT_EQ(buffer.TakeBits(4, false), 0);
    EXPECT_EQ(buffer.GetByte(), 0xAB);
    EXPECT_TRUE(buffer.IsAtEnd());
}

TEST(Buffer, NumbersAreLittleEndianAtAnyBitPosition) {
    Buffer buffer;
    buffer.PutBits(5, 3);
    buffer.PutInt16(0x1234);
    EXPECT_EQ(Bytes(buffer), (std::vector<std::uint8_t>{0xA5, 0x91, 0x00}));

    Buffer aligned;
    aligned.PutInt32(-2);
    aligned.PutInt16(-3);
    aligned.PutBool(true);
    aligned.PutText("hi");
    EXPECT_EQ(Bytes(aligned), (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0xFD, 0xFF, 0x01,
                                                         0x02, 0x00, 'h', 'i'}));
    EXPECT_EQ(aligned.GetInt32(), -2);
    EXPECT_EQ(aligned.GetInt16(), -3);
    EXPECT_TRUE(aligned.GetBool());
    EXPECT_EQ(aligned.GetText(), "hi");
    EXPECT_TRUE(aligned.IsAtEnd());
}

TEST(Buffer, MixedFieldsReadBackAsWritten) {
    Buffer buffer;
    buffer.PutBits(0x15, 5);
    buffer.PutBits(1, 1);
    buffer.PutText("demo");
    buffer.PutInt32(0x7FFFFFFF);
    const std::uint8_t raw[] = {1, 2, 3};
    buffer.PutBytes(raw, 3);
    buffer.PutBits(0xFFFFFFFF, 32);

    EXPECT_EQ(buffer.TakeBits(5, false), 0x15);
    EXPECT_EQ(buffer.TakeBits(1, false), 1);
    EXPECT_EQ(buffer.GetText(), "demo");
    EXPECT_EQ(buffer.GetInt32(), 0x7FFFFFFF);
    std::uint8_t out[3] = {};
    buffer.GetBytes(3, out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 3), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(buffer.TakeBits(32, true), -1);
    EXPECT_TRUE(buffer.IsAtEnd());
}

TEST(Buffer, SignedBitsExtendTheLastBitRead) {
    Buffer buffer = FromBytes({0x3E}); // stream order 0,1,1,1,1,1,0,0
    EXPECT_EQ(buffer.TakeBits(6, true), -2);
    buffer.Rewind();
    EXPECT_EQ(buffer.TakeBits(6, false), 62);
    buffer.Rewind();
    EXPECT_EQ(buffer.TakeBits(7, true), 62); // last bit 0: no extension
}

TEST(Buffer, ReadingPastTheEndYieldsZeroBits) {
    Buffer empty;
    EXPECT_EQ(empty.Data(), nullptr);
    EXPECT_TRUE(empty.IsAtEnd());
    EXPECT_EQ(empty.GetByte(), 0);
    EXPECT_EQ(empty.GetText(), "");
    EXPECT_EQ(empty.TakeBits(8, true), 0);

    // TakeBits returns what it could read; the sign comes from the last bit actually read.
    Buffer bits = FromBytes({0xFF});
    EXPECT_EQ(bits.TakeBits(4, false), 0xF);
    EXPECT_EQ(bits.TakeBits(8, false), 0xF);
    bits.Rewind();
    bits.TakeBits(4, false);
    EXPECT_EQ(bits.TakeBits(8, true), static_cast<std::int32_t>(0xFFFFFF0F));

    // GetByte needs a whole byte's worth of stored bytes and does not move otherwise.
    Buffer partial = FromBytes({0x34, 0x12});
    partial.TakeBits(4, false);
    EXPECT_EQ(partial.GetByte(), 0x23);
    EXPECT_EQ(partial.GetByte(), 0);
    EXPECT_EQ(partial.TakeBits(4, false), 0x1);
    EXPECT_TRUE(partial.IsAtEnd());

    Buffer shortInt = FromBytes({0x34, 0x12});
    EXPECT_EQ(shortInt.GetInt32(), 0x1234);
}

TEST(Buffer, TextLengthIsSigned) {
    Buffer negative = FromBytes({0xFF, 0xFF, 'a'});
    EXPECT_EQ(negative.GetText(), "");
    EXPECT_EQ(negative.GetByte(), 'a'); // no characters were read

    Buffer truncated = FromBytes({0x05, 0x00, 'a', 'b'});
    EXPECT_EQ(truncated.GetText(), std::string("ab\0\0\0", 5));
}

TEST(Buffer, OverlongTextIsCutSoTheStreamStaysInStep) {
    Buffer buffer;
    buffer.PutText(std::string(40000, 'x'));
    buffer.PutByte(0x42);
    EXPECT_EQ(buffer.ByteLength(), 2u + Buffer::kMaxTextLength + 1u);
    EXPECT_EQ(buffer.GetText(), std::string(Buffer::kMaxTextLength, 'x'));
    EXPECT_EQ(buffer.GetByte(), 0x42);
}

TEST(Buffer, AssignKeepsTheReadPositionAndWritesAppend) {
    Buffer buffer;
    buffer.PutBits(0x7FF, 12);
    EXPECT_EQ(buffer.GetByte(), 0xFF);
    const std::uint8_t replacement[] = {1};
    buffer.Assign(replacement, 1);
    EXPECT_EQ(buffer.GetByte(), 0); // read position stayed at bit 8, past the new data
    buffer.PutByte(2);              // appends after the assigned byte
    EXPECT_EQ(Bytes(buffer), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(buffer.GetByte(), 2);
    EXPECT_TRUE(buffer.IsAtEnd());

    buffer.Reset();
    EXPECT_EQ(buffer.Data(), nullptr);
    EXPECT_EQ(buffer.ByteLength(), 0u);
    buffer.PutByte(9);
    EXPECT_EQ(Bytes(buffer), (std::vector<std::uint8_t>{9}));
    EXPECT_EQ(buffer.GetByte(), 9);
}
