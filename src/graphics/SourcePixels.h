#pragma once

// Readers of a source image's pixels by index, so that one blit routine serves 32-bit and
// palette sources with the same arithmetic.

#include "graphics/MemoryImage.h"

#include <cstdint>
#include <cstring>

namespace ravix {

struct DirectPixels {
    uint32_t operator()(size_t index) const { return mBits[index]; }
    void Copy(uint32_t* dest, size_t index, int count) const {
        std::memcpy(dest, mBits + index, static_cast<size_t>(count) * sizeof(uint32_t));
    }

    const uint32_t* mBits;
};

struct PalettePixels {
    uint32_t operator()(size_t index) const { return mPalette[mIndices[index]]; }
    void Copy(uint32_t* dest, size_t index, int count) const {
        for (int i = 0; i < count; ++i) {
            dest[i] = mPalette[mIndices[index + i]];
        }
    }

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
