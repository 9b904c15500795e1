#include "platform/Letterbox.h"

#include <cstdint>

namespace ravix {

Rect LetterboxRect(int width, int height, int areaWidth, int areaHeight) {
    if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) {
        return {};
    }
    // Compare the proportions exactly: the wider of the two decides which side is filled.
    int64_t shownWidth = areaWidth;
    int64_t shownHeight = areaHeight;
    if (int64_t{areaWidth} * height <= int64_t{areaHeight} * width) {
        shownHeight = int64_t{height} * areaWidth / width;
    } else {
        shownWidth = int64_t{width} * areaHeight / height;
    }
    return Rect(static_cast<int>((areaWidth - shownWidth) / 2),
                static_cast<int>((areaHeight - shownHeight) / 2), static_cast<int>(shownWidth),
                static_cast<int>(shownHeight));
}

} // namespace ravix
