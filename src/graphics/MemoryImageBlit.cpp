// Unscaled blits of MemoryImage: BlitImage and its mirrored form BlitFlipped, normal and
// additive, from 32-bit and palette sources.

#include "graphics/MemoryImage.h"
#include "graphics/PixelBlend.h"
#include "graphics/SourcePixels.h"

#include <algorithm>

namespace ravix {

namespace {

// The rows and columns of an unscaled blit after clipping: destination pixel (x + i, y + j)
// takes source pixel (srcX + i, srcY + j), or (srcX + width - 1 - i, srcY + j) when mirrored.
struct BlitArea {
    int mX, mY, mSrcX, mSrcY, mWidth, mHeight;
};

// Keeps the part of the blit that lies inside both images; false when nothing is left.
bool ClipBlit(const MemoryImage& dest, const MemoryImage& source, int x, int y, const Rect& srcRect,
              bool mirror, BlitArea& area) {
    int first =
        std::max({0, -x, mirror ? srcRect.mX + srcRect.mWidth - source.mWidth : -srcRect.mX});
    int last = std::min({srcRect.mWidth, dest.mWidth - x,
                         mirror ? srcRect.mX + srcRect.mWidth : source.mWidth - srcRect.mX});
    int top = std::max({0, -y, -srcRect.mY});
    int bottom = std::min({srcRect.mHeight, dest.mHeight - y, source.mHeight - srcRect.mY});
    if (first >= last || top >= bottom) {
        return false;
    }
    area.mX = x + first;
    area.mY = y + top;
    area.mWidth = last - first;
    area.mHeight = bottom - top;
    area.mSrcX = mirror ? srcRect.mX + srcRect.mWidth - last : srcRect.mX + first;
    area.mSrcY = srcRect.mY + top;
    return true;
}

// Walks each row of the area, handing (destination pixel, source index) pairs to the pixel
// operation. Mirrored rows walk the destination backwards.
template <bool Mirror, class PixelOp>
void ForEachPixel(uint32_t* destBits, int destWidth, int sourceWidth, const BlitArea& area,
                  PixelOp&& op) {
    for (int j = 0; j < area.mHeight; ++j) {
        uint32_t* dest = destBits + static_cast<size_t>(area.mY + j) * destWidth + area.mX;
        size_t src = static_cast<size_t>(area.mSrcY + j) * sourceWidth + area.mSrcX;
        if constexpr (Mirror) {
            dest += area.mWidth - 1;
            for (int i = 0; i < area.mWidth; ++i) {
                op(*(dest - i), src + i);
            }
        } else {
            for (int i = 0; i < area.mWidth; ++i) {
                op(dest[i], src + i);
            }
        }
    }
}

// Run-length path: the destination is opaque and the colour white. Opaque runs are copied,
// transparent runs skipped, partial runs blended over the (opaque) destination.
template <bool Mirror, class Reader>
void BlitRuns(uint32_t* destBits, int destWidth, int sourceWidth, const uint8_t* runs,
              const BlitArea& area, const Reader& read) {
    for (int j = 0; j < area.mHeight; ++j) {
        uint32_t* dest = destBits + static_cast<size_t>(area.mY + j) * destWidth + area.mX;
        size_t src = static_cast<size_t>(area.mSrcY + j) * sourceWidth + area.mSrcX;
        for (int i = 0; i < area.mWidth;) {
            int run = std::min<int>(runs[src + i], area.mWidth - i);
            uint32_t alpha = read(src + i) >> 24;
            if (alpha == 255) {
                if constexpr (Mirror) {
                    for (int k = 0; k < run; ++k) {
                        dest[area.mWidth - 1 - i - k] = read(src + i + k);
                    }
                } else {
                    read.Copy(dest + i, src + i, run);
                }
            } else if (alpha != 0) {
                int k = 0;
#if defined(__SSE2__)
                if constexpr (!Mirror) {
                    for (; k + 4 <= run; k += 4) {
                        __m128i pixels = read.Load4(src + i + k);
                        auto* d = reinterpret_cast<__m128i*>(dest + i + k);
                        _mm_storeu_si128(d, blend::OverOpaquePartial4(_mm_loadu_si128(d), pixels));
                    }
                }
#endif
                for (; k < run; ++k) {
                    uint32_t pixel = read(src + i + k);
                    uint32_t& d = Mirror ? dest[area.mWidth - 1 - i - k] : dest[i + k];
                    d = blend::OverOpaque(d, pixel, pixel >> 24);
                }
            }
            i += run;
        }
    }
}

template <bool Mirror>
void BlitNormal(MemoryImage& dest, MemoryImage& source, const BlitArea& area, const Color& color) {
    uint32_t* bits = dest.GetPixels();
    if (!bits) {
        return;
    }
    bool white = color == kOpaqueWhite;
    const uint8_t* runs = nullptr;
    if (white && !dest.mHasAlpha && !dest.mHasTrans) {
        runs = source.GetRLAlphaData();
        if (!runs) {
            return;
        }
    }
    WithSourcePixels(source, [&](const auto& read) {
        if (runs) {
            BlitRuns<Mirror>(bits, dest.mWidth, source.mWidth, runs, area, read);
        } else if (white) {
            ForEachPixel<Mirror>(bits, dest.mWidth, source.mWidth, area,
                                 [&](uint32_t& d, size_t index) {
                                     uint32_t pixel = read(index);
                                     uint32_t a = pixel >> 24;
                                     if (a > 0) {
                                         d = blend::OverSecond(d, pixel, a);
                                     }
                                 });
        } else {
            uint32_t colorAlpha = static_cast<uint32_t>(std::clamp(color.mAlpha, 0, 255));
            blend::ChannelScale scale(color);
            ForEachPixel<Mirror>(bits, dest.mWidth, source.mWidth, area,
                                 [&](uint32_t& d, size_t index) {
                                     uint32_t pixel = read(index);
                                     uint32_t m = colorAlpha * (pixel >> 24) / 255;
                                     if (m > 0) {
                                         d = blend::OverSecond(d, scale(pixel), m);
                                     }
                                 });
        }
    });
}

// Additive: each channel becomes S[d + c'], the destination's alpha kept.
template <bool Mirror>
void BlitAdditive(MemoryImage& dest, MemoryImage& source, const BlitArea& area,
                  const Color& color) {
    uint32_t* bits = dest.GetPixels();
    if (!bits) {
        return;
    }
    source.SettlePixels();
    blend::AdditiveOp add(color, source.mHasAlpha);
    WithSourcePixels(source, [&](const auto& read) {
        ForEachPixel<Mirror>(bits, dest.mWidth, source.mWidth, area,
                             [&](uint32_t& d, size_t index) { add(d, read(index)); });
    });
}

template <bool Mirror>
void Blit(MemoryImage& dest, Image* sourceImage, int x, int y, const Rect& srcRect,
          const Color& color, DrawMode mode) {
    auto* source = dynamic_cast<MemoryImage*>(sourceImage);
    BlitArea area;
    if (!source || !ClipBlit(dest, *source, x, y, srcRect, Mirror, area)) {
        return;
    }
    if (mode == DrawMode::Additive) {
        BlitAdditive<Mirror>(dest, *source, area, color);
    } else {
        BlitNormal<Mirror>(dest, *source, area, color);
    }
    dest.PixelsChanged();
}

} // namespace

void MemoryImage::BlitImage(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                            DrawMode mode) {
    Blit<false>(*this, source, x, y, srcRect, color, mode);
}

void MemoryImage::BlitFlipped(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                              DrawMode mode) {
    Blit<true>(*this, source, x, y, srcRect, color, mode);
}

} // namespace ravix
