#pragma once

// Helpers for the image file tests: the fixture files written by other programs with the pixels
// those programs decode, and GIF and PNG files assembled byte by byte.

#include "files/ImageLib.h"
#include "files/PakTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

namespace imagetest {

inline std::string FixturePath(const std::string& name) {
    return std::string(TARNWICK_TEST_DIR) + "/files/images/" + name;
}

// The pixels ImageMagick decodes from a fixture, kept beside it as NAME.rgba (bytes red, green,
// blue, alpha), as 0xAARRGGBB words.
inline std::vector<uint32_t> ExpectedPixels(const std::string& fixture) {
    const std::string bytes = paktest::ReadFile(FixturePath(fixture + ".rgba"));
    std::vector<uint32_t> pixels;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        auto byte = [&](size_t k) { return uint32_t(uint8_t(bytes[i + k])); };
        pixels.push_back(byte(3) << 24 | byte(0) << 16 | byte(1) << 8 | byte(2));
    }
    return pixels;
}

inline std::vector<uint32_t> PixelsOf(const ravix::ImageLib::Image& image) {
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + image.PixelCount());
}

inline void PutU16(std::string& out, int value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

// A GIF file built piece by piece. Image data is coded with literal codes only (one code per
// index, as some encoders do), following the decoder's table growth code for code.
class GifBuilder {
public:
    GifBuilder(int screenWidth, int screenHeight, const char* version = "GIF89a") {
        mBytes = version;
        PutU16(mBytes, screenWidth);
        PutU16(mBytes, screenHeight);
    }
    // The logical screen's flags byte, background and aspect, then the global table if any.
    GifBuilder& Screen(const std::vector<uint32_t>& globalTable) {
        mBytes += char(globalTable.empty() ? 0 : 0x80 | TableBits(globalTable));
        mBytes += '\0';
        mBytes += '\0';
        Table(globalTable);
        return *this;
    }
    GifBuilder& Raw(const std::string& bytes) {
        mBytes += bytes;
        return *this;
    }
    GifBuilder& Extension(uint8_t label, const std::vector<std::string>& subBlocks) {
        mBytes += '!';
        mBytes += char(label);
        for (const std::string& block : subBlocks) {
            mBytes += char(block.size());
            mBytes += block;
        }
        mBytes += '\0';
        return *this;
    }
    GifBuilder& Transparency(int index) {
        return Extension(0xF9, {std::string{char(1), 0, 0, char(index)}});
    }
    GifBuilder& Descriptor(int width, int height, bool interlaced,
                           const std::vector<uint32_t>& localTable = {}) {
        mBytes += ',';
        PutU16(mBytes, 0);
        PutU16(mBytes, 0);
        PutU16(mBytes, width);
        PutU16(mBytes, height);
        int flags = interlaced ? 0x40 : 0;
        if (!localTable.empty())
            flags |= 0x80 | TableBits(localTable);
        mBytes += char(flags);
        Table(localTable);
        return *this;
    }
    // The coded indices in sub-blocks of at most 255 bytes, then the end code unless cut.
    // clearWhenFull sends a clear code whenever the table has filled up.
    GifBuilder& Data(int minCodeSize, const std::vector<uint8_t>& indices, bool clearWhenFull,
                     bool endCode = true) {
        mBytes += char(minCodeSize);
        const int clear = 1 << minCodeSize;
        Codes codes;
        int width = minCodeSize + 1, nextFree = clear + 2;
        bool first = true;
        codes.Put(clear, width);
        for (uint8_t index : indices) {
            if (nextFree == 4096 && clearWhenFull) {
                codes.Put(clear, width);
                width = minCodeSize + 1;
                nextFree = clear + 2;
                first = true;
            }
            codes.Put(index, width);
            if (!first && nextFree < 4096 && ++nextFree == 1 << width && nextFree < 4096)
                ++width;
            first = false;
        }
        if (endCode)
            codes.Put(clear + 1, width);
        const std::string data = codes.Finish();
        for (size_t i = 0; i < data.size(); i += 255) {
            const std::string block = data.substr(i, 255);
            mBytes += char(block.size());
            mBytes += block;
        }
        mBytes += '\0';
        return *this;
    }
    GifBuilder& Trailer() {
        mBytes += ';';
        return *this;
    }
    const std::string& Bytes() const { return mBytes; }

private:
    struct Codes {
        std::string mOut;
        uint32_t mBits = 0;
        int mCount = 0;
        void Put(int code, int width) {
            mBits |= uint32_t(code) << mCount;
            mCount += width;
            while (mCount >= 8) {
                mOut += char(mBits & 0xFF);
                mBits >>= 8;
                mCount -= 8;
            }
        }
        std::string Finish() {
            if (mCount > 0)
                mOut += char(mBits & 0xFF);
            return mOut;
        }
    };
    // Tables have 2^(bits + 1) entries.
    static int TableBits(const std::vector<uint32_t>& table) {
        int bits = 0;
        while ((2u << bits) < table.size())
            ++bits;
        return bits;
    }
    void Table(const std::vector<uint32_t>& table) {
        if (table.empty())
            return;
        const size_t size = size_t(2) << TableBits(table);
        for (size_t i = 0; i < size; ++i) {
            const uint32_t color = i < table.size() ? table[i] : 0;
            mBytes += char(color >> 16);
            mBytes += char(color >> 8);
            mBytes += char(color);
        }
    }

    std::string mBytes;
};

inline void PutU32BigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xFF);
}

// A PNG file built chunk by chunk, each with its length and CRC, so that any chunk (and any
// claim in it) can be written.
class PngBuilder {
public:
    PngBuilder() : mBytes("\x89PNG\r\n\x1a\n", 8) {}
    PngBuilder& Chunk(const std::string& type, const std::string& data) {
        PutU32BigEndian(mBytes, uint32_t(data.size()));
        const std::string typed = type + data;
        mBytes += typed;
        PutU32BigEndian(mBytes, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                               uInt(typed.size()))));
        return *this;
    }
    // IHDR: no interlace, standard compression and filters.
    PngBuilder& Header(uint32_t width, uint32_t height, int bitDepth, int colorType) {
        std::string data;
        PutU32BigEndian(data, width);
        PutU32BigEndian(data, height);
        data += char(bitDepth);
        data += char(colorType);
        data += std::string(3, '\0');
        return Chunk("IHDR", data);
    }
    // One IDAT holding the rows (each starting with its filter byte), deflated.
    PngBuilder& Rows(const std::string& rows) {
        uLongf size = compressBound(uLong(rows.size()));
        std::string packed(size, '\0');
        compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()), 9);
        packed.resize(size);
        return Chunk("IDAT", packed);
    }
    PngBuilder& End() { return Chunk("IEND", ""); }
    const std::string& Bytes() const { return mBytes; }

private:
    std::string mBytes;
};

} // namespace imagetest
