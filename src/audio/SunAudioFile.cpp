#include "audio/SunAudioFile.h"

#include "files/PakFileReader.h"

#include <algorithm>
#include <cstring>

namespace ravix {

namespace {

constexpr uint32_t kMuLawEncoding = 1;
constexpr uint32_t kLinear8Encoding = 2;
constexpr uint32_t kUnknownDataSize = 0xFFFFFFFF;
constexpr uint32_t kHeaderSize = 24;

// The magnitude before the final scaling by 4, piecewise linear over the segments of the code.
int MuLawMagnitude(int a) {
    if (a >= 240)
        return 2 * (255 - a);
    if (a >= 224)
        return 4 * (247 - a);
    if (a >= 208)
        return 8 * (235 - a);
    if (a >= 192)
        return 16 * (221 - a);
    if (a >= 176)
        return 32 * (206 - a);
    if (a >= 160)
        return 12192 - 64 * a;
    if (a >= 144)
        return 22368 - 128 * a;
    // 128, the loudest code, lies on the same segment as 129..143.
    return 40672 - 256 * a;
}

} // namespace

int16_t ExpandMuLaw(uint8_t byte) {
    const int magnitude = 4 * MuLawMagnitude(byte | 128);
    return int16_t(byte >= 128 ? magnitude : -magnitude);
}

bool ReadSunAudioFile(const std::string& name, PcmSound& sound) {
    PakFileReader file(name);
    char magic[4];
    uint32_t offset, size, encoding, rate, channels;
    if (!file.IsOpen() || !file.Read(magic, 4) || std::memcmp(magic, ".snd", 4) != 0 ||
        !file.ReadBig32(offset) || !file.ReadBig32(size) || !file.ReadBig32(encoding) ||
        !file.ReadBig32(rate) || !file.ReadBig32(channels))
        return false;
    if (encoding != kMuLawEncoding && encoding != kLinear8Encoding)
        return false;
    if (offset < kHeaderSize || !file.Seek(offset))
        return false;
    if (size == kUnknownDataSize)
        size = uint32_t(std::min<uint64_t>(file.Remaining(), kUnknownDataSize - 1));
    if (size > file.Remaining() || size > kMaxPcmBytes / 2)
        return false;
    sound = PcmSound{};
    sound.mChannels = channels > 2 ? 0 : int(channels);
    sound.mRate = rate > uint32_t(kMaxPcmRate) ? 0 : int(rate);
    sound.mBits = encoding == kMuLawEncoding ? 16 : 8;
    if (!sound.HasPlayableFormat())
        return false;
    std::vector<uint8_t> bytes(size);
    if (!file.Read(bytes.data(), size))
        return false;
    if (encoding == kLinear8Encoding) {
        // Signed in the file, unsigned in 8-bit PCM.
        for (uint8_t& byte : bytes)
            byte ^= 0x80;
        sound.mData = std::move(bytes);
        return true;
    }
    sound.mData.resize(2 * size_t(size));
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint16_t sample = uint16_t(ExpandMuLaw(bytes[i]));
        sound.mData[2 * i] = uint8_t(sample);
        sound.mData[2 * i + 1] = uint8_t(sample >> 8);
    }
    return true;
}

} // namespace ravix
