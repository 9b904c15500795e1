#pragma once

#include <array>

namespace ravix {

// A 32 x 32 two-colour cursor picture, row by row: 'X' black, '.' white, ' ' transparent, with
// the pixel that points.
struct CursorPicture {
    static constexpr int kSize = 32;
    std::array<const char*, kSize> mRows;
    int mHotX = 0;
    int mHotY = 0;
};

// The program's own two cursors: a hand pointing up with its index finger (shown over things
// that can be clicked) and a closed hand (shown while something is held).
const CursorPicture& PointingHandCursor();
const CursorPicture& GrabbingHandCursor();

} // namespace ravix
