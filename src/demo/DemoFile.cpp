#include "demo/DemoFile.h"

#include "base/Buffer.h"
#include "files/WholeFile.h"

#include <algorithm>

namespace ravix {

namespace {

// Reads little-endian fields from a byte range; a read that does not fit fails and reads
// nothing.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

    size_t Left() const { return mSize - mPos; }
    size_t Position() const { return mPos; }

    bool Number(int bytes, uint32_t& value) {
        if (Left() < static_cast<size_t>(bytes)) {
            return false;
        }
        value = 0;
        for (int i = 0; i < bytes; ++i) {
            value |= static_cast<uint32_t>(mData[mPos++]) << (8 * i);
        }
        return true;
    }
    // A 16-bit length and that many characters.
    bool Text(std::string& text) {
        uint32_t length = 0;
        if (!Number(2, length) || Left() < length) {
            return false;
        }
        text.assign(reinterpret_cast<const char*>(mData + mPos), length);
        mPos += length;
        return true;
    }
    const uint8_t* Here() const { return mData + mPos; }
    void Skip(size_t count) { mPos += std::min(count, Left()); }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

bool ParseMarkers(const uint8_t* data, size_t size, std::vector<DemoMarker>& markers) {
    ByteReader block(data, size);
    uint32_t count = 0;
    if (!block.Number(4, count)) {
        return false;
    }
    // Every marker takes at least 6 bytes, so the block bounds the loop whatever the count.
    for (uint32_t i = 0; i < count; ++i) {
        DemoMarker marker;
        if (!block.Text(marker.mName) || !block.Number(4, marker.mUpdate)) {
            return false; // fewer markers than announced
        }
        markers.push_back(std::move(marker));
    }
    return true;
}

} // namespace

DemoFile::Result DemoFile::Load(const std::string& path) {
    *this = DemoFile();
    std::string bytes;
    switch (ReadWholeFile(path, kMaxFileSize, bytes)) {
    case WholeFileResult::kMissing:
        return Result::NotFound;
    case WholeFileResult::kTooLarge:
        return Result::BadMagic; // an absurd size is refused before anything is allocated
    case WholeFileResult::kRead:
        break;
    }
    return Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

DemoFile::Result DemoFile::Parse(const uint8_t* data, size_t size) {
    *this = DemoFile();
    ByteReader file(data, size);
    uint32_t magic = 0;
    if (!file.Number(4, magic) || magic != kMagic) {
        return Result::BadMagic;
    }
    if (!file.Number(4, mVersion) || !file.Number(4, mStartTick) || !file.Text(mProductVersion)) {
        return Result::Truncated;
    }
    if (mProductVersion.size() > kMaxProductVersion) {
        mProductVersion.resize(kMaxProductVersion);
    }
    if (mVersion > 1) {
        uint32_t blockLength = 0;
        // The block must leave room for the demo length and at least one byte of events.
        if (!file.Number(4, blockLength) || file.Left() < 4 || blockLength >= file.Left() - 4 ||
            !ParseMarkers(file.Here(), blockLength, mMarkers)) {
            return Result::BadMarkers;
        }
        file.Skip(blockLength);
    }
    if (!file.Number(4, mDemoLength) || file.Left() < 1) {
        return Result::NoEvents;
    }
    mEvents.assign(file.Here(), file.Here() + file.Left());
    return Result::Ok;
}

std::string DemoFile::Serialize() const {
    Buffer markers;
    markers.PutInt32(static_cast<int32_t>(mMarkers.size()));
    for (const DemoMarker& marker : mMarkers) {
        markers.PutText(marker.mName);
        markers.PutInt32(static_cast<int32_t>(marker.mUpdate));
    }
    Buffer file;
    file.PutInt32(static_cast<int32_t>(kMagic));
    file.PutInt32(static_cast<int32_t>(kWrittenVersion));
    file.PutInt32(static_cast<int32_t>(mStartTick));
    file.PutText(mProductVersion);
    file.PutInt32(static_cast<int32_t>(markers.ByteLength()));
    file.PutBytes(markers.Data(), markers.ByteLength());
    file.PutInt32(static_cast<int32_t>(mDemoLength));
    file.PutBytes(mEvents.data(), mEvents.size());
    return std::string(reinterpret_cast<const char*>(file.Data()), file.ByteLength());
}

} // namespace ravix
