#pragma once

#include <cstdint>

namespace ravix {

// A colour with straight alpha; each channel is 0..255.
struct Color {
    constexpr Color() = default;
    constexpr Color(int red, int green, int blue, int alpha = 255)
        : mRed(red), mGreen(green), mBlue(blue), mAlpha(alpha) {}

    // Unpacks 0xAARRGGBB; a value with a zero top byte means alpha 255.
    static constexpr Color FromPacked(uint32_t packed) {
        int alpha = packed < 0x1000000u ? 255 : static_cast<int>(packed >> 24);
        return Color(static_cast<int>((packed >> 16) & 0xFF),
                     static_cast<int>((packed >> 8) & 0xFF), static_cast<int>(packed & 0xFF),
                     alpha);
    }

    // Packs into 0xAARRGGBB (the pixel word layout).
    constexpr uint32_t ToPacked() const {
        return (static_cast<uint32_t>(mAlpha & 0xFF) << 24) |
               (static_cast<uint32_t>(mRed & 0xFF) << 16) |
               (static_cast<uint32_t>(mGreen & 0xFF) << 8) | static_cast<uint32_t>(mBlue & 0xFF);
    }

    constexpr bool operator==(const Color&) const = default;

    int mRed = 0;
    int mGreen = 0;
    int mBlue = 0;
    int mAlpha = 255;
};

// The rasteriser picks its fast paths by exact comparison with this colour.
inline constexpr Color kOpaqueWhite{255, 255, 255, 255};
inline constexpr Color kOpaqueBlack{0, 0, 0, 255};

} // namespace ravix
