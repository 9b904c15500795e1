#include "files/PakReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace ravix {

uint64_t PakBytesLeft(PakFile* file) {
    long position = pak_ftell(file);
    if (position < 0 || pak_fseek(file, 0, SEEK_END) != 0)
        return 0;
    long end = pak_ftell(file);
    if (pak_fseek(file, position, SEEK_SET) != 0 || end < position)
        return 0;
    return uint64_t(end - position);
}

PakReader::PakReader(PakFile* file) : mFile(file), mUnbuffered(PakBytesLeft(file)) {}

bool PakReader::Read(void* buffer, size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t buffered = std::min(count, size_t(mEnd - mNext));
    std::memcpy(out, mNext, buffered);
    mNext += buffered;
    out += buffered;
    count -= buffered;
    if (count == 0)
        return true;
    if (count >= sizeof mBuffer) {
        // Large reads go straight to the destination.
        size_t read = pak_fread(out, 1, count, mFile);
        mUnbuffered -= std::min<uint64_t>(read, mUnbuffered);
        return read == count;
    }
    if (!Refill())
        return false;
    return Read(out, count);
}

bool PakReader::Skip(size_t count) {
    uint8_t scratch[4096];
    while (count > 0) {
        size_t step = std::min(count, sizeof scratch);
        if (!Read(scratch, step))
            return false;
        count -= step;
    }
    return true;
}

bool PakReader::Refill() {
    size_t read = pak_fread(mBuffer, 1, sizeof mBuffer, mFile);
    mUnbuffered -= std::min<uint64_t>(read, mUnbuffered);
    mNext = mBuffer;
    mEnd = mBuffer + read;
    return read > 0;
}

} // namespace ravix
