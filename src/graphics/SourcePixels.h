#pragma once

// Readers of a source image's pixels by index, so that one blit routine serves 32-bit and
// palette sources with the same arithmetic.

#include "graphics/MemoryImage.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ravix {

struct DirectPixels {
    uint32_t operator()(size_t index) const { return mBits[index]; }
    void Copy(uint32_t* dest, size_t index, int count) const {
        std::memcpy(dest, mBits + index, static_cast<size_t>(count) * sizeof(uint32_t));
    }
#if defined(__SSE2__)
    __m128i Load4(size_t index) const {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(mBits + index));
    }
#endif

    const uint32_t* mBits;
};

struct PalettePixels {
    uint32_t operator()(size_t index) const { return mPalette[mIndices[index]]; }
    void Copy(uint32_t* dest, size_t index, int count) const {
        for (int i = 0; i < count; ++i) {
            dest[i] = mPalette[mIndices[index + i]];
        }
    }
#if defined(__SSE2__)
    __m128i Load4(size_t index) const {
        return _mm_setr_epi32(
            static_cast<int>((*this)(index)), static_cast<int>((*this)(index + 1)),
            static_cast<int>((*this)(index + 2)), static_cast<int>((*this)(index + 3)));
    }
#endif

    const uint32_t* mPalette;
    const uint8_t* mIndices;
};

// Calls draw with the reader that fits the source's current form; false when the source has
// no pixels to read.
template <class Draw>
bool WithSourcePixels(MemoryImage& source, Draw&& draw) {
    if (source.HasPaletteForm()) {
        draw(PalettePixels{source.mPalette.get(), source.mPaletteIndices.get()});
        return true;
    }
    const uint32_t* bits = source.GetPixels();
    if (!bits) {
        return false;
    }
    draw(DirectPixels{bits});
    return true;
}

} // namespace ravix
