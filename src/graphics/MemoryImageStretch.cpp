// Stretched blits of MemoryImage: nearest sampling (fast) and a separable box / linear filter,
// both optionally mirrored horizontally.

#include "graphics/FixedMath.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelBlend.h"
#include "graphics/SourcePixels.h"

#include <algorithm>
#include <vector>

namespace ravix {

namespace {

struct StretchArea {
    Rect mDest;    // the full destination rectangle
    Rect mSrc;     // the full source rectangle
    Rect mClipped; // the part of the destination that is drawn
};

// Colour applied to a stretched pixel: white leaves it alone; otherwise the channels are scaled
// by the colour and the alpha by the colour's alpha, as the colourised unscaled blit does.
struct StretchTint {
    explicit StretchTint(const Color& color)
        : mWhite(color == kOpaqueWhite),
          mAlpha(static_cast<uint32_t>(std::clamp(color.mAlpha, 0, 255))), mScale(color) {}

    // Returns the effective alpha (0: leave the pixel) and tints the colour in place.
    uint32_t Apply(uint32_t& rgb, uint32_t alpha) const {
        if (mWhite) {
            return alpha;
        }
        rgb = mScale(rgb);
        return mAlpha * alpha / 255;
    }

    bool mWhite;
    uint32_t mAlpha;
    blend::ChannelScale mScale;
};

// Nearest sampling with double-precision steps: within a row the position advances before each
// sample, rows are sampled at the start of their step. Samples are kept inside the source
// rectangle (the advance-first column would otherwise read one past its right edge).
template <bool Mirror>
void StretchFast(MemoryImage& dest, MemoryImage& source, const StretchArea& area,
                 const Color& color) {
    const uint32_t* src = source.GetPixels();
    uint32_t* bits = dest.GetPixels();
    if (!src || !bits) {
        return;
    }
    const Rect& d = area.mDest;
    const Rect& s = area.mSrc;
    const Rect& c = area.mClipped;
    double stepX = static_cast<double>(s.mWidth) / d.mWidth;
    double stepY = static_cast<double>(s.mHeight) / d.mHeight;
    double startX = stepX * (c.mX - d.mX) + s.mX;
    double startY = stepY * (c.mY - d.mY) + s.mY;
    int lastColumn = s.mX + s.mWidth - 1;
    int lastRow = s.mY + s.mHeight - 1;
    std::vector<int> columns(c.mWidth);
    double position = startX;
    for (int i = 0; i < c.mWidth; ++i) {
        position += stepX;
        columns[i] = std::min(static_cast<int>(position), lastColumn);
    }
    if constexpr (Mirror) {
        // Mirrored: the same samples taken from the mirrored source row.
        for (int& column : columns) {
            column = 2 * s.mX + s.mWidth - 1 - column;
        }
    }
    StretchTint tint(color);
    for (int j = 0; j < c.mHeight; ++j) {
        int row = std::min(static_cast<int>(startY + j * stepY), lastRow);
        const uint32_t* srcRow = src + static_cast<size_t>(row) * source.mWidth;
        uint32_t* destRow = bits + static_cast<size_t>(c.mY + j) * dest.mWidth + c.mX;
        for (int i = 0; i < c.mWidth; ++i) {
            uint32_t pixel = srcRow[columns[i]];
            uint32_t rgb = pixel & 0xFFFFFF;
            uint32_t a = tint.Apply(rgb, pixel >> 24);
            if (a > 0) {
                destRow[i] = blend::OverSecond(destRow[i], rgb, a);
            }
        }
    }
}

// Filter taps of one destination column or row: source index and weight.
struct FilterTap {
    int mSource;
    uint32_t mWeight;
};

// Taps for the destination indices [first, last) of a span of destSize pixels resampled from
// sourceSize pixels; the weights of each destination index sum to unit. Shrinking spreads each
// source pixel over the one or two destination pixels it overlaps (in units of 1/unit of a
// destination pixel); enlarging interpolates linearly between the two nearest source pixels.
// Mirrored taps read the source from its other end.
std::vector<std::vector<FilterTap>> FilterTaps(int sourceSize, int destSize, int first, int last,
                                               uint32_t unit, bool mirror) {
    std::vector<std::vector<FilterTap>> taps(last - first);
    for (int index = first; index < last; ++index) {
        int virtualIndex = index;
        std::vector<FilterTap>& out = taps[index - first];
        if (destSize <= sourceSize) {
            auto edge = [&](int64_t i) {
                return (i * destSize * unit + sourceSize / 2) / sourceSize;
            };
            int64_t low = static_cast<int64_t>(virtualIndex) * unit;
            int64_t high = low + unit;
            int64_t i = std::max<int64_t>(
                0, fixed::FloorDiv(low * sourceSize, destSize * int64_t{unit}) - 1);
            for (; i < sourceSize && edge(i) < high; ++i) {
                int64_t overlap = std::min(edge(i + 1), high) - std::max(edge(i), low);
                if (overlap > 0) {
                    out.push_back({static_cast<int>(i), static_cast<uint32_t>(overlap)});
                }
            }
        } else {
            int64_t numerator = static_cast<int64_t>(2 * virtualIndex + 1) * sourceSize - destSize;
            int64_t denominator = 2 * static_cast<int64_t>(destSize);
            int64_t i0 = fixed::FloorDiv(numerator, denominator);
            int64_t remainder = numerator - i0 * denominator;
            uint32_t w1 = static_cast<uint32_t>(remainder * unit / denominator);
            int first0 = static_cast<int>(std::clamp<int64_t>(i0, 0, sourceSize - 1));
            int second = static_cast<int>(std::clamp<int64_t>(i0 + 1, 0, sourceSize - 1));
            out.push_back({first0, unit - w1});
            out.push_back({second, w1});
        }
        if (mirror) {
            for (FilterTap& tap : out) {
                tap.mSource = sourceSize - 1 - tap.mSource;
            }
        }
    }
    return taps;
}

// Two passes into accumulators of four sums per pixel: horizontal weights sum to 257, vertical
// ones to 256, so the high 16 bits of a sum give the channel (255 stays 255).
template <bool Mirror, class Reader>
void StretchFiltered(MemoryImage& dest, const MemoryImage& source, const StretchArea& area,
                     const Color& color, const Reader& read) {
    uint32_t* bits = dest.GetPixels();
    if (!bits) {
        return;
    }
    const Rect& d = area.mDest;
    const Rect& s = area.mSrc;
    const Rect& c = area.mClipped;
    auto columnTaps =
        FilterTaps(s.mWidth, d.mWidth, c.mX - d.mX, c.mX - d.mX + c.mWidth, 257, Mirror);
    auto rowTaps =
        FilterTaps(s.mHeight, d.mHeight, c.mY - d.mY, c.mY - d.mY + c.mHeight, 256, false);
    int firstRow = s.mHeight;
    int lastRow = -1;
    for (const auto& taps : rowTaps) {
        for (const FilterTap& tap : taps) {
            firstRow = std::min(firstRow, tap.mSource);
            lastRow = std::max(lastRow, tap.mSource);
        }
    }
    if (firstRow > lastRow) {
        return;
    }

    // Pass 1: every needed source row resampled horizontally.
    size_t rowLength = static_cast<size_t>(c.mWidth) * 4;
    std::vector<uint32_t> horizontal(static_cast<size_t>(lastRow - firstRow + 1) * rowLength, 0);
    for (int row = firstRow; row <= lastRow; ++row) {
        size_t srcRow = static_cast<size_t>(s.mY + row) * source.mWidth + s.mX;
        uint32_t* out = &horizontal[(row - firstRow) * rowLength];
        for (int i = 0; i < c.mWidth; ++i, out += 4) {
            for (const FilterTap& tap : columnTaps[i]) {
                uint32_t pixel = read(srcRow + tap.mSource);
                out[0] += (pixel >> 24) * tap.mWeight;
                out[1] += ((pixel >> 16) & 0xFF) * tap.mWeight;
                out[2] += ((pixel >> 8) & 0xFF) * tap.mWeight;
                out[3] += (pixel & 0xFF) * tap.mWeight;
            }
        }
    }

    // Pass 2: vertically, then composited.
    StretchTint tint(color);
    std::vector<uint32_t> sums(rowLength);
    for (int j = 0; j < c.mHeight; ++j) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (const FilterTap& tap : rowTaps[j]) {
            const uint32_t* in = &horizontal[(tap.mSource - firstRow) * rowLength];
            for (size_t k = 0; k < rowLength; ++k) {
                sums[k] += in[k] * tap.mWeight;
            }
        }
        uint32_t* destRow = bits + static_cast<size_t>(c.mY + j) * dest.mWidth + c.mX;
        for (int i = 0; i < c.mWidth; ++i) {
            const uint32_t* sum = &sums[static_cast<size_t>(i) * 4];
            uint32_t rgb = (sum[1] >> 16) << 16 | (sum[2] >> 16) << 8 | (sum[3] >> 16);
            uint32_t t = tint.Apply(rgb, sum[0] >> 16);
            if (t == 0) {
                continue;
            }
            uint32_t pixel = destRow[i];
            uint32_t destAlpha = pixel >> 24;
            auto mix = [&](int shift) {
                return ((((rgb >> shift) & 0xFF) * t + ((pixel >> shift) & 0xFF) * (256 - t)) >> 8)
                       << shift;
            };
            destRow[i] =
                (destAlpha + (255 - destAlpha) * t / 255) << 24 | mix(16) | mix(8) | mix(0);
        }
    }
}

template <bool Mirror>
void Stretch(MemoryImage& dest, Image* sourceImage, const Rect& destRect, const Rect& srcRect,
             const Rect& clip, const Color& color, bool fast) {
    auto* source = dynamic_cast<MemoryImage*>(sourceImage);
    if (!source || destRect.IsEmpty() || srcRect.IsEmpty()) {
        return;
    }
    // The source rectangle must lie inside the source image.
    if (srcRect.mX < 0 || srcRect.mY < 0 || srcRect.mX + srcRect.mWidth > source->mWidth ||
        srcRect.mY + srcRect.mHeight > source->mHeight) {
        return;
    }
    StretchArea area{
        destRect, srcRect,
        destRect.Intersection(clip).Intersection(Rect(0, 0, dest.mWidth, dest.mHeight))};
    if (area.mClipped.IsEmpty()) {
        return;
    }
    if (fast) {
        StretchFast<Mirror>(dest, *source, area, color);
    } else {
        WithSourcePixels(*source, [&](const auto& read) {
            StretchFiltered<Mirror>(dest, *source, area, color, read);
        });
    }
    dest.PixelsChanged();
}

} // namespace

void MemoryImage::BlitScaled(Image* source, const Rect& destRect, const Rect& srcRect,
                             const Rect& clip, const Color& color, DrawMode, bool fastStretch) {
    Stretch<false>(*this, source, destRect, srcRect, clip, color, fastStretch);
}

void MemoryImage::BlitScaledFlipped(Image* source, const Rect& destRect, const Rect& srcRect,
                                    const Rect& clip, const Color& color, DrawMode,
                                    bool fastStretch) {
    Stretch<true>(*this, source, destRect, srcRect, clip, color, fastStretch);
}

} // namespace ravix
