#pragma once

#include <algorithm>

namespace ravix {

// An integer rectangle; empty when its width or height is 0 or less.
struct Rect {
    constexpr Rect() = default;
    constexpr Rect(int x, int y, int width, int height)
        : mX(x), mY(y), mWidth(width), mHeight(height) {}

    constexpr bool IsEmpty() const { return mWidth <= 0 || mHeight <= 0; }

    constexpr bool Contains(int x, int y) const {
        return x >= mX && y >= mY && x < mX + mWidth && y < mY + mHeight;
    }

    // The common area; an empty result has its width and height clamped to 0.
    constexpr Rect Intersection(const Rect& other) const {
        int left = std::max(mX, other.mX);
        int top = std::max(mY, other.mY);
        int right = std::min(mX + mWidth, other.mX + other.mWidth);
        int bottom = std::min(mY + mHeight, other.mY + other.mHeight);
        return Rect(left, top, std::max(0, right - left), std::max(0, bottom - top));
    }

    constexpr bool operator==(const Rect&) const = default;

    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;
};

} // namespace ravix
