#include "graphics/NativeDisplay.h"

#include <bit>

namespace ravix {

void NativeDisplay::SetLayout(int rgbBits, uint32_t redMask, uint32_t greenMask,
                              uint32_t blueMask) {
    auto bits = [](uint32_t mask) { return std::popcount(mask); };
    auto shift = [](uint32_t mask) { return mask == 0 ? 0 : std::countr_zero(mask); };
    mRGBBits = rgbBits;
    mRedMask = static_cast<int>(redMask);
    mGreenMask = static_cast<int>(greenMask);
    mBlueMask = static_cast<int>(blueMask);
    mRedBits = bits(redMask);
    mGreenBits = bits(greenMask);
    mBlueBits = bits(blueMask);
    mRedShift = shift(redMask);
    mGreenShift = shift(greenMask);
    mBlueShift = shift(blueMask);
}

const NativeDisplay& NativeDisplay::Default32() {
    static const NativeDisplay display = [] {
        NativeDisplay d;
        d.SetLayout(32, 0xFF0000, 0x00FF00, 0x0000FF);
        return d;
    }();
    return display;
}

} // namespace ravix
