#pragma once

namespace ravix {

// An integer position, used by the polygon operations.
struct Point {
    constexpr bool operator==(const Point&) const = default;

    int mX = 0;
    int mY = 0;
};

} // namespace ravix
