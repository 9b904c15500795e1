#include "audio/WavFile.h"

#include "base/Verify.h"
#include "files/PakFileReader.h"

#include <cstring>

namespace ravix {

namespace {

constexpr uint16_t kPcmFormatTag = 1;
// The byte a cached file's samples are XORed with (the pak archive's scrambling value). The
// file names it in its "xor " chunk, so readers take it from there and never assume it.
constexpr uint8_t kCacheScrambleByte = 0x5D;

bool ReadChunkId(PakFileReader& file, char id[4]) {
    return file.Read(id, 4);
}

bool IsChunk(const char id[4], const char* name) {
    return std::memcmp(id, name, 4) == 0;
}

bool ReadFormatChunk(PakFileReader& file, PcmSound& sound) {
    uint16_t tag, channels, blockAlign, bits;
    uint32_t rate, bytesPerSecond;
    if (!file.ReadLittle16(tag) || !file.ReadLittle16(channels) || !file.ReadLittle32(rate) ||
        !file.ReadLittle32(bytesPerSecond) || !file.ReadLittle16(blockAlign) ||
        !file.ReadLittle16(bits))
        return false;
    if (tag != kPcmFormatTag)
        return false;
    sound.mChannels = channels;
    sound.mRate = rate > uint32_t(kMaxPcmRate) ? 0 : int(rate);
    sound.mBits = bits;
    return true;
}

// True when the named source file still has the time the chunk recorded.
bool DependencyIsCurrent(PakFileReader& file, uint32_t chunkSize) {
    uint16_t nameLength;
    if (chunkSize < 2 + 8 || !file.ReadLittle16(nameLength) || nameLength > chunkSize - 10)
        return false;
    std::string name(nameLength, '\0');
    uint32_t low, high;
    if (!file.Read(name.data(), nameLength) || !file.ReadLittle32(low) || !file.ReadLittle32(high))
        return false;
    std::optional<FileTime> current = FindFileWriteTime(name);
    return current && *current == FileTime{low, high};
}

bool ReadDataChunk(PakFileReader& file, uint32_t size, uint8_t key, PcmSound& sound) {
    if (!sound.HasPlayableFormat() || size > file.Remaining() || size > kMaxPcmBytes)
        return false;
    sound.mData.resize(size);
    if (!file.Read(sound.mData.data(), size))
        return false;
    if (key != 0)
        for (uint8_t& byte : sound.mData)
            byte ^= key;
    return true;
}

void PutU16(std::string& out, uint32_t value) {
    out += char(value);
    out += char(value >> 8);
}

void PutU32(std::string& out, uint32_t value) {
    PutU16(out, value);
    PutU16(out, value >> 16);
}

void PutChunkHeader(std::string& out, const char* id, uint32_t size) {
    out.append(id, 4);
    PutU32(out, size);
}

} // namespace

bool ReadWavFile(const std::string& name, PcmSound& sound) {
    PakFileReader file(name);
    char id[4];
    if (!file.IsOpen() || !ReadChunkId(file, id) || !IsChunk(id, "RIFF"))
        return false;
    uint32_t riffSize;
    if (!file.ReadLittle32(riffSize) || !ReadChunkId(file, id) || !IsChunk(id, "WAVE"))
        return false;
    sound = PcmSound{};
    uint8_t key = 0;
    while (file.Remaining() > 0) {
        uint32_t size;
        if (!ReadChunkId(file, id) || !file.ReadLittle32(size))
            return false;
        const uint64_t start = file.Position();
        if (IsChunk(id, "data"))
            return ReadDataChunk(file, size, key, sound);
        if (IsChunk(id, "fmt ") && !ReadFormatChunk(file, sound))
            return false;
        if (IsChunk(id, "dep ") && !DependencyIsCurrent(file, size))
            return false;
        if (IsChunk(id, "xor ") && (size < 1 || !file.Read(&key, 1)))
            return false;
        if (!file.Seek(start + size))
            return false;
    }
    return false; // no "data" chunk
}

std::string EncodeWavFile(const PcmSound& sound, const std::optional<WavDependency>& dependency) {
    const uint32_t blockAlign = uint32_t(sound.BlockAlign());
    std::string out;
    PutChunkHeader(out, "RIFF", 0); // the size is filled in at the end
    out += "WAVE";
    PutChunkHeader(out, "fmt ", 16);
    PutU16(out, kPcmFormatTag);
    PutU16(out, uint32_t(sound.mChannels));
    PutU32(out, uint32_t(sound.mRate));
    PutU32(out, uint32_t(sound.mRate) * blockAlign);
    PutU16(out, blockAlign);
    PutU16(out, uint32_t(sound.mBits));
    uint8_t key = 0;
    if (dependency) {
        const std::string& name = dependency->mName;
        RAVIX_VERIFY(name.size() <= kMaxWavDependencyName, "dependency name too long");
        PutChunkHeader(out, "dep ", uint32_t(name.size() + 10));
        PutU16(out, uint32_t(name.size()));
        out += name;
        PutU32(out, dependency->mTime.mLowDateTime);
        PutU32(out, dependency->mTime.mHighDateTime);
        key = kCacheScrambleByte;
        PutChunkHeader(out, "xor ", 1);
        out += char(key);
    }
    PutChunkHeader(out, "data", uint32_t(sound.mData.size()));
    for (uint8_t byte : sound.mData)
        out += char(byte ^ key);
    const uint32_t riffSize = uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = char(riffSize >> (8 * i));
    return out;
}

bool WriteWavFile(const std::string& path, const PcmSound& sound,
                  const std::optional<WavDependency>& dependency, FileAccess access) {
    return WriteFileAtomically(path, EncodeWavFile(sound, dependency), access);
}

} // namespace ravix
