// Rotated and sub-pixel blits of MemoryImage: bilinear sampling along rotated rows.

#include "graphics/FixedMath.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelBlend.h"
#include "graphics/SourcePixels.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace ravix {

namespace {

// Accumulates the four bilinear taps of one destination pixel, each weighted by its own alpha
// (so the colour sum is premultiplied) and, with a colour, by the colour's alpha.
struct TapSum {
    uint32_t mAlpha = 0;
    uint32_t mRed = 0;
    uint32_t mGreen = 0;
    uint32_t mBlue = 0;

    void Add(uint32_t pixel, uint32_t weight, uint32_t colorAlpha, bool colored) {
        uint32_t a = (weight * (pixel >> 24)) >> 16;
        if (colored) {
            a = (a * colorAlpha) >> 8;
        }
        mAlpha += a;
        mRed += ((pixel >> 16) & 0xFF) * a;
        mGreen += ((pixel >> 8) & 0xFF) * a;
        mBlue += (pixel & 0xFF) * a;
    }
};

struct RotatedBlit {
    const MemoryImage* mSource;
    Rect mSrc;             // source rectangle, inside the source image
    bool mColored;         // the colour is not white
    uint32_t mColorAlpha;  // colour alpha
    uint32_t mColorMul[3]; // colour channel + 1

    // Writes the accumulated taps into the destination pixel.
    void Write(uint32_t& dest, const TapSum& sum) const {
        uint32_t total = sum.mAlpha;
        if (total == 0) {
            return;
        }
        uint32_t channels[3] = {sum.mRed, sum.mGreen, sum.mBlue};
        if (mColored) {
            for (int k = 0; k < 3; ++k) {
                channels[k] = (channels[k] * mColorMul[k]) >> 8;
            }
        }
        if (total >= 251) {
            // Opaque: the alpha-weighted average of the taps.
            dest = blend::kOpaque | std::min(channels[0] / total, 255u) << 16 |
                   std::min(channels[1] / total, 255u) << 8 | std::min(channels[2] / total, 255u);
            return;
        }
        uint32_t destAlpha = dest >> 24;
        uint32_t uncovered = ((256 - destAlpha) * (256 - total)) >> 8;
        uint32_t divisor = 256 - uncovered;
        auto mix = [&](uint32_t d, uint32_t accumulated) {
            return std::min(((d * destAlpha >> 8) * (256 - total) + accumulated) / divisor, 255u);
        };
        dest = (255 - uncovered) << 24 | mix((dest >> 16) & 0xFF, channels[0]) << 16 |
               mix((dest >> 8) & 0xFF, channels[1]) << 8 | mix(dest & 0xFF, channels[2]);
    }
};

// Bilinear weights of the four taps: fractions with the lowest bit forced to 1, products >> 16.
struct TapWeights {
    explicit TapWeights(int64_t u, int64_t v) {
        uint32_t fx = (static_cast<uint32_t>(u) & 0xFFFF) | 1;
        uint32_t fy = (static_cast<uint32_t>(v) & 0xFFFF) | 1;
        uint32_t ifx = 0x10000 - fx;
        uint32_t ify = 0x10000 - fy;
        m00 = (ifx * ify) >> 16;
        m10 = (fx * ify) >> 16;
        m01 = (ifx * fy) >> 16;
        m11 = (fx * fy) >> 16;
    }
    uint32_t m00, m10, m01, m11;
};

template <bool Checked, class Reader>
void SampleRow(const RotatedBlit& blit, const Reader& read, uint32_t* dest, int count, int64_t u,
               int64_t v, int64_t du, int64_t dv) {
    const int sourceWidth = blit.mSource->mWidth;
    for (int i = 0; i < count; ++i, u += du, v += dv) {
        int tx = static_cast<int>(u >> 16);
        int ty = static_cast<int>(v >> 16);
        TapWeights w(u, v);
        TapSum sum;
        size_t index = static_cast<size_t>(ty) * sourceWidth + tx;
        auto tap = [&](int dx, int dy, uint32_t weight) {
            if constexpr (Checked) {
                // Taps outside the source rectangle count as transparent.
                if (!blit.mSrc.Contains(tx + dx, ty + dy)) {
                    return;
                }
            }
            sum.Add(read(index + static_cast<size_t>(dy) * sourceWidth + dx), weight,
                    blit.mColorAlpha, blit.mColored);
        };
        tap(0, 0, w.m00);
        tap(1, 0, w.m10);
        tap(0, 1, w.m01);
        tap(1, 1, w.m11);
        blit.Write(dest[i], sum);
    }
}

} // namespace

void MemoryImage::BlitImageSubpixel(Image* source, float x, float y, const Rect& srcRect,
                                    const Rect& clip, const Color& color, DrawMode mode) {
    BlitRotated(source, x, y, srcRect, clip, color, mode, 0.0, 0.0f, 0.0f);
}

void MemoryImage::BlitRotated(Image* sourceImage, float x, float y, const Rect& srcRect,
                              const Rect& clip, const Color& color, DrawMode, double angle,
                              float centerX, float centerY) {
    auto* source = dynamic_cast<MemoryImage*>(sourceImage);
    if (!source) {
        return;
    }
    Rect src = srcRect.Intersection(Rect(0, 0, source->mWidth, source->mHeight));
    const float limit = 1e9f;
    if (src.IsEmpty() ||
        !(std::fabs(x) < limit && std::fabs(y) < limit && std::fabs(centerX) < limit &&
          std::fabs(centerY) < limit && std::isfinite(angle))) {
        return;
    }
    // Bounding box of the rectangle rotated about (x + centerX, y + centerY).
    double c = std::cos(angle);
    double s = std::sin(angle);
    double pivotX = x + static_cast<double>(centerX);
    double pivotY = y + static_cast<double>(centerY);
    double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
    for (int corner = 0; corner < 4; ++corner) {
        double dx = x + (corner & 1 ? srcRect.mWidth : 0) - pivotX;
        double dy = y + (corner & 2 ? srcRect.mHeight : 0) - pivotY;
        double rx = pivotX + c * dx - s * dy;
        double ry = pivotY + s * dx + c * dy;
        minX = std::min(minX, rx);
        maxX = std::max(maxX, rx);
        minY = std::min(minY, ry);
        maxY = std::max(maxY, ry);
    }
    int left = static_cast<int>(std::floor(std::max(minX, -1e9)));
    int top = static_cast<int>(std::floor(std::max(minY, -1e9)));
    int right = static_cast<int>(std::ceil(std::min(maxX, 1e9)));
    int bottom = static_cast<int>(std::ceil(std::min(maxY, 1e9)));
    Rect box = Rect(left, top, right - left, bottom - top)
                   .Intersection(clip)
                   .Intersection(Rect(0, 0, mWidth, mHeight));
    if (box.IsEmpty()) {
        return;
    }
    uint32_t* bits = GetPixels();
    if (!bits) {
        return;
    }

    RotatedBlit blit{source,
                     src,
                     color != kOpaqueWhite,
                     static_cast<uint32_t>(std::clamp(color.mAlpha, 0, 255)),
                     {static_cast<uint32_t>(color.mRed & 0xFF) + 1,
                      static_cast<uint32_t>(color.mGreen & 0xFF) + 1,
                      static_cast<uint32_t>(color.mBlue & 0xFF) + 1}};
    // The inverse rotation maps the centre of destination pixel (px, py), at (dx, dy) from the
    // pivot, to the source offset (c dx + s dy + centerX, -s dx + c dy + centerY) from the
    // rectangle's corner; less half a texel, the taps sit on texel centres.
    int64_t du = std::llround(c * 65536.0);
    int64_t dv = std::llround(-s * 65536.0);
    // A pixel is drawn when one of its taps lies inside the source rectangle; the unchecked
    // loop runs where all four do.
    int64_t outerLowU = static_cast<int64_t>(src.mX - 1) << 16;
    int64_t outerHighU = (static_cast<int64_t>(src.mX + src.mWidth) << 16) - 1;
    int64_t outerLowV = static_cast<int64_t>(src.mY - 1) << 16;
    int64_t outerHighV = (static_cast<int64_t>(src.mY + src.mHeight) << 16) - 1;
    int64_t innerHighU = (static_cast<int64_t>(src.mX + src.mWidth - 1) << 16) - 1;
    int64_t innerHighV = (static_cast<int64_t>(src.mY + src.mHeight - 1) << 16) - 1;

    WithSourcePixels(*source, [&](const auto& read) {
        for (int py = box.mY; py < box.mY + box.mHeight; ++py) {
            double dx = box.mX + 0.5 - pivotX;
            double dy = py + 0.5 - pivotY;
            int64_t u = static_cast<int64_t>(
                std::floor((srcRect.mX + c * dx + s * dy + centerX - 0.5) * 65536.0));
            int64_t v = static_cast<int64_t>(
                std::floor((srcRect.mY - s * dx + c * dy + centerY - 0.5) * 65536.0));
            auto outer =
                fixed::Intersect(fixed::StepRange(u, du, outerLowU, outerHighU, box.mWidth),
                                 fixed::StepRange(v, dv, outerLowV, outerHighV, box.mWidth));
            if (outer.first == outer.second) {
                continue;
            }
            auto inner = fixed::Intersect(
                outer, fixed::Intersect(
                           fixed::StepRange(u, du, int64_t{src.mX} << 16, innerHighU, box.mWidth),
                           fixed::StepRange(v, dv, int64_t{src.mY} << 16, innerHighV, box.mWidth)));
            if (inner.first == inner.second) {
                inner = {outer.second, outer.second};
            }
            uint32_t* row = bits + static_cast<size_t>(py) * mWidth + box.mX;
            auto run = [&](auto checked, int first, int last) {
                if (first < last) {
                    SampleRow<decltype(checked)::value>(blit, read, row + first, last - first,
                                                        u + first * du, v + first * dv, du, dv);
                }
            };
            run(std::true_type{}, outer.first, inner.first);
            run(std::false_type{}, inner.first, inner.second);
            run(std::true_type{}, inner.second, outer.second);
        }
    });
    PixelsChanged();
}

} // namespace ravix
