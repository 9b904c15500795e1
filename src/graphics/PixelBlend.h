#pragma once

// Blending arithmetic shared by the software rasteriser. Pixels are 0xAARRGGBB with straight
// alpha. "/ 255" is an exact integer division; ">> 8" a shift. Red and blue are handled together
// in one 32-bit word: each product fits in 16 bits, so the two halves never carry into each
// other.

#include "graphics/Color.h"
#include "graphics/SaturationTable.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ravix::blend {

constexpr uint32_t kRedBlue = 0x00FF00FF;
constexpr uint32_t kGreen = 0x0000FF00;
constexpr uint32_t kOpaque = 0xFF000000;

// Alpha of a source with alpha a composited over a destination with alpha destAlpha.
inline uint32_t OverAlpha(uint32_t destAlpha, uint32_t a) {
    return destAlpha + (255 - destAlpha) * a / 255;
}

// Weight of the source colour in the composited pixel (0..255); newAlpha is never 0 for a > 0.
inline uint32_t OverWeight(uint32_t a, uint32_t newAlpha) {
    return a * 255 / newAlpha;
}

// Source-over, first form (fills, coverage fills, smooth lines): each channel
// (c * w + d * (256 - w)) >> 8. a must be 1..255.
inline uint32_t OverFirst(uint32_t dest, uint32_t source, uint32_t a) {
    uint32_t newAlpha = OverAlpha(dest >> 24, a);
    uint32_t w = OverWeight(a, newAlpha);
    uint32_t redBlue = ((source & kRedBlue) * w + (dest & kRedBlue) * (256 - w)) & 0xFF00FF00;
    uint32_t green = ((source & kGreen) * w + (dest & kGreen) * (256 - w)) & 0x00FF0000;
    return newAlpha << 24 | (redBlue | green) >> 8;
}

// The channels of the second form for a given weight: red and blue as
// (d * (256 - w) >> 8) + (c * w >> 8), green as (c * w + d * (256 - w)) >> 8.
inline uint32_t MixSecond(uint32_t dest, uint32_t source, uint32_t w) {
    uint32_t redBlue = ((((dest & kRedBlue) * (256 - w)) >> 8) & kRedBlue) +
                       ((((source & kRedBlue) * w) >> 8) & kRedBlue);
    uint32_t green = (((source & kGreen) * w + (dest & kGreen) * (256 - w)) >> 8) & kGreen;
    return redBlue | green;
}

// Source-over, second form (the general blit). a must be 1..255.
inline uint32_t OverSecond(uint32_t dest, uint32_t source, uint32_t a) {
    uint32_t newAlpha = OverAlpha(dest >> 24, a);
    return newAlpha << 24 | MixSecond(dest, source, OverWeight(a, newAlpha));
}

// Source-over onto a destination taken as opaque (the run-length blit): each channel
// (d * (256 - a) >> 8) + (c * a >> 8), alpha 255.
inline uint32_t OverOpaque(uint32_t dest, uint32_t source, uint32_t a) {
    uint32_t redBlue = ((((dest & kRedBlue) * (256 - a)) >> 8) & kRedBlue) +
                       ((((source & kRedBlue) * a) >> 8) & kRedBlue);
    uint32_t green =
        ((((dest & kGreen) * (256 - a)) >> 8) & kGreen) + ((((source & kGreen) * a) >> 8) & kGreen);
    return kOpaque | redBlue | green;
}

#if defined(__SSE2__)
// OverOpaque of four pixels at once, each with its own alpha, which must be partial (1..254).
// Every product fits in 16 bits, so the arithmetic is that of OverOpaque.
inline __m128i OverOpaquePartial4(__m128i dest, __m128i source) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(256);
    auto half = [&](__m128i d, __m128i s) {
        __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
        __m128i kept = _mm_srli_epi16(_mm_mullo_epi16(d, _mm_sub_epi16(full, a)), 8);
        return _mm_add_epi16(kept, _mm_srli_epi16(_mm_mullo_epi16(s, a), 8));
    };
    __m128i low = half(_mm_unpacklo_epi8(dest, zero), _mm_unpacklo_epi8(source, zero));
    __m128i high = half(_mm_unpackhi_epi8(dest, zero), _mm_unpackhi_epi8(source, zero));
    return _mm_or_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(static_cast<int>(kOpaque)));
}
#endif

// Colour channels multiplied by the colour's channels (c * colour >> 8), alpha byte dropped.
struct ChannelScale {
    explicit ChannelScale(const Color& color)
        : mRed(static_cast<uint32_t>(color.mRed)), mGreen(static_cast<uint32_t>(color.mGreen)),
          mBlue(static_cast<uint32_t>(color.mBlue)) {}

    uint32_t operator()(uint32_t pixel) const {
        return ((((pixel >> 16) & 0xFF) * mRed) >> 8) << 16 |
               ((((pixel >> 8) & 0xFF) * mGreen) >> 8) << 8 | (((pixel & 0xFF) * mBlue) >> 8);
    }

    uint32_t mRed;
    uint32_t mGreen;
    uint32_t mBlue;
};

// Adds the three channels of add to dest through the saturation table; the destination's alpha
// byte is kept.
inline uint32_t AddSaturated(uint32_t dest, uint32_t addRed, uint32_t addGreen, uint32_t addBlue) {
    return (dest & kOpaque) | uint32_t{kSaturationTable[((dest >> 16) & 0xFF) + addRed]} << 16 |
           uint32_t{kSaturationTable[((dest >> 8) & 0xFF) + addGreen]} << 8 |
           uint32_t{kSaturationTable[(dest & 0xFF) + addBlue]};
}

// The additive blit of one source pixel: each channel becomes S[d + c'], the destination's alpha
// kept. With a colour, c' = c * (colour channel * colour alpha / 255) >> 8; a source with partial
// alpha also weighs c' by the pixel's alpha (>> 8). Transparent pixels add nothing.
struct AdditiveOp {
    AdditiveOp(const Color& color, bool weighByAlpha)
        : mWhite(color == kOpaqueWhite), mWeighByAlpha(weighByAlpha) {
        uint32_t colorAlpha =
            static_cast<uint32_t>(color.mAlpha < 0 ? 0 : (color.mAlpha > 255 ? 255 : color.mAlpha));
        mFactor[0] = static_cast<uint32_t>(color.mRed & 0xFF) * colorAlpha / 255;
        mFactor[1] = static_cast<uint32_t>(color.mGreen & 0xFF) * colorAlpha / 255;
        mFactor[2] = static_cast<uint32_t>(color.mBlue & 0xFF) * colorAlpha / 255;
    }

    void operator()(uint32_t& dest, uint32_t pixel) const {
        uint32_t a = pixel >> 24;
        if (a == 0) {
            return;
        }
        uint32_t c[3] = {(pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF};
        for (int k = 0; k < 3; ++k) {
            if (!mWhite) {
                c[k] = (c[k] * mFactor[k]) >> 8;
            }
            if (mWeighByAlpha) {
                c[k] = (c[k] * a) >> 8;
            }
        }
        dest = AddSaturated(dest, c[0], c[1], c[2]);
    }

    bool mWhite;
    bool mWeighByAlpha;
    uint32_t mFactor[3];
};

} // namespace ravix::blend
