#pragma once

#include <cstdint>

namespace ravix {

// The pixel layout of the display: bits per pixel and, per colour channel, its mask, the number
// of bits in the mask and the position of the mask's lowest bit.
class NativeDisplay {
public:
    virtual ~NativeDisplay() = default;

    // Fills the layout from the three channel masks.
    void SetLayout(int rgbBits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

    // The 32-bit layout 0x00RRGGBB, used where no display exists.
    static const NativeDisplay& Default32();

    int mRGBBits = 0;
    int mRedMask = 0;
    int mGreenMask = 0;
    int mBlueMask = 0;
    int mRedBits = 0;
    int mGreenBits = 0;
    int mBlueBits = 0;
    int mRedShift = 0;
    int mGreenShift = 0;
    int mBlueShift = 0;
};

} // namespace ravix
