#pragma once

// Small helpers for pixel tests: images made from pixel lists and compared exactly.

#include "graphics/MemoryImage.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ravix::testing {

// A clip rectangle larger than every test image.
inline constexpr Rect kNoClip(0, 0, 1000, 1000);

// An image whose pixels are all value.
inline std::unique_ptr<MemoryImage> MakeFilled(int width, int height, uint32_t value) {
    auto image = std::make_unique<MemoryImage>();
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, value);
    image->SetPixels(pixels.data(), width, height, true);
    return image;
}

// An image with the given pixels, row by row.
inline std::unique_ptr<MemoryImage> MakeImage(int width, int height,
                                              const std::vector<uint32_t>& pixels) {
    auto image = std::make_unique<MemoryImage>();
    image->SetPixels(pixels.data(), width, height, true);
    return image;
}

// A destination image whose flags choose the blit path: opaque destinations (neither alpha nor
// transparency) take the run-length path.
inline std::unique_ptr<MemoryImage>
MakeDestination(int width, int height, const std::vector<uint32_t>& pixels, bool opaque) {
    auto image = MakeImage(width, height, pixels);
    image->FixTransparencyFlags(!opaque, !opaque);
    return image;
}

inline std::unique_ptr<MemoryImage> MakeDestination(int width, int height, uint32_t fill,
                                                    bool opaque) {
    return MakeDestination(
        width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, fill), opaque);
}

// The pixels with every row reversed.
inline std::vector<uint32_t> MirroredRows(const std::vector<uint32_t>& pixels, int width,
                                          int height) {
    std::vector<uint32_t> mirrored(pixels.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            mirrored[y * width + x] = pixels[y * width + (width - 1 - x)];
        }
    }
    return mirrored;
}

inline std::vector<uint32_t> PixelsOf(MemoryImage& image) {
    const uint32_t* bits = image.GetPixels();
    return std::vector<uint32_t>(bits, bits + static_cast<size_t>(image.mWidth) * image.mHeight);
}

inline uint32_t PixelAt(MemoryImage& image, int x, int y) {
    return image.GetPixels()[static_cast<size_t>(y) * image.mWidth + x];
}

// A deterministic picture with every alpha class: transparent, opaque and partial pixels in
// runs of varying length and varied colours.
inline std::vector<uint32_t> MixedPixels(int width, int height, uint32_t seed = 1) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    uint32_t state = seed;
    auto next = [&state] {
        state = state * 214013u + 2531011u;
        return (state >> 16) & 0x7FFF;
    };
    uint32_t alpha = 0;
    int runLeft = 0;
    for (uint32_t& pixel : pixels) {
        if (runLeft-- <= 0) {
            runLeft = static_cast<int>(next() % 7);
            uint32_t pick = next() % 3;
            alpha = pick == 0 ? 0 : (pick == 1 ? 255 : 1 + next() % 254);
        }
        uint32_t a = alpha;
        if (a != 0 && a != 255) {
            a = 1 + next() % 254; // partial runs keep their class, not their value
        }
        pixel = a << 24 | (next() & 0xFF) << 16 | (next() & 0xFF) << 8 | (next() & 0xFF);
    }
    return pixels;
}

} // namespace ravix::testing
