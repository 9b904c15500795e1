// GIF files: the first image, decoded here with the LZW method GIF uses.
#include "files/ImageDecoders.h"
#include "files/PakReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ravix::ImageLib {

namespace {

constexpr int kMaxCodes = 4096; // codes are at most 12 bits wide
constexpr uint32_t kOpaqueBlack = 0xFF000000;
constexpr int kNoTransparency = -1;

struct Palette {
    // Indices the file's table does not define are opaque black.
    uint32_t mColors[256];

    Palette() { std::fill(std::begin(mColors), std::end(mColors), kOpaqueBlack); }
};

// A colour table of 2^(bits + 1) entries of red, green, blue.
bool ReadColorTable(PakReader& in, int bits, Palette& palette) {
    const int count = 2 << bits;
    uint8_t rgb[256 * 3];
    if (!in.Read(rgb, size_t(count) * 3))
        return false;
    palette = Palette();
    for (int i = 0; i < count; ++i)
        palette.mColors[i] = kOpaqueBlack | rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    return true;
}

// Reads the sub-blocks of an extension up to the empty one; the first bytes of their data go to
// head. Returns the number of data bytes, or -1 when the file ends first.
long ReadSubBlocks(PakReader& in, uint8_t* head, size_t headSize) {
    long total = 0;
    for (;;) {
        const int count = in.ReadByte();
        if (count < 0)
            return -1;
        if (count == 0)
            return total;
        uint8_t block[255];
        if (!in.Read(block, size_t(count)))
            return -1;
        for (int i = 0; i < count && size_t(total) + i < headSize; ++i)
            head[total + i] = block[i];
        total += count;
    }
}

// The image's LZW data: the sub-blocks after the minimum code size, joined. Stops at the empty
// sub-block or at the end of the file, keeping what there is of a cut-off sub-block.
std::vector<uint8_t> ReadImageData(PakReader& in) {
    std::vector<uint8_t> data;
    data.reserve(size_t(std::min<uint64_t>(in.Remaining(), 1 << 20)));
    for (;;) {
        const int count = in.ReadByte();
        if (count <= 0)
            return data;
        const size_t available = size_t(std::min<uint64_t>(uint64_t(count), in.Remaining()));
        const size_t start = data.size();
        data.resize(start + available);
        if (!in.Read(data.data() + start, available) || available < size_t(count))
            return data;
    }
}

// Walks the rows of the image in the order GIF stores them: top to bottom, or in the four
// passes of an interlaced image.
class RowOrder {
public:
    RowOrder(int height, bool interlaced) : mHeight(height), mInterlaced(interlaced) {
        mStep = interlaced ? kPasses[0].mStep : 1;
    }
    int Row() const { return mRow; }
    // Moves to the next row; false after the last one.
    bool Advance() {
        mRow += mStep;
        while (mRow >= mHeight) {
            if (!mInterlaced || ++mPass == 4)
                return false;
            mRow = kPasses[mPass].mStart;
            mStep = kPasses[mPass].mStep;
        }
        return true;
    }

private:
    struct Pass {
        int mStart;
        int mStep;
    };
    static constexpr Pass kPasses[4] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

    int mHeight;
    bool mInterlaced;
    int mPass = 0;
    int mRow = 0;
    int mStep = 1;
};

// Decodes LZW codes into colour indices and writes their colours row by row. Codes are read
// least significant bit first. Pixels the data does not reach keep their value.
class LzwDecoder {
public:
    LzwDecoder(int minCodeSize, const uint8_t* data, size_t size)
        : mClear(1 << minCodeSize), mMinWidth(minCodeSize + 1), mData(data), mSize(size) {
        for (int i = 0; i < mClear; ++i)
            mSuffix[i] = uint8_t(i);
        Reset();
    }

    void Decode(Image& image, const uint32_t* colors, bool interlaced) {
        const int width = image.GetWidth();
        RowOrder rows(image.GetHeight(), interlaced);
        uint32_t* row = image.GetBits();
        int x = 0;
        for (;;) {
            int length = NextString();
            if (length == 0)
                return;
            // The string is in mStack backwards: its first index is on top.
            const uint8_t* top = mStack + length;
            while (length > 0) {
                const int count = std::min(length, width - x);
                for (int i = 0; i < count; ++i)
                    row[x + i] = colors[top[-1 - i]];
                top -= count;
                length -= count;
                x += count;
                if (x == width) {
                    if (!rows.Advance())
                        return; // the rest of the string falls outside the image
                    row = image.GetBits() + size_t(rows.Row()) * width;
                    x = 0;
                }
            }
        }
    }

private:
    void Reset() {
        mWidth = mMinWidth;
        mNextFree = mClear + 2;
        mPrevious = kNone;
    }

    // The next code, or -1 when the data ends.
    int ReadCode() {
        while (mBitCount < mWidth) {
            if (mPosition == mSize)
                return -1;
            mBits |= uint32_t(mData[mPosition++]) << mBitCount;
            mBitCount += 8;
        }
        const int code = int(mBits & ((1u << mWidth) - 1));
        mBits >>= mWidth;
        mBitCount -= mWidth;
        return code;
    }

    // Decodes codes until one yields indices; they are pushed on mStack last index first.
    // Returns their number, or 0 at the end of the image data.
    int NextString() {
        for (;;) {
            int code = ReadCode();
            const int end = mClear + 1;
            if (code < 0 || code == end || code > mNextFree)
                return 0;
            if (code == mClear) {
                Reset();
                continue;
            }
            if (mPrevious == kNone) {
                mFirst = mSuffix[code];
                mPrevious = code;
                mStack[0] = mFirst;
                return 1;
            }
            const int inCode = code;
            int length = 0;
            if (code == mNextFree) {
                mStack[length++] = mFirst;
                code = mPrevious;
            }
            while (code >= mClear) {
                // A table that refers back to itself comes only from broken data.
                if (length == kMaxCodes)
                    return 0;
                mStack[length++] = mSuffix[code];
                code = mPrefix[code];
            }
            mFirst = mSuffix[code];
            mStack[length++] = mFirst;
            // A full table stays as it is until the next clear code.
            if (mNextFree < kMaxCodes) {
                mPrefix[mNextFree] = uint16_t(mPrevious);
                mSuffix[mNextFree] = mFirst;
                ++mNextFree;
                if (mNextFree == 1 << mWidth && mNextFree < kMaxCodes)
                    ++mWidth;
            }
            mPrevious = inCode;
            return length;
        }
    }

    static constexpr int kNone = -1;

    const int mClear;
    const int mMinWidth;
    const uint8_t* mData;
    size_t mSize;
    size_t mPosition = 0;
    uint32_t mBits = 0;
    int mBitCount = 0;
    int mWidth = 0;
    int mNextFree = 0;
    int mPrevious = kNone;
    uint8_t mFirst = 0;
    uint16_t mPrefix[kMaxCodes] = {};
    uint8_t mSuffix[kMaxCodes] = {};
    uint8_t mStack[kMaxCodes + 1];
};

// Skips blocks up to the image separator, noting the transparent index of a graphic control
// extension. False at the trailer or the end of the file.
bool FindImage(PakReader& in, int& transparent) {
    for (;;) {
        const int byte = in.ReadByte();
        if (byte < 0 || byte == ';')
            return false;
        if (byte == ',')
            return true;
        if (byte != '!')
            continue; // stray bytes between blocks are skipped
        const int label = in.ReadByte();
        uint8_t head[4];
        const long length = ReadSubBlocks(in, head, sizeof head);
        if (label == 0xF9 && length >= 4 && (head[0] & 1))
            transparent = head[3];
    }
}

} // namespace

std::unique_ptr<Image> DecodeGif(PakFile* file) {
    PakReader in(file);
    uint8_t header[13]; // signature and version, logical screen descriptor
    if (!in.Read(header, sizeof header))
        return nullptr;
    if (std::memcmp(header, "GIF87", 5) != 0 && std::memcmp(header, "GIF89", 5) != 0)
        return nullptr;
    Palette palette;
    if ((header[10] & 0x80) && !ReadColorTable(in, header[10] & 7, palette))
        return nullptr;

    int transparent = kNoTransparency;
    if (!FindImage(in, transparent))
        return nullptr;
    uint8_t descriptor[9]; // left, top, width, height, flags
    if (!in.Read(descriptor, sizeof descriptor))
        return nullptr;
    const int width = ReadLittleEndian16(descriptor + 4);
    const int height = ReadLittleEndian16(descriptor + 6);
    const int flags = descriptor[8];
    if (width == 0 || height == 0)
        return nullptr;
    if ((flags & 0x80) && !ReadColorTable(in, flags & 7, palette))
        return nullptr;
    if (transparent != kNoTransparency)
        palette.mColors[transparent] = 0;

    // Indices are at most 8 bits, so the minimum code size is 1 to 8.
    const int minCodeSize = in.ReadByte();
    if (minCodeSize < 1 || minCodeSize > 8)
        return nullptr;
    // Codes are at least minCodeSize + 1 bits wide, and one code yields at most one index per
    // table entry.
    const uint64_t maxCodes = in.Remaining() * 8 / uint64_t(minCodeSize + 1);
    if (!ClaimFitsData(height, width, maxCodes, kMaxCodes))
        return nullptr;
    std::unique_ptr<Image> image = Image::Create(width, height);
    if (!image)
        return nullptr;
    const std::vector<uint8_t> data = ReadImageData(in);
    auto decoder = std::make_unique<LzwDecoder>(minCodeSize, data.data(), data.size());
    decoder->Decode(*image, palette.mColors, flags & 0x40);
    return image;
}

} // namespace ravix::ImageLib
