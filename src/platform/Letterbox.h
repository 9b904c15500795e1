#pragma once

#include "base/Rect.h"

namespace ravix {

// The largest rectangle with the proportions of a width x height image that fits an area of
// areaWidth x areaHeight, centred in it: where a scaled screen image is shown, with black bars
// on the two sides that are left over.
Rect LetterboxRect(int width, int height, int areaWidth, int areaHeight);

} // namespace ravix
