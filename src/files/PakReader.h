#pragma once

#include "files/PakInterface.h"

#include <cstddef>
#include <cstdint>

namespace ravix {

// Buffered reading of an open file of the pak layer, for decoders that take a few bytes at a
// time. It knows how many bytes are left, so that sizes claimed by a file can be checked
// against what the file could hold before anything is allocated for them.
class PakReader {
public:
    // Reads from the file's current position; the file stays open and owned by the caller.
    explicit PakReader(PakFile* file);

    PakReader(const PakReader&) = delete;
    PakReader& operator=(const PakReader&) = delete;

    // The next byte (0-255), or -1 at the end of the file.
    int ReadByte() {
        if (mNext == mEnd && !Refill())
            return -1;
        return *mNext++;
    }
    // Reads exactly count bytes; false when the file ends first (the buffer then holds what
    // there was).
    [[nodiscard]] bool Read(void* buffer, size_t count);
    // Reads count bytes and drops them; false when the file ends first.
    [[nodiscard]] bool Skip(size_t count);
    // Bytes between the read position and the end of the file.
    uint64_t Remaining() const { return uint64_t(mEnd - mNext) + mUnbuffered; }

private:
    bool Refill();

    PakFile* mFile;
    uint64_t mUnbuffered = 0; // bytes of the file not read into the buffer yet
    uint8_t mBuffer[4096];
    const uint8_t* mNext = mBuffer;
    const uint8_t* mEnd = mBuffer;
};

// The number of bytes from the file's position to its end (0 when the file cannot seek); the
// position is kept.
uint64_t PakBytesLeft(PakFile* file);

// Little-endian 16-bit value at bytes.
inline int ReadLittleEndian16(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8;
}

} // namespace ravix
