// Fills, lines and coverage spans of MemoryImage.

#include "graphics/MemoryImage.h"
#include "graphics/PixelBlend.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace ravix {

namespace {

uint32_t ClampedAlpha(const Color& color) {
    return static_cast<uint32_t>(std::clamp(color.mAlpha, 0, 255));
}

// The pixel writers of DrawLine, one per draw mode and opacity.
struct LinePen {
    LinePen(const Color& color, DrawMode mode) {
        uint32_t a = ClampedAlpha(color);
        uint32_t channels[3] = {static_cast<uint32_t>(color.mRed & 0xFF),
                                static_cast<uint32_t>(color.mGreen & 0xFF),
                                static_cast<uint32_t>(color.mBlue & 0xFF)};
        mAdditive = mode == DrawMode::Additive;
        mOpaque = a == 255;
        mKeep = 256 - a;
        for (int i = 0; i < 3; ++i) {
            uint32_t c = channels[i];
            if (mAdditive) {
                mAdd[i] = a * c / 255;
            } else {
                uint32_t premultiplied = mOpaque ? c : (a * c + 128) >> 8;
                mAdd[i] = (premultiplied * 255 + 127) >> 8;
            }
        }
        mSolid = blend::kOpaque | mAdd[0] << 16 | mAdd[1] << 8 | mAdd[2];
    }

    void Plot(uint32_t& pixel) const {
        if (mAdditive) {
            pixel = blend::kOpaque | blend::AddSaturated(pixel, mAdd[0], mAdd[1], mAdd[2]);
        } else if (mOpaque) {
            pixel = mSolid;
        } else {
            auto keep = [this](uint32_t d) { return (d * mKeep + 127) >> 8; };
            pixel = blend::kOpaque | (mAdd[0] + keep((pixel >> 16) & 0xFF)) << 16 |
                    (mAdd[1] + keep((pixel >> 8) & 0xFF)) << 8 | (mAdd[2] + keep(pixel & 0xFF));
        }
    }

    bool mAdditive = false;
    bool mOpaque = false;
    uint32_t mKeep = 0;
    uint32_t mAdd[3] = {};
    uint32_t mSolid = 0;
};

// A line given by its major axis (the axis with the larger extent; y on a tie), ordered so
// that the major coordinate grows.
struct MajorAxisLine {
    MajorAxisLine(double x1, double y1, double x2, double y2) {
        mYMajor = std::fabs(y2 - y1) >= std::fabs(x2 - x1);
        mMajor1 = mYMajor ? y1 : x1;
        mMinor1 = mYMajor ? x1 : y1;
        mMajor2 = mYMajor ? y2 : x2;
        mMinor2 = mYMajor ? x2 : y2;
        if (mMajor1 > mMajor2) {
            std::swap(mMajor1, mMajor2);
            std::swap(mMinor1, mMinor2);
        }
    }

    // Index of the pixel at (major, minor).
    size_t IndexOf(int major, int minor, int width) const {
        return mYMajor ? static_cast<size_t>(major) * width + minor
                       : static_cast<size_t>(minor) * width + major;
    }

    bool mYMajor;
    double mMajor1, mMinor1, mMajor2, mMinor2;
};

} // namespace

void MemoryImage::FillRect(const Rect& rect, const Color& color, DrawMode) {
    Rect area = rect.Intersection(Rect(0, 0, mWidth, mHeight));
    uint32_t a = ClampedAlpha(color);
    if (area.IsEmpty() || a == 0) {
        return;
    }
    uint32_t* bits = GetPixels();
    if (!bits) {
        return;
    }
    uint32_t packed = (color.ToPacked() & 0xFFFFFF) | a << 24;
    for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
        uint32_t* row = bits + static_cast<size_t>(y) * mWidth + area.mX;
        if (a == 255) {
            std::fill_n(row, area.mWidth, packed);
        } else {
            for (int i = 0; i < area.mWidth; ++i) {
                row[i] = blend::OverFirst(row[i], packed, a);
            }
        }
    }
    PixelsChanged();
}

void MemoryImage::ClearRect(const Rect& rect) {
    Rect area = rect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (area.IsEmpty()) {
        return;
    }
    uint32_t* bits = GetPixels();
    if (!bits) {
        return;
    }
    for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
        std::fill_n(bits + static_cast<size_t>(y) * mWidth + area.mX, area.mWidth, 0u);
    }
    PixelsChanged();
}

// Coordinates that convert to int safely; anything else (NaN, huge values) draws nothing.
static bool InIntRange(double x1, double y1, double x2, double y2) {
    const double limit = 1e9;
    return std::fabs(x1) < limit && std::fabs(y1) < limit && std::fabs(x2) < limit &&
           std::fabs(y2) < limit;
}

// Horizontal and vertical lines of both line kinds are plain fills.
static bool FillStraightLine(MemoryImage& image, double x1, double y1, double x2, double y2,
                             const Color& color, DrawMode mode) {
    if (!InIntRange(x1, y1, x2, y2)) {
        return true; // nothing to draw
    }
    int ix1 = static_cast<int>(x1);
    int iy1 = static_cast<int>(y1);
    int ix2 = static_cast<int>(x2);
    int iy2 = static_cast<int>(y2);
    if (y1 == y2) {
        image.FillRect(Rect(std::min(ix1, ix2), iy1, std::abs(ix2 - ix1) + 1, 1), color, mode);
        return true;
    }
    if (x1 == x2) {
        image.FillRect(Rect(ix1, std::min(iy1, iy2), 1, std::abs(iy2 - iy1) + 1), color, mode);
        return true;
    }
    return false;
}

// The pixels to walk a slanted line on; null when the line was a fill or there are no pixels.
static uint32_t* SlantedLinePixels(MemoryImage& image, double x1, double y1, double x2, double y2,
                                   const Color& color, DrawMode mode) {
    return FillStraightLine(image, x1, y1, x2, y2, color, mode) ? nullptr : image.GetPixels();
}

void MemoryImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color,
                           DrawMode mode) {
    uint32_t* bits = SlantedLinePixels(*this, x1, y1, x2, y2, color, mode);
    if (!bits) {
        return;
    }
    MajorAxisLine line(x1, y1, x2, y2);
    int majorSize = line.mYMajor ? mHeight : mWidth;
    int minorSize = line.mYMajor ? mWidth : mHeight;
    int dMajor = static_cast<int>(line.mMajor2 - line.mMajor1);
    int dMinor = static_cast<int>(std::fabs(line.mMinor2 - line.mMinor1));
    int minorStep = line.mMinor2 >= line.mMinor1 ? 1 : -1;
    double fraction = line.mMinor1 - std::floor(line.mMinor1);
    int err = static_cast<int>(fraction * 2 * dMinor) + 2 * dMinor - dMajor;

    int major = static_cast<int>(line.mMajor1);
    int minor = static_cast<int>(line.mMinor1);
    int majorEnd = std::min(static_cast<int>(line.mMajor2), majorSize - 1);
    // The walk stops as soon as it leaves the bounding box of the end points (and the image).
    int minorLow = std::max(std::min(minor, static_cast<int>(line.mMinor2)), 0);
    int minorHigh = std::min(std::max(minor, static_cast<int>(line.mMinor2)), minorSize - 1);
    LinePen pen(color, mode);
    for (; major <= majorEnd && major >= 0; ++major) {
        if (minor < minorLow || minor > minorHigh) {
            break;
        }
        pen.Plot(bits[line.IndexOf(major, minor, mWidth)]);
        if (err < 1) {
            err += 2 * dMinor;
        } else {
            minor += minorStep;
            err += 2 * (dMinor - dMajor);
        }
    }
    PixelsChanged();
}

void MemoryImage::DrawSmoothLine(double x1, double y1, double x2, double y2, const Color& color,
                                 DrawMode mode) {
    uint32_t* bits = SlantedLinePixels(*this, x1, y1, x2, y2, color, mode);
    if (!bits) {
        return;
    }
    if (mode == DrawMode::Normal) {
        MajorAxisLine line(x1, y1, x2, y2);
        int majorSize = line.mYMajor ? mHeight : mWidth;
        int minorSize = line.mYMajor ? mWidth : mHeight;
        double slope = (line.mMinor2 - line.mMinor1) / (line.mMajor2 - line.mMajor1);
        int64_t position = static_cast<int64_t>(line.mMinor1 * 65536.0);
        int64_t step = static_cast<int64_t>(slope * 65536.0);
        uint32_t colorAlpha = ClampedAlpha(color);
        uint32_t packed = color.ToPacked() & 0xFFFFFF;
        auto plot = [&](int major, int minor, uint32_t coverage) {
            if (minor < 0 || minor >= minorSize) {
                return;
            }
            uint32_t a = colorAlpha == 255 ? coverage : (coverage * (colorAlpha + 1)) >> 8;
            if (a > 0) {
                uint32_t& pixel = bits[line.IndexOf(major, minor, mWidth)];
                pixel = blend::OverFirst(pixel, packed, a);
            }
        };
        int majorEnd = static_cast<int>(line.mMajor2);
        for (int major = static_cast<int>(line.mMajor1); major <= majorEnd; ++major) {
            if (major >= 0 && major < majorSize) {
                int minor = static_cast<int>(position >> 16);
                uint32_t fraction = static_cast<uint32_t>(position >> 8) & 0xFF;
                plot(major, minor, 255 - fraction);
                plot(major, minor + 1, fraction);
            }
            position += step;
        }
    }
    PixelsChanged();
}

void MemoryImage::FillSpansWithCoverage(const Span* spans, int count, const Color& color, DrawMode,
                                        const uint8_t* coverage, int coverX, int coverY,
                                        int coverStride, int coverHeight) {
    uint32_t* bits = GetPixels();
    if (!bits || !coverage) {
        return;
    }
    uint32_t colorAlpha = ClampedAlpha(color);
    uint32_t packed = color.ToPacked() & 0xFFFFFF;
    for (int s = 0; s < count; ++s) {
        const Span& span = spans[s];
        int coverRow = span.mY - coverY;
        if (span.mY < 0 || span.mY >= mHeight || coverRow < 0 || coverRow >= coverHeight) {
            continue;
        }
        // Pixels of the span that lie inside both the image and the coverage row.
        int first = std::max({0, -span.mX, coverX - span.mX});
        int last = std::min({span.mWidth, mWidth - span.mX, coverX + coverStride - span.mX});
        uint32_t* row = bits + static_cast<size_t>(span.mY) * mWidth + span.mX;
        const uint8_t* cover =
            coverage + static_cast<size_t>(coverRow) * coverStride + (span.mX - coverX);
        for (int i = first; i < last; ++i) {
            uint32_t a = (colorAlpha * (cover[i] + 1u)) >> 8;
            if (a > 0) {
                row[i] = blend::OverFirst(row[i], packed, a);
            }
        }
    }
    PixelsChanged();
}

} // namespace ravix
