#pragma once

#include <cstdint>

namespace ravix {

// Pixels the platform reads without knowing who owns them: 32-bit 0xAARRGGBB words, rows from
// the top, mStride words from the start of one row to the next.
struct PixelView {
    const uint32_t* mPixels = nullptr;
    int mWidth = 0;
    int mHeight = 0;
    int mStride = 0;
};

} // namespace ravix
