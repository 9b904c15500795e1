#pragma once

#include "base/Rect.h"
#include "graphics/Color.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ravix {

class FontData;
class MemoryImage;

// One character of a glyph layer.
struct GlyphData {
    Rect mImageRect;  // in the layer image
    int mOffsetX = 0; // where the glyph is drawn relative to the pen
    int mOffsetY = 0;
    std::array<int8_t, 256> mKerning{}; // extra advance when followed by the indexed character
    int mWidth = 0;                     // advance
    int mOrder = 0;                     // drawing order within the layer
};

// A named layer of an image font: its own glyph image, glyph rectangles, offsets, widths,
// kerning, colour and drawing order, and the conditions (point-size range, required and excluded
// tags) under which it takes part.
struct GlyphLayer {
    // Whether the layer takes part at the point size with the given (upper-case) tags.
    [[nodiscard]] bool TakesPart(int pointSize, const std::vector<std::string>& tags) const;

    FontData* mFontData = nullptr;          // the owner
    std::vector<std::string> mRequiredTags; // upper case
    std::vector<std::string> mExcludedTags; // upper case
    std::array<GlyphData, 256> mCharData{};
    Color mColorMult = kOpaqueWhite;
    Color mColorAdd{0, 0, 0, 0};
    std::shared_ptr<MemoryImage> mImage; // shared with the image cache and copied layers
    int mDrawMode = -1;                  // -1: the context's mode
    int mOffsetX = 0;
    int mOffsetY = 0;
    int mSpacing = 0;       // added to every kerning step
    int mMinPointSize = -1; // -1: no limit
    int mMaxPointSize = -1;
    int mPointSize = 0; // 0: not tied to a size
    int mAscent = 0;
    int mAscentPadding = 0;
    int mHeight = 0;        // 0: the default height
    int mDefaultHeight = 0; // from the glyph rectangles
    int mLineSpacingOffset = 0;
    int mBaseOrder = 0;
};

} // namespace ravix
